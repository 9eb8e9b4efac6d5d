#include "role/rolekind.h"

namespace Lorvantic {

RoleKind::RoleKind(SelectorState& state)
    : m_state(state) {}

const Olap::Server& RoleKind::server() const {
    if (!m_state.DSOServer)
        RaiseObjectNotSet();
    return *m_state.DSOServer;
}

RoleInfoList& RoleKind::roleList() const {
    if (!m_roles)
        RaiseObjectNotSet();
    return *m_roles;
}

} // namespace Lorvantic
