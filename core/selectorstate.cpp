#include "core/selectorstate.h"

#include "core/grids.h"

namespace Lorvantic {

bool SelectorState::categoryChecked(qint32 row, bool strict) const {
    const QVariant& flag = infoTreeRows.at(row, InfoTreeColumn::Checked);
    if (strict)
        return flag.typeId() == QMetaType::Bool && flag.toBool();
    return flag.isValid() && !flag.isNull() && flag.toBool();
}

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
