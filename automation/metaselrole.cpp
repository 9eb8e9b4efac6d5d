#include "automation/metaselrole.h"

#include "automation/flowtraits.h"
#include "role/rolekind.h"

namespace Lorvantic {

MetaSelRole::MetaSelRole()
    : SelectorBase({QStringLiteral("Role Information"), 20130, QStringLiteral("R&oles"),
                    QStringLiteral("Roles"), false},
                   [](SelectorState& state) { return std::make_unique<RoleKind>(state); }) {}

const RoleKind& MetaSelRole::kind() const {
    return static_cast<const RoleKind&>(selectorKind());
}

} // namespace Lorvantic
