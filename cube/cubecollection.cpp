// Collection of the checked cubes into CubeInfo holders, and the thirteen collectors.

#include "cube/cubekind.h"
#include "cube/cuberead.h"
#include "cube/cubetext.h"
#include "report/reportfile.h"

namespace Lorvantic {

using CubeRead::Counter16;
using CubeRead::ForEachItem;
using CubeRead::Required;

namespace {

QString yesNo(bool value) {
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

} // namespace

CubeKind::CubeKind(SelectorState& state)
    : m_state(state) {}

// A guarded read that also counts the failures that end it.
template <class Step> bool CubeCollectors::guarded(Step&& step) {
    if (CubeRead::Guarded(std::forward<Step>(step)))
        return true;
    readFailed();
    return false;
}

// The rows are counted in 16 bits: a longer catalogue fails once the new list is made.
void CubeKind::startInfoList(const Selection& selection) {
    m_info = std::make_shared<CubeInfoList>();
    m_failedReads = 0;
    Counter16(static_cast<qint32>(selection.rows.size()) - 1);
}

QString CubeKind::collectionStatus() const {
    return QStringLiteral("Retrieving Cube information");
}

void CubeKind::CollectItem(const SelectionRow& row) {
    GetCubeInfo(row.database, row.name);
}

void CubeKind::GetCubeInfo(const QString& databaseName, const QString& cubeName) {
    guarded([&] {
        auto info = MakeHolder<CubeInfo>();
        const std::shared_ptr<Olap::Store> database =
            Required(Required(Required(m_state.DSOServer)->Databases())->Item(databaseName));
        const std::shared_ptr<Olap::Store> cube = Required(Required(database->Cubes())->Item(cubeName));
        info->DatabaseName = databaseName;
        info->Name = cube->Name();
        info->Size = GetSizeInMB(*cube);
        info->ProcessingDate = ProcessingDateText(*cube, info->ProcessedAt, QStringLiteral("Not processed"));
        // A cube the server could not give is reported with why, in place of its parts.
        info->ReadFault = cube->ReadFault();
        if (info->ReadFault.isEmpty())
            collectParts(*cube, *info);
        // Appended only now, so that a cube whose reads failed is left out.
        Required(m_info)->Add(std::move(info));
    });
}

void CubeKind::collectParts(Olap::Store& cube, CubeInfo& info) {
    if (categoryChecked(cinCubeRoles))
        GetCubeRoles(cube, info);
    if (categoryChecked(cinpart))
        GetCubePartitions(cube, info);
    if (categoryChecked(cinDim))
        GetCubeDimensions(cube, info);
    if (categoryChecked(cinMsr))
        GetCubeMeasures(cube, info);
    if (categoryChecked(cinCalcMbr))
        GetCubeCalcMbrs(cube, info);
}

QString CubeKind::GetStorageModeText(qint32 code) {
    switch (code) {
    case 0:
        return QStringLiteral("MOLAP");
    case 1:
        return QStringLiteral("HOLAP");
    case 3:
    case 15:
        return QStringLiteral("ROLAP");
    default:
        return QStringLiteral("Unable to determine");
    }
}

QString CubeKind::GetAggregateFunctionText(qint32 code) {
    switch (code) {
    case 0:
        return QStringLiteral("SUM");
    case 1:
        return QStringLiteral("COUNT");
    case 2:
        return QStringLiteral("MIN");
    case 3:
        return QStringLiteral("MAX");
    default:
        return QStringLiteral("NONE");
    }
}

void CubeCollectors::GetCubeRoles(Olap::Store& obj, CubeInfo& tempCube) {
    // Roles read before a failing one stay in the list.
    guarded([&] {
        const Olap::CollectionPtr<Olap::Role> roles = Required(obj.Roles());
        const qint16 count = Counter16(roles->Count());
        tempCube.Roles.Reserve(count);
        for (qint32 i = 1; i <= count; ++i) {
            const std::shared_ptr<Olap::Role> role = Required(roles->Item(i));
            auto info = MakeHolder<RoleInfo>();
            info->Name = role->Name();
            tempCube.Roles.Add(std::move(info));
        }
    });
}

bool CubeCollectors::GetCubePartitions(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        const Olap::CollectionPtr<Olap::Store> partitions = Required(obj.Partitions());
        const qint16 count = Counter16(partitions->Count());
        tempCube.Partitions.Reserve(count);
        for (qint32 i = 1; i <= count; ++i)
            GetPartitionInfo(*Required(partitions->Item(i)), tempCube);
    });
}

