#pragma once

#include "automation/selectorbase.h"
#include "dimension/dimensionkind.h"

namespace Lorvantic {

// Runs dimension reports.
class MetaSelDim : public SelectorBase {
public:
    MetaSelDim();
    const DimensionKind& kind() const { return m_kind; }

private:
    DimensionKind m_kind;
};

} // namespace Lorvantic
