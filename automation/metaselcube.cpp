#include "automation/metaselcube.h"

#include "automation/reportkinds.h"
#include "cube/cubekind.h"

namespace Lorvantic {

MetaSelCube::MetaSelCube()
    : SelectorBase({QStringLiteral("Cube Information"), 20110, std::nullopt, QStringLiteral("Cubes"), true},
                   ReportKindOf(ReportKind::Cubes).makeKind) {}

const CubeKind& MetaSelCube::kind() const {
    return cubeKind();
}

CubeKind& MetaSelCube::cubeKind() const {
    return static_cast<CubeKind&>(selectorKind());
}

void MetaSelCube::GetCubeRoles(Olap::Store& obj, CubeInfo& tempCube) {
    cubeKind().GetCubeRoles(obj, tempCube);
}

bool MetaSelCube::GetCubePartitions(Olap::Store& obj, CubeInfo& tempCube) {
    return cubeKind().GetCubePartitions(obj, tempCube);
}

bool MetaSelCube::GetPartitionInfo(Olap::Store& obj, CubeInfo& tempCube) {
    return cubeKind().GetPartitionInfo(obj, tempCube);
}

bool MetaSelCube::GetCubeDataSources(Olap::Store& obj, PartitionInfo& tempPart) {
    return cubeKind().GetCubeDataSources(obj, tempPart);
}

bool MetaSelCube::GetDataSourceInfo(Olap::DataSource& obj, PartitionInfo& tempPart) {
    return cubeKind().GetDataSourceInfo(obj, tempPart);
}

bool MetaSelCube::GetCubeDimensions(Olap::Store& obj, CubeInfo& tempCube) {
    return cubeKind().GetCubeDimensions(obj, tempCube);
}

bool MetaSelCube::GetDimensionInfo(Olap::Dimension& obj, CubeInfo& tempCube) {
    return cubeKind().GetDimensionInfo(obj, tempCube);
}

void MetaSelCube::GetDimLevelInfo(Olap::Dimension& obj, DimensionInfo& tempDimension) {
    cubeKind().GetDimLevelInfo(obj, tempDimension);
}

bool MetaSelCube::GetLevelInfo(Olap::Level& obj, DimensionInfo& tempDimension) {
    return cubeKind().GetLevelInfo(obj, tempDimension);
}

bool MetaSelCube::GetCubeMeasures(Olap::Store& obj, CubeInfo& tempCube) {
    return cubeKind().GetCubeMeasures(obj, tempCube);
}

bool MetaSelCube::GetMeasureInfo(Olap::Measure& obj, CubeInfo& tempCube) {
    return cubeKind().GetMeasureInfo(obj, tempCube);
}

bool MetaSelCube::GetCubeCalcMbrs(Olap::Store& obj, CubeInfo& tempCube) {
    return cubeKind().GetCubeCalcMbrs(obj, tempCube);
}

bool MetaSelCube::GetCalcMbrInfo(Olap::Command& obj, CubeInfo& tempCube) {
    return cubeKind().GetCalcMbrInfo(obj, tempCube);
}

} // namespace Lorvantic
