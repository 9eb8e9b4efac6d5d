#include "automation/metaseldim.h"

#include "automation/flowtraits.h"
#include "dimension/dimensionkind.h"

namespace Lorvantic {

MetaSelDim::MetaSelDim()
    : SelectorBase({QStringLiteral("Dimension Information"), 20120, QStringLiteral("&Dimensions"),
                    QStringLiteral("Dimensions"), false},
                   [](SelectorState& state) { return std::make_unique<DimensionKind>(state); }) {}

const DimensionKind& MetaSelDim::kind() const {
    return static_cast<const DimensionKind&>(selectorKind());
}

} // namespace Lorvantic
