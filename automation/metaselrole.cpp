#include "automation/metaselrole.h"

#include "automation/reportkinds.h"
#include "role/rolekind.h"

namespace Lorvantic {

MetaSelRole::MetaSelRole()
    : SelectorBase({QStringLiteral("Role Information"), 20130, QStringLiteral("R&oles"),
                    QStringLiteral("Roles"), false},
                   ReportKindOf(ReportKind::Roles).makeKind) {}

const RoleKind& MetaSelRole::kind() const {
    return static_cast<const RoleKind&>(selectorKind());
}

} // namespace Lorvantic
