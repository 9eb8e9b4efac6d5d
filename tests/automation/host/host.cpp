// Uses each public class, the enumerations, the object model and the failure type the way a
// host does, so that every declaration it touches must link against the installed library.

#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselmain.h"
#include "automation/metaselrole.h"
#include "lorvantic.h"

#include <cstdio>

int main() {
    Lorvantic::MetaSelCube cube;
    cube.put_InitMode(Lorvantic::imApplication);
    cube.put_ServerName(QStringLiteral("sample"));
    Lorvantic::MetaSelDim dimensions;
    Lorvantic::MetaSelRole roles;
    const std::shared_ptr<Lorvantic::Selector> selector =
        Lorvantic::CreateSelector(Lorvantic::ReportKind::Roles);
    std::shared_ptr<Lorvantic::Olap::Server> server = Lorvantic::Olap::CreateServer();
    try {
        server->Connect(QStringLiteral("no server of this name"));
        return 1;
    } catch (const Lorvantic::Error& failure) {
        std::printf("%d %s\n", failure.number(), failure.description().toUtf8().constData());
    }
    Lorvantic::CubeInfo tempCube;
    (void)tempCube;
    // The collectors link, though a host's own objects are needed to call them.
    bool (Lorvantic::MetaSelCube::*collector)(Lorvantic::Olap::Store&, Lorvantic::CubeInfo&) =
        &Lorvantic::MetaSelCube::GetCubePartitions;
    return cube.get_InitMode() == Lorvantic::imApplication &&
                   roles.get_InitMode() == Lorvantic::imOLAPServer && collector && LV_FAILED(LV_E_FAIL) &&
                   selector
               ? 0
               : 1;
}
