#include "core/selectorflow.h"

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

void SelectorFlow::OpenCatalogue() {
    OpenProgress();
    if (ProgressWindow* window = m_state.progressWindow())
        window->Progress(10);
    LetEventsRun();
    if (!m_state.DSOServer) {
        m_state.DSOServer = Olap::CreateServer();
        m_state.DSOServer->Connect(m_state.ServerName);
    }
    m_kind.GetCatalogue();
}

void SelectorFlow::Report(bool index) {
    m_state.indexOption = index;
    OpenProgress();
    m_kind.RetrieveInfo();
    m_kind.CreateReport();
    CloseProgress();
}

} // namespace Lorvantic
