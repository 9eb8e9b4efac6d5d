#pragma once

#include "dimension/dimensionkind.h"
#include "automation/selectorbase.h"

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
