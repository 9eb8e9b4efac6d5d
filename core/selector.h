#pragma once

// What every selector class offers a host: the public enumerations (32-bit signed values) and
// the default interface, with the properties a host writes and the method that runs the flow.
// The connection dialog drives selectors through it.

#include "lorvantic_export.h"
#include "model/olap.h"

#include <QString>
#include <memory>

namespace Lorvantic {

enum LastActionEnum : qint32 { laNone = 0, laOK = 1, laCancel = 2, laReport = 3 };

enum InitModeEnum : qint32 { imOLAPServer = 0, imApplication = 1 };

enum CubeInfoNames : qint32 {
    cinBegin = 0,
    cinCubeRoles = 1,
    cinpart = 2,
    cinDS = 3,
    cinDim = 4,
    cinDimLevelName = 5,
    cinMsr = 6,
    cinCalcMbr = 7,
    cinEnd = 8
};

enum DimInfoNames : qint32 { dinBegin = 0, dinLevel = 1, dinLevelProp = 2, dinCube = 3, dinEnd = 4 };

enum RoleInfoNames : qint32 { rinBegin = 0, rinUser = 1, rinCube = 2, rinEnd = 3 };

class LORVANTIC_EXPORT Selector {
public:
    virtual ~Selector() = default;
    virtual qint32 get_InitMode() const = 0;
    virtual void put_InitMode(qint32 newMode) = 0;
    virtual void putref_DSOServer(std::shared_ptr<Olap::Server> newServ) = 0;
    virtual void put_ServerName(const QString& newServName) = 0;
    virtual void ShowForm() = 0;
};

enum class ReportKind { Cubes, Dimensions, Roles };

} // namespace Lorvantic
