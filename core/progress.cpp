#include "core/progress.h"

#include <QCoreApplication>

namespace Lorvantic {

void LetEventsRun() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace Lorvantic
