#include "core/selectorstate.h"

namespace Lorvantic {

void SelectorState::advanceProgress(float step) const {
    if (ProgressWindow* window = progressWindow()) {
        window->Progress(step);
        LetEventsRun();
    }
}

void SelectorState::showOpeningDatabase(const Olap::Store& database) const {
    if (progressWindow())
        showStatus(QStringLiteral("Opening database: ") + database.Name() +
                   QStringLiteral("\r\nThis may take a while"));
}

void SelectorState::showStatus(const QString& status) const {
    if (ProgressWindow* window = progressWindow()) {
        window->Status(status);
        LetEventsRun();
    }
}

} // namespace Lorvantic
