#include "automation/metaseldim.h"

#include "automation/reportkinds.h"
#include "dimension/dimensionkind.h"

namespace Lorvantic {

MetaSelDim::MetaSelDim()
    : SelectorBase({QStringLiteral("Dimension Information"), 20120, QStringLiteral("&Dimensions"),
                    QStringLiteral("Dimensions"), false},
                   ReportKindOf(ReportKind::Dimensions).makeKind) {}

const DimensionKind& MetaSelDim::kind() const {
    return static_cast<const DimensionKind&>(selectorKind());
}

} // namespace Lorvantic
