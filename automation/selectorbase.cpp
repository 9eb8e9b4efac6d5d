#include "automation/selectorbase.h"

#include "core/messages.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmprogress.h"
#include "dialogs/help.h"
#include "dialogs/widgetapplication.h"
#include "report/reportfile.h"

#include <limits>

namespace Lorvantic {

SelectorBase::SelectorBase(FlowTraits traits, std::unique_ptr<SelectorKind> (*makeKind)(SelectorState& state))
    : m_traits(std::move(traits))
    , m_kind(makeKind(m_state))
    , m_flow(m_state, *m_kind, &ShowProgressWindow) {}

SelectorBase::~SelectorBase() {
    eraseReportFiles();
}

// The object's end: every page the selector wrote goes, with its companion. Positions are
// counted in 16 bits, so a list longer than that is erased up to the counter's limit.
void SelectorBase::eraseReportFiles() const {
    const VariantGrid& files = m_state.reportFiles;
    if (IsArrayEmpty(files))
        return;
    const qint32 last = std::min<qint32>(files.ubound(), std::numeric_limits<qint16>::max());
    for (qint32 i = files.lbound(); i <= last; ++i) {
        if (!EraseTempFiles(files.at(i).toString()))
            MsgBox(QStringLiteral("Error in erasing temporary files."));
    }
}

void SelectorBase::ShowForm() {
    // Without windows the flow cannot start; the host is told, not failed.
    const QString noWindows = PrepareWidgetApplication();
    if (!noWindows.isEmpty()) {
        MsgBox(noWindows);
        return;
    }
    try {
        runFlow();
    } catch (const Error& failure) {
        // A window saying "Work in progress" must not outlive the flow it belongs to, whether
        // or not the kind reports the failure.
        m_flow.CloseProgress();
        if (m_traits.reportFailures)
            MsgBox(failure.description());
    }
}

void SelectorBase::runFlow() {
    m_flow.OpenCatalogue();

    frmInfo dialog;
    QObject::connect(&dialog, &frmInfo::helpRequested, &dialog, [](qint32 id) { ShowHelpTopic(id); });
    prepareDialog(dialog);
    reportLoop(dialog);
}

void SelectorBase::prepareDialog(frmInfo& dialog) {
    // Everything is handed over before the caption is set: that first touch loads the dialog.
    dialog.SetFirstTab(m_state.catalogueRows);
    VariantGrid columns;
    m_kind->GetColumnHeaders(columns);
    dialog.ColumnHeaders(columns);
    m_kind->GetColumnAligns(columns);
    dialog.ColumnAlign(columns);
    m_kind->GetColumnWidths(columns);
    dialog.ColumnWidth(columns);
    m_kind->GetInfoTree();
    dialog.SetSecondTab(m_state.infoTreeRows);
    if (m_state.applicationMode())
        m_flow.CloseProgress();

    dialog.setCaption(m_traits.caption);
    const bool helpFirst = !m_traits.firstTabCaption.has_value();
    if (helpFirst)
        dialog.setHelpContextID(m_traits.helpContextId);
    dialog.LoadCheckedItems(m_traits.settingsSection);
    dialog.lblServer->setText(QStringLiteral("OLAP Server:   ") + m_state.DSOServer->Name());
    if (!helpFirst) {
        dialog.setHelpContextID(m_traits.helpContextId);
        dialog.tabInfo->setTabText(0, *m_traits.firstTabCaption);
    }
}

void SelectorBase::reportLoop(frmInfo& dialog) {
    for (;;) {
        dialog.exec();
        dialog.SaveCheckedItems(m_traits.settingsSection);
        if (dialog.LastAction() != laReport)
            return;
        dialog.LastAction(laCancel);
        dialog.GetFirstTab(m_state.catalogueRows);
        dialog.GetSecondTab(m_state.infoTreeRows);
        m_flow.Report(dialog.chkIndex->checkState() != Qt::Unchecked);
    }
}

} // namespace Lorvantic
