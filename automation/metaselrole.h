#pragma once

#include "automation/selectorbase.h"
#include "lorvantic_export.h"

namespace Lorvantic {

class RoleKind;

// Runs role reports.
class LORVANTIC_EXPORT MetaSelRole : public SelectorBase {
public:
    MetaSelRole();
    LORVANTIC_NO_EXPORT const RoleKind& kind() const;
};

} // namespace Lorvantic
