#include "selection/selectorflow.h"

#include "model/error.h"

namespace Lorvantic {

SelectorFlow::SelectorFlow(SelectorState& state, SelectorKind& kind, ProgressOpener openProgress)
    : m_state(state)
    , m_kind(kind)
    , m_openProgress(std::move(openProgress)) {}

void SelectorFlow::OpenProgress() {
    if (m_state.applicationMode())
        m_state.progress = m_openProgress();
}

void SelectorFlow::CloseProgress() {
    if (!m_state.progress)
        return;
    m_state.progress->Close();
    m_state.progress.reset();
}

Selection SelectorFlow::OpenCatalogue() {
    OpenProgress();
    if (ProgressWindow* window = m_state.progressWindow())
        window->Progress(10);
    LetEventsRun();
    if (!m_state.DSOServer) {
        m_state.DSOServer = Olap::CreateServer();
        m_state.DSOServer->Connect(m_state.ServerName);
    }
    Selection selection;
    selection.rows = m_kind.GetCatalogue();
    selection.columns = m_kind.GetColumns();
    selection.categories = m_kind.GetInfoTree();
    return selection;
}

void SelectorFlow::Report(const Selection& selection, bool index) {
    m_state.indexOption = index;
    OpenProgress();
    CollectSelection(m_kind, selection, m_state);
    m_kind.CreateReport();
    CloseProgress();
}

void CollectSelection(SelectorKind& kind, const Selection& selection, const SelectorState& state) {
    kind.BeginCollection(selection);
    if (selection.rows.empty())
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    const float step = 75.0F / static_cast<float>(selection.rows.size());
    const QString status = kind.collectionStatus();
    for (const SelectionRow& row : selection.rows) {
        state.advanceProgress(step);
        state.showStatus(status);
        if (row.checked)
            kind.CollectItem(row);
    }
}

void SelectorFlow::Run(SelectionDialog& dialog, Selection selection) {
    dialog.Offer(selection);
    if (m_state.applicationMode())
        CloseProgress();
    bool index = false;
    while (dialog.AskForReport(selection, index))
        Report(selection, index);
}

} // namespace Lorvantic
