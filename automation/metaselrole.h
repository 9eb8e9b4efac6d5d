#pragma once

#include "automation/selectorbase.h"
#include "role/rolekind.h"

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
