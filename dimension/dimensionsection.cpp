#include "dimension/dimensionkind.h"

namespace Lorvantic {

namespace {

const TableShape& summaryShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("dimension"),
        QStringLiteral("Dimension"),
        {{QStringLiteral("database"), QStringLiteral("Database")},
         {QStringLiteral("name"), QStringLiteral("Dimension Name"), CellType::Text, false, true},
         {QStringLiteral("lastProcessed"), QStringLiteral("Processing Date"), CellType::Date},
         {QStringLiteral("kind"), QStringLiteral("Kind")},
         {QStringLiteral("type"), QStringLiteral("Type")}},
        {},
        {.margin = 10, .width = 95, .rowClosesTable = true, .closedAtEnd = false},
    });
    return shape;
}

std::vector<ReportColumn> levelColumns() {
    return {{QStringLiteral("name"), QStringLiteral("Level")},
            {QStringLiteral("members"), QStringLiteral("#Elem"), CellType::Number},
            {QStringLiteral("memberName"), QStringLiteral("Member Name"), CellType::Text, false, false,
             QStringLiteral("&nbsp")},
            {QStringLiteral("memberKey"), QStringLiteral("Member Key"), CellType::Text, false, false,
             QStringLiteral("&nbsp")},
            {QStringLiteral("type"), QStringLiteral("Type")}};
}

// Without member properties all levels share one table.
const TableShape& levelShape() {
    static const TableShape shape =
        MakeTableShape({QStringLiteral("levels"), QStringLiteral("Levels"), levelColumns()});
    return shape;
}

// With member properties each level gets its own table, followed by the table of its properties.
const TableShape& levelWithPropertiesShape() {
    static const TableShape shape =
        MakeTableShape({QStringLiteral("levels"),
                        QStringLiteral("Levels"),
                        levelColumns(),
                        {},
                        {.headerPerRow = true, .rowClosesTable = true, .closedAtEnd = false}});
    return shape;
}

const TableShape& propertyShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("properties"),
        QStringLiteral("Member Properties"),
        {{QStringLiteral("name"), QStringLiteral("Property")},
         {QStringLiteral("sourceColumn"), QStringLiteral("Source Column"), CellType::Text, false, false,
          QStringLiteral("&nbsp")}},
        {},
        {.margin = 110, .width = 75},
    });
    return shape;
}

// Kept byte for byte as earlier pages have it, stray closing tags and unclosed last cell included:
// pages are compared across versions.
const TableShape& cubeShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("cubes"),
        QStringLiteral("Used in Cubes"),
        {{QStringLiteral("name"), QStringLiteral("Used in Cube")},
         {QStringLiteral("size"), QStringLiteral("Size (MB)"), CellType::Number},
         {QStringLiteral("lastProcessed"), QStringLiteral("Processing Date"), CellType::Date}},
        QStringLiteral("No cubes found"),
        {.emptyCell = QStringLiteral("vAlign='top' colspan='3'"),
         .header = QStringLiteral(
             "<table border='1' style='margin-left:60' cellspacing='0' width='90%'><tr bgcolor='#AEAEAE'>"
             "<TH vAlign='top' Align='left'><B>Used in Cube</B></TH><TH vAlign='top'><B>Size (MB)</B></TH>"
             "</B></TH><TH vAlign='top'><B>Processing Date</TR>")},
    });
    return shape;
}

void writeLevelRow(const LevelInfo& level, ReportWriter& report) {
    report.row({level.Name, level.MemberCount, level.MemberNameColumn, level.MemberKeyColumn, level.Type});
}

void writeProperties(const LevelPropertyInfoList& properties, ReportWriter& report) {
    if (properties.Count() == 0)
        return;
    report.beginTable(propertyShape());
    for (const auto& property : properties)
        report.row({property->Name, property->SourceColumn});
    report.endTable();
}

void writeCubes(const DimensionCubeList& cubes, ReportWriter& report) {
    report.beginTable(cubeShape());
    for (const auto& cube : cubes)
        report.row({cube->Name, cube->Size, {cube->ProcessingDate, cube->ProcessedAt}});
    report.endTable();
}

} // namespace

void DimensionKind::WriteSection(const DimensionInfo& item, ReportWriter& report) const {
    report.beginItem(
        {item.DatabaseName, item.Name}, summaryShape(),
        {item.DatabaseName, item.Name, {item.ProcessingDate, item.ProcessedAt}, item.Kind, item.Type});
    if (categoryChecked(dinLevel))
        writeLevels(item.Levels, report);
    if (categoryChecked(dinCube))
        writeCubes(item.Cubes, report);
    report.endItem();
}

void DimensionKind::writeLevels(const LevelInfoList& levels, ReportWriter& report) const {
    const bool properties = categoryChecked(dinLevelProp);
    report.beginTable(properties ? levelWithPropertiesShape() : levelShape());
    for (const auto& level : levels) {
        writeLevelRow(*level, report);
        if (properties)
            writeProperties(level->Properties, report);
    }
    report.endTable();
}

} // namespace Lorvantic
