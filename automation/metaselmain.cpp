#include "automation/metaselmain.h"

#include "automation/reportkinds.h"
#include "core/messages.h"
#include "dialogs/frmmain.h"
#include "dialogs/widgetapplication.h"

namespace Lorvantic {

std::shared_ptr<Selector> CreateSelector(ReportKind kind) {
    return ReportKindOf(kind).makeSelector();
}

void MetaSelMain::StartReport() {
    const QString noWindows = PrepareWidgetApplication();
    if (!noWindows.isEmpty()) {
        MsgBox(noWindows);
        return;
    }
    frmMain dialog(&CreateSelector);
    dialog.exec();
}

} // namespace Lorvantic