bool CubeCollectors::GetPartitionInfo(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<PartitionInfo>();
        info->Name = obj.Name();
        info->Type = CubeKind::GetStorageModeText(obj.StorageMode());
        info->AggregationCount = QString::number(Required(obj.Aggregations())->Count());
        if (collectsCategory(cinDS))
            GetCubeDataSources(obj, *info);
        tempCube.Partitions.Add(std::move(info));
    });
}

bool CubeCollectors::GetCubeDataSources(Olap::Store& obj, PartitionInfo& tempPart) {
    // Only the first data source of a partition is reported.
    return guarded([&] { GetDataSourceInfo(*Required(Required(obj.DataSources())->Item(1)), tempPart); });
}

bool CubeCollectors::GetDataSourceInfo(Olap::DataSource& obj, PartitionInfo& tempPart) {
    static const QString assignment = QStringLiteral("=");
    static const QString terminator = QStringLiteral(";");
    return guarded([&] {
        tempPart.DataSourceName = obj.Name();
        tempPart.Driver =
            GetConnectionValue(obj.ConnectionString(), QStringLiteral("Provider"), assignment, terminator);
        tempPart.Source =
            GetConnectionValue(obj.ConnectionString(), QStringLiteral("Data Source"), assignment, terminator);
    });
}

bool CubeCollectors::GetCubeDimensions(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        ForEachItem(obj.Dimensions(), tempCube.Dimensions,
                    [&](Olap::Dimension& d) { GetDimensionInfo(d, tempCube); });
    });
}

bool CubeCollectors::GetDimensionInfo(Olap::Dimension& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<DimensionInfo>();
        info->Name = obj.IsShared() ? obj.Name() : PrivateDimensionName(obj.Name(), tempCube.Name);
        info->Type = obj.IsShared() ? QStringLiteral("Shared") : QStringLiteral("Private");
        if (collectsCategory(cinDimLevelName))
            GetDimLevelInfo(obj, *info);
        tempCube.Dimensions.Add(std::move(info));
    });
}

void CubeCollectors::GetDimLevelInfo(Olap::Dimension& obj, DimensionInfo& tempDimension) {
    guarded([&] {
        ForEachItem(obj.Levels(), tempDimension.Levels,
                    [&](Olap::Level& l) { GetLevelInfo(l, tempDimension); });
    });
}

bool CubeCollectors::GetLevelInfo(Olap::Level& obj, DimensionInfo& tempDimension) {
    return guarded([&] {
        auto info = MakeHolder<LevelInfo>();
        info->Name = obj.Name();
        info->Visible = yesNo(!obj.IsHidden());
        info->AvailableForAggregation = yesNo(obj.EnableAggregations());
        tempDimension.Levels.Add(std::move(info));
    });
}

bool CubeCollectors::GetCubeMeasures(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        ForEachItem(obj.Measures(), tempCube.Measures,
                    [&](Olap::Measure& m) { GetMeasureInfo(m, tempCube); });
    });
}

bool CubeCollectors::GetMeasureInfo(Olap::Measure& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<MeasureInfo>();
        info->Name = obj.Name();
        info->Internal = yesNo(obj.IsInternal());
        info->DisplayFormat =
            obj.FormatString().isEmpty() ? QStringLiteral("Not available") : obj.FormatString();
        info->WarehouseTable = obj.SourceColumn();
        info->AppliedFunction = CubeKind::GetAggregateFunctionText(obj.AggregateFunction());
        tempCube.Measures.Add(std::move(info));
    });
}

bool CubeCollectors::GetCubeCalcMbrs(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        ForEachItem(obj.Commands(), tempCube.CalcMembers,
                    [&](Olap::Command& c) { GetCalcMbrInfo(c, tempCube); });
    });
}

bool CubeCollectors::GetCalcMbrInfo(Olap::Command& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<CalcMemberInfo>();
        info->Name = obj.Name();
        info->Statement = CalcMemberStatementText(obj.Statement());
        info->SolveOrder = QString::number(obj.SolveOrder());
        tempCube.CalcMembers.Add(std::move(info));
    });
}

} // namespace Lorvantic
