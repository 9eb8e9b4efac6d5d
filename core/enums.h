#pragma once

// The public enumerations of the component (32-bit signed values).

#include <QtGlobal>

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

} // namespace Lorvantic
