#pragma once

#include "role/rolekind.h"
#include "automation/selectorbase.h"

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
