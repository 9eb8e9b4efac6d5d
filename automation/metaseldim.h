#pragma once

#include "dimensionkind.h"
#include "selectorbase.h"

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
