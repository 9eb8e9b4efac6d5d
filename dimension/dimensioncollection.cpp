#include "dimension/dimensionkind.h"
#include "report/reportfile.h"

namespace Lorvantic {

namespace {

// Calls visit with every item of the collection, position 1 to the count read once; the list
// visit adds to gets room for them all first.
template <class T, class List, class Visit>
void forEachItem(const Olap::Collection<T>& collection, List& into, Visit visit) {
    const qint32 count = collection.Count();
    into.Reserve(count);
    for (qint32 i = 1; i <= count; ++i)
        visit(collection.Item(i));
}

QString orNbsp(const QString& text) {
    return text.isEmpty() ? QStringLiteral("&nbsp") : text;
}

QString levelTypeText(qint32 levelType) {
    switch (levelType) {
    case 20:
        return QStringLiteral("Years");
    case 36:
        return QStringLiteral("Half Years");
    case 68:
        return QStringLiteral("Quarters");
    case 132:
        return QStringLiteral("Months");
    case 260:
        return QStringLiteral("Weeks");
    case 516:
        return QStringLiteral("Days");
    case 772:
        return QStringLiteral("Hours");
    case 1028:
        return QStringLiteral("Minutes");
    case 2052:
        return QStringLiteral("Seconds");
    default:
        return QStringLiteral("Standard");
    }
}

// Private dimensions are never virtual; the class code is read only for shared ones.
QString dimensionTypeText(const Olap::Dimension& dimension) {
    if (!dimension.IsShared())
        return QStringLiteral("Private");
    return dimension.VirtualCode() == 1 ? QStringLiteral("Virtual") : QStringLiteral("Shared");
}

} // namespace

void DimensionKind::startInfoList(const Selection& /*selection*/) {
    m_infoList = std::make_shared<DimensionInfoList>();
}

QString DimensionKind::collectionStatus() const {
    return QStringLiteral("Retrieving Dimension information");
}

void DimensionKind::CollectItem(const SelectionRow& row) {
    GetDimInfo(row.database, row.name);
}

void DimensionKind::GetDimInfo(const QString& databaseName, const QString& dimensionName) {
    auto tempDimension = MakeHolder<DimensionInfo>();
    const std::shared_ptr<Olap::Store> database = server().Databases()->Item(databaseName);
    const std::shared_ptr<Olap::Dimension> dimension = database->Dimensions()->Item(dimensionName);
    tempDimension->Name = dimensionName;
    tempDimension->ProcessingDate =
        ProcessingDateText(*dimension, tempDimension->ProcessedAt, QStringLiteral("Not processed"));
    tempDimension->Kind =
        dimension->DimensionType() == 1 ? QStringLiteral("Time") : QStringLiteral("Standard");
    tempDimension->Type = dimensionTypeText(*dimension);
    if (categoryChecked(dinLevel))
        GetDimLevels(*dimension, *tempDimension);
    if (categoryChecked(dinCube))
        GetDimCubes(*dimension, *database, *tempDimension);
    tempDimension->DatabaseName = database->Name();
    m_infoList->Add(tempDimension);
}

void DimensionKind::GetDimLevels(const Olap::Dimension& obj, DimensionInfo& tempDimension) const {
    forEachItem(*obj.Levels(), tempDimension.Levels, [&](const std::shared_ptr<Olap::Level>& level) {
        auto tempLevel = MakeHolder<LevelInfo>();
        tempLevel->Name = level->Name();
        tempLevel->MemberCount = QString::number(level->EstimatedSize());
        tempLevel->MemberNameColumn = orNbsp(level->MemberNameColumn());
        tempLevel->MemberKeyColumn = orNbsp(level->MemberKeyColumn());
        tempLevel->Type = levelTypeText(level->LevelType());
        if (categoryChecked(dinLevelProp))
            GetLevelProps(*level, *tempLevel);
        tempDimension.Levels.Add(tempLevel);
    });
}

void DimensionKind::GetLevelProps(const Olap::Level& obj, LevelInfo& tempLevel) {
    forEachItem(*obj.MemberProperties(), tempLevel.Properties,
                [&](const std::shared_ptr<Olap::MemberProperty>& property) {
                    auto tempProperty = MakeHolder<LevelPropertyInfo>();
                    tempProperty->Name = property->Name();
                    tempProperty->SourceColumn = orNbsp(property->SourceColumn());
                    tempLevel.Properties.Add(tempProperty);
                });
}

void DimensionKind::GetDimCubes(const Olap::Dimension& obj, const Olap::Store& database,
                                DimensionInfo& tempDimension) {
    const std::vector<std::shared_ptr<Olap::Store>> cubes = CubesUsingDimension(database, obj.Name());
    tempDimension.Cubes.Reserve(static_cast<qint32>(cubes.size()));
    for (const std::shared_ptr<Olap::Store>& cube : cubes) {
        auto tempCube = MakeHolder<CubeInfo>();
        tempCube->Name = cube->Name();
        tempCube->Size = GetSizeInMB(*cube);
        tempCube->ProcessingDate =
            ProcessingDateText(*cube, tempCube->ProcessedAt, QStringLiteral("Not Processed"));
        tempDimension.Cubes.Add(tempCube);
    }
}

std::vector<std::shared_ptr<Olap::Store>> CubesUsingDimension(const Olap::Store& database,
                                                              const QString& dimensionName) {
    return database.CubesUsingDimension(dimensionName);
}

} // namespace Lorvantic
