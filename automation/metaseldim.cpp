#include "automation/metaseldim.h"

namespace Lorvantic {

MetaSelDim::MetaSelDim()
    : SelectorBase({QStringLiteral("Dimension Information"), 20120, QStringLiteral("&Dimensions"),
                    QStringLiteral("Dimensions"), false},
                   m_kind)
    , m_kind(m_state) {}

} // namespace Lorvantic
