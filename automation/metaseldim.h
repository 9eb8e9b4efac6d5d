#pragma once

#include "automation/selectorbase.h"
#include "lorvantic_export.h"

namespace Lorvantic {

class DimensionKind;

// Runs dimension reports.
class LORVANTIC_EXPORT MetaSelDim : public SelectorBase {
public:
    MetaSelDim();
    LORVANTIC_NO_EXPORT const DimensionKind& kind() const;
};

} // namespace Lorvantic
