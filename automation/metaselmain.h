#pragma once

#include "core/selector.h"
#include "lorvantic_export.h"

#include <memory>

namespace Lorvantic {

// The entry of the stand-alone report tool.
class LORVANTIC_EXPORT MetaSelMain {
public:
    // Opens the connection dialog and returns when the user has closed it.
    void StartReport();
};

// A new selector object of the kind, as the connection dialog's report buttons make them.
LORVANTIC_EXPORT std::shared_ptr<Selector> CreateSelector(ReportKind kind);

} // namespace Lorvantic
