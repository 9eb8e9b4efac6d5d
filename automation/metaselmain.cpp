#include "automation/metaselmain.h"

#include "dialogs/frmmain.h"
#include "core/messages.h"
#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselrole.h"
#include "dialogs/widgetapplication.h"

namespace Lorvantic {

std::shared_ptr<Selector> CreateSelector(ReportKind kind) {
    switch (kind) {
    case ReportKind::Cubes:
        return std::make_shared<MetaSelCube>();
    case ReportKind::Dimensions:
        return std::make_shared<MetaSelDim>();
    case ReportKind::Roles:
        return std::make_shared<MetaSelRole>();
    }
    return nullptr;
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
