#pragma once

// The thirteen collectors of a cube report: each fills one part of an info holder from one
// object of the server. The cube kind gathers the checked cubes with them, and MetaSelCube
// offers the same collectors to hosts, which may call them with objects and holders of their
// own. A Boolean collector returns false when a failure ended it; failures never pass out.

#include "lorvantic_export.h"
#include "model/holders.h"
#include "model/olap.h"

namespace Lorvantic {

class LORVANTIC_EXPORT CubeCollectors {
public:
    CubeCollectors(const CubeCollectors&) = delete;
    CubeCollectors& operator=(const CubeCollectors&) = delete;

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

protected:
    CubeCollectors() = default;
    virtual ~CubeCollectors() = default;
    // Whether the selection asks for the category (a CubeInfoNames value): a partition's data
    // source and a dimension's levels are gathered only then. Fails before there is a selection.
    virtual bool collectsCategory(qint32 category) const = 0;
    // A guarded read was ended by a failure.
    virtual void readFailed() = 0;
    // Runs a read under a guard of its own; a failure ends it quietly and is counted.
    template <class Step> bool guarded(Step&& step);
};

} // namespace Lorvantic
