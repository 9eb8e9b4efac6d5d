#pragma once

#include "automation/selectorbase.h"
#include "lorvantic_export.h"

namespace Lorvantic {

class DimensionKind;

// Runs dimension reports.
class LORVANTIC_EXPORT MetaSelDim : public SelectorBase {
public:
    MetaSelDim();
    const DimensionKind& kind() const;
};

} // namespace Lorvantic
