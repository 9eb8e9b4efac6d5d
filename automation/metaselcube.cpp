#include "automation/metaselcube.h"

namespace Lorvantic {

MetaSelCube::MetaSelCube()
    : SelectorBase({QStringLiteral("Cube Information"), 20110, std::nullopt, QStringLiteral("Cubes"), true},
                   m_kind)
    , m_kind(m_state) {}

} // namespace Lorvantic
