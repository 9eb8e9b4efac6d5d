#pragma once

#include "rolekind.h"
#include "selectorbase.h"

namespace Lorvantic {

// Runs role reports.
class MetaSelRole : public SelectorBase {
public:
    MetaSelRole();
    const RoleKind& kind() const { return m_kind; }

private:
    RoleKind m_kind;
};

} // namespace Lorvantic
