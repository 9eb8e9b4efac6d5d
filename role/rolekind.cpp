#include "role/rolekind.h"

namespace Lorvantic {

namespace {

[[noreturn]] void objectNotSet() {
    throw Error(ErrorNumber::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
}

} // namespace

RoleKind::RoleKind(SelectorState& state)
    : m_state(state) {}

const Olap::Server& RoleKind::server() const {
    if (!m_state.DSOServer)
        objectNotSet();
    return *m_state.DSOServer;
}

RoleInfoList& RoleKind::roleList() const {
    if (!m_roles)
        objectNotSet();
    return *m_roles;
}

void RoleKind::advanceProgress(float nProgress) const {
    if (ProgressWindow* progress = m_state.progressWindow()) {
        progress->Progress(nProgress);
        LetEventsRun();
    }
}

void RoleKind::showStatus(const QString& sStatus) const {
    if (ProgressWindow* progress = m_state.progressWindow()) {
        progress->Status(sStatus);
        LetEventsRun();
    }
}

} // namespace Lorvantic
