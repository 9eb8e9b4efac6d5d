#pragma once

#include "automation/selectorbase.h"
#include "cube/cubekind.h"

namespace Lorvantic {

// Runs cube reports, and offers hosts the collectors that fill the cube holders.
class MetaSelCube : public SelectorBase {
public:
    MetaSelCube();

    void GetCubeRoles(Olap::Store& obj, CubeInfo& tempCube) { m_kind.GetCubeRoles(obj, tempCube); }
    bool GetCubePartitions(Olap::Store& obj, CubeInfo& tempCube) {
        return m_kind.GetCubePartitions(obj, tempCube);
    }
    bool GetPartitionInfo(Olap::Store& obj, CubeInfo& tempCube) {
        return m_kind.GetPartitionInfo(obj, tempCube);
    }
    bool GetCubeDataSources(Olap::Store& obj, PartitionInfo& tempPart) {
        return m_kind.GetCubeDataSources(obj, tempPart);
    }
    bool GetDataSourceInfo(Olap::DataSource& obj, PartitionInfo& tempPart) {
        return m_kind.GetDataSourceInfo(obj, tempPart);
    }
    bool GetCubeDimensions(Olap::Store& obj, CubeInfo& tempCube) {
        return m_kind.GetCubeDimensions(obj, tempCube);
    }
    bool GetDimensionInfo(Olap::Dimension& obj, CubeInfo& tempCube) {
        return m_kind.GetDimensionInfo(obj, tempCube);
    }
    void GetDimLevelInfo(Olap::Dimension& obj, DimensionInfo& tempDimension) {
        m_kind.GetDimLevelInfo(obj, tempDimension);
    }
    bool GetLevelInfo(Olap::Level& obj, DimensionInfo& tempDimension) {
        return m_kind.GetLevelInfo(obj, tempDimension);
    }
    bool GetCubeMeasures(Olap::Store& obj, CubeInfo& tempCube) {
        return m_kind.GetCubeMeasures(obj, tempCube);
    }
    bool GetMeasureInfo(Olap::Measure& obj, CubeInfo& tempCube) {
        return m_kind.GetMeasureInfo(obj, tempCube);
    }
    bool GetCubeCalcMbrs(Olap::Store& obj, CubeInfo& tempCube) {
        return m_kind.GetCubeCalcMbrs(obj, tempCube);
    }
    bool GetCalcMbrInfo(Olap::Command& obj, CubeInfo& tempCube) {
        return m_kind.GetCalcMbrInfo(obj, tempCube);
    }

    const CubeKind& kind() const { return m_kind; }

private:
    CubeKind m_kind;
};

} // namespace Lorvantic
