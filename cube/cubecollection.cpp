// Collection of the checked cubes into CubeInfo holders, and the public collectors.

#include "core/grids.h"
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

// A catalogue cell counts as checked only when it holds a Boolean true.
bool equalsTrue(const QVariant& flag) {
    return flag.typeId() == QMetaType::Bool && flag.toBool();
}

} // namespace

CubeKind::CubeKind(SelectorState& state)
    : m_state(state) {}

bool CubeKind::categoryChecked(CubeInfoNames category) const {
    return m_state.categoryChecked(category, true);
}

// A guarded read that also counts the failures that end it.
template <class Step> bool CubeKind::guarded(Step&& step) {
    if (CubeRead::Guarded(std::forward<Step>(step)))
        return true;
    ++m_failedReads;
    return false;
}

void CubeKind::RetrieveInfo() {
    m_info = std::make_shared<CubeInfoList>();
    m_failedReads = 0;
    const VariantGrid& rows = m_state.catalogueRows;
    const qint32 firstRow = rows.lbound(2);
    const qint32 lastRow = rows.ubound(2);
    const float step = 75.0F / static_cast<float>(lastRow - firstRow + 1);
    const qint16 first = Counter16(firstRow);
    const qint16 last = Counter16(lastRow);
    for (qint32 row = first; row <= last; ++row) {
        if (ProgressWindow* progress = m_state.progressWindow()) {
            progress->Progress(step);
            progress->Status(QStringLiteral("Retrieving Cube information"));
            LetEventsRun();
        }
        if (equalsTrue(rows.at(CatalogueColumn::Checked, row)))
            GetCubeInfo(rows.at(CatalogueColumn::Database, row).toString(),
                        rows.at(CatalogueColumn::Name, row).toString());
    }
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

void CubeKind::GetCubeRoles(Olap::Store& obj, CubeInfo& tempCube) {
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

bool CubeKind::GetCubePartitions(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        const Olap::CollectionPtr<Olap::Store> partitions = Required(obj.Partitions());
        const qint16 count = Counter16(partitions->Count());
        tempCube.Partitions.Reserve(count);
        for (qint32 i = 1; i <= count; ++i)
            GetPartitionInfo(*Required(partitions->Item(i)), tempCube);
    });
}

bool CubeKind::GetPartitionInfo(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<PartitionInfo>();
        info->Name = obj.Name();
        info->Type = GetStorageModeText(obj.StorageMode());
        info->AggregationCount = QString::number(Required(obj.Aggregations())->Count());
        if (categoryChecked(cinDS))
            GetCubeDataSources(obj, *info);
        tempCube.Partitions.Add(std::move(info));
    });
}

bool CubeKind::GetCubeDataSources(Olap::Store& obj, PartitionInfo& tempPart) {
    // Only the first data source of a partition is reported.
    return guarded([&] { GetDataSourceInfo(*Required(Required(obj.DataSources())->Item(1)), tempPart); });
}

bool CubeKind::GetDataSourceInfo(Olap::DataSource& obj, PartitionInfo& tempPart) {
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

bool CubeKind::GetCubeDimensions(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        ForEachItem(obj.Dimensions(), tempCube.Dimensions,
                    [&](Olap::Dimension& d) { GetDimensionInfo(d, tempCube); });
    });
}

bool CubeKind::GetDimensionInfo(Olap::Dimension& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<DimensionInfo>();
        info->Name = obj.IsShared() ? obj.Name() : PrivateDimensionName(obj.Name(), tempCube.Name);
        info->Type = obj.IsShared() ? QStringLiteral("Shared") : QStringLiteral("Private");
        if (categoryChecked(cinDimLevelName))
            GetDimLevelInfo(obj, *info);
        tempCube.Dimensions.Add(std::move(info));
    });
}

void CubeKind::GetDimLevelInfo(Olap::Dimension& obj, DimensionInfo& tempDimension) {
    guarded([&] {
        ForEachItem(obj.Levels(), tempDimension.Levels,
                    [&](Olap::Level& l) { GetLevelInfo(l, tempDimension); });
    });
}

bool CubeKind::GetLevelInfo(Olap::Level& obj, DimensionInfo& tempDimension) {
    return guarded([&] {
        auto info = MakeHolder<LevelInfo>();
        info->Name = obj.Name();
        info->Visible = yesNo(!obj.IsHidden());
        info->AvailableForAggregation = yesNo(obj.EnableAggregations());
        tempDimension.Levels.Add(std::move(info));
    });
}

bool CubeKind::GetCubeMeasures(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        ForEachItem(obj.Measures(), tempCube.Measures,
                    [&](Olap::Measure& m) { GetMeasureInfo(m, tempCube); });
    });
}

bool CubeKind::GetMeasureInfo(Olap::Measure& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<MeasureInfo>();
        info->Name = obj.Name();
        info->Internal = yesNo(obj.IsInternal());
        info->DisplayFormat =
            obj.FormatString().isEmpty() ? QStringLiteral("Not available") : obj.FormatString();
        info->WarehouseTable = obj.SourceColumn();
        info->AppliedFunction = GetAggregateFunctionText(obj.AggregateFunction());
        tempCube.Measures.Add(std::move(info));
    });
}

bool CubeKind::GetCubeCalcMbrs(Olap::Store& obj, CubeInfo& tempCube) {
    return guarded([&] {
        ForEachItem(obj.Commands(), tempCube.CalcMembers,
                    [&](Olap::Command& c) { GetCalcMbrInfo(c, tempCube); });
    });
}

bool CubeKind::GetCalcMbrInfo(Olap::Command& obj, CubeInfo& tempCube) {
    return guarded([&] {
        auto info = MakeHolder<CalcMemberInfo>();
        info->Name = obj.Name();
        info->Statement = CalcMemberStatementText(obj.Statement());
        info->SolveOrder = QString::number(obj.SolveOrder());
        tempCube.CalcMembers.Add(std::move(info));
    });
}

} // namespace Lorvantic
