#include "automation/metaselrole.h"

namespace Lorvantic {

MetaSelRole::MetaSelRole()
    : SelectorBase({QStringLiteral("Role Information"), 20130, QStringLiteral("R&oles"),
                    QStringLiteral("Roles"), false},
                   m_kind)
    , m_kind(m_state) {}

} // namespace Lorvantic
