#pragma once

#include "automation/selectorbase.h"
#include "model/holders.h"
#include "model/olap.h"
#include "lorvantic_export.h"

namespace Lorvantic {

class CubeKind;

// Runs cube reports, and offers hosts the collectors that fill the cube holders.
class LORVANTIC_EXPORT MetaSelCube : public SelectorBase {
public:
    MetaSelCube();

    void GetCubeRoles(Olap::Store& obj, CubeInfo& tempCube);
    bool GetCubePartitions(Olap::Store& obj, CubeInfo& tempCube);
    bool GetPartitionInfo(Olap::Store& obj, CubeInfo& tempCube);
    bool GetCubeDataSources(Olap::Store& obj, PartitionInfo& tempPart);
    bool GetDataSourceInfo(Olap::DataSource& obj, PartitionInfo& tempPart);
    bool GetCubeDimensions(Olap::Store& obj, CubeInfo& tempCube);
    bool GetDimensionInfo(Olap::Dimension& obj, CubeInfo& tempCube);
    void GetDimLevelInfo(Olap::Dimension& obj, DimensionInfo& tempDimension);
    bool GetLevelInfo(Olap::Level& obj, DimensionInfo& tempDimension);
    bool GetCubeMeasures(Olap::Store& obj, CubeInfo& tempCube);
    bool GetMeasureInfo(Olap::Measure& obj, CubeInfo& tempCube);
    bool GetCubeCalcMbrs(Olap::Store& obj, CubeInfo& tempCube);
    bool GetCalcMbrInfo(Olap::Command& obj, CubeInfo& tempCube);

    const CubeKind& kind() const;

private:
    CubeKind& cubeKind() const;
};

} // namespace Lorvantic
