// The cube report: the page frame's cube texts, the run over the collected cubes, and the
// section of one cube.

#include "cube/cubekind.h"

namespace Lorvantic {

namespace {

using Column = ReportColumn;

const TableShape& summaryShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("cube"),
        QStringLiteral("Cube"),
        {{QStringLiteral("database"), QStringLiteral("Database")},
         {QStringLiteral("name"), QStringLiteral("Cube Name")},
         {QStringLiteral("size"), QStringLiteral("Size (MB)"), CellType::Number},
         {QStringLiteral("lastProcessed"), QStringLiteral("Last Processed Date"), CellType::Date}},
        {},
        {.margin = 10, .width = 95, .rowClosesTable = true, .closedAtEnd = false},
    });
    return shape;
}

const TableShape& roleShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("roles"),
        QStringLiteral("Roles"),
        {{QStringLiteral("role"), QStringLiteral("Role"), CellType::Text, true}},
        QStringLiteral("No Roles available"),
        {.emptyCell = QStringLiteral("vAlign='top'")},
    });
    return shape;
}

std::vector<Column> partitionColumns(bool dataSources) {
    std::vector<Column> columns{
        {QStringLiteral("name"), QStringLiteral("Partition Name")},
        {QStringLiteral("storageMode"), QStringLiteral("Type")},
        {QStringLiteral("aggregations"), QStringLiteral("Number of Aggregations"), CellType::Number}};
    if (dataSources) {
        columns.push_back({QStringLiteral("dataSource"), QStringLiteral("Used DataSource")});
        columns.push_back({QStringLiteral("driver"), QStringLiteral("Used Driver")});
        columns.push_back({QStringLiteral("source"), QStringLiteral("Source")});
    }
    return columns;
}

const TableShape& partitionShape(bool dataSources) {
    static const TableShape withSources =
        MakeTableShape({QStringLiteral("partitions"), QStringLiteral("Partitions"), partitionColumns(true)});
    static const TableShape withoutSources =
        MakeTableShape({QStringLiteral("partitions"), QStringLiteral("Partitions"), partitionColumns(false)});
    return dataSources ? withSources : withoutSources;
}

// Data sources alone gather no partitions: the page then closes a table it never opened.
const TableShape& dataSourcesAloneShape() {
    static const TableShape shape =
        MakeTableShape({QStringLiteral("dataSources"), QStringLiteral("Data Sources")});
    return shape;
}

std::vector<Column> dimensionColumns() {
    return {{QStringLiteral("name"), QStringLiteral("Dimension Name"), CellType::Text, true},
            {QStringLiteral("type"), QStringLiteral("Type"), CellType::Text, true}};
}

const TableShape& dimensionShape() {
    static const TableShape shape =
        MakeTableShape({QStringLiteral("dimensions"), QStringLiteral("Dimensions"), dimensionColumns()});
    return shape;
}

// With levels each dimension gets a table of its own, followed by its level table; only the
// last level table is closed, by the end of the dimensions.
const TableShape& dimensionWithLevelsShape() {
    static const TableShape shape = MakeTableShape({QStringLiteral("dimensions"),
                                                    QStringLiteral("Dimensions"),
                                                    dimensionColumns(),
                                                    {},
                                                    {.headerPerRow = true, .rowClosesTable = true}});
    return shape;
}

const TableShape& levelShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("levels"),
        QStringLiteral("Levels"),
        {{QStringLiteral("name"), QStringLiteral("Level Name")},
         {QStringLiteral("visible"), QStringLiteral("Visible"), CellType::Boolean},
         {QStringLiteral("aggregation"), QStringLiteral("Available for Aggregation"), CellType::Boolean}},
        {},
        {.margin = 110, .width = 75, .closedAtEnd = false},
    });
    return shape;
}

const TableShape& measureShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("measures"),
        QStringLiteral("Measures"),
        {{QStringLiteral("name"), QStringLiteral("Measure Name")},
         {QStringLiteral("internal"), QStringLiteral("Internal"), CellType::Boolean},
         {QStringLiteral("format"), QStringLiteral("Display Format"), CellType::Text, false, false,
          QStringLiteral("Not available")},
         {QStringLiteral("source"), QStringLiteral("Warehouse Table")},
         {QStringLiteral("aggregation"), QStringLiteral("Applied Function")}},
    });
    return shape;
}

const TableShape& calcMemberShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("calculatedMembers"),
        QStringLiteral("Calculated Members"),
        {{QStringLiteral("name"),
          QStringLiteral("Calc. Member Name"),
          CellType::Text,
          false,
          false,
          {},
          QStringLiteral("Calc.&nbspMember Name")},
         {QStringLiteral("statement"), QStringLiteral("MDX Statement")},
         {QStringLiteral("solveOrder"), QStringLiteral("Solve Order"), CellType::Number}},
        QStringLiteral("No Calculated Members found."),
        {.emptyCell = QStringLiteral("colspan='3'")},
    });
    return shape;
}

} // namespace

// The one guarded page run; its header table has one blank before the width.
PageKind CubeKind::pageKind() {
    return MakePageKind(QStringLiteral("Cube"), QStringLiteral("<p></p><table border='0' width='100%'>"),
                        QStringLiteral("100%"), true);
}

void CubeKind::CreateReport() {
    // Without a collection there is no list to count; the guarded run then ends quietly.
    if (!m_info)
        return;
    const CubeInfoList& cubes = *m_info;
    PageRunState run = PageRunOf(m_state);
    CreateListReport(pageKind(), run, cubes,
                     [this](const CubeInfo& cube, ReportWriter& report) { WriteSection(cube, report); });
}

void CubeKind::WriteSection(const CubeInfo& cube, ReportWriter& report) const {
    report.beginItem({cube.DatabaseName, cube.Name}, summaryShape(),
                     {cube.DatabaseName, cube.Name, cube.Size, {cube.ProcessingDate, cube.ProcessedAt}});
    if (cube.ReadFault.isEmpty())
        writeParts(cube, report);
    else
        report.unreadable(cube.ReadFault);
    report.endItem();
}

void CubeKind::writeParts(const CubeInfo& cube, ReportWriter& report) const {
    if (categoryChecked(cinCubeRoles))
        writeRolePart(cube, report);
    if (categoryChecked(cinpart) || categoryChecked(cinDS))
        writePartitionPart(cube, report);
    if (categoryChecked(cinDim))
        writeDimensionPart(cube, report);
    if (categoryChecked(cinMsr))
        writeMeasurePart(cube, report);
    if (categoryChecked(cinCalcMbr))
        writeCalcMemberPart(cube, report);
}

void CubeKind::writeRolePart(const CubeInfo& cube, ReportWriter& report) const {
    report.beginTable(roleShape());
    for (const auto& role : cube.Roles)
        report.row({role->Name});
    report.endTable();
}

void CubeKind::writePartitionPart(const CubeInfo& cube, ReportWriter& report) const {
    const bool partitions = categoryChecked(cinpart);
    const bool dataSources = categoryChecked(cinDS);
    if (!partitions) {
        report.beginTable(dataSourcesAloneShape());
        report.endTable();
        return;
    }
    report.beginTable(partitionShape(dataSources));
    for (const auto& part : cube.Partitions) {
        if (dataSources)
            report.row({part->Name, part->Type, part->AggregationCount, part->DataSourceName, part->Driver,
                        part->Source});
        else
            report.row({part->Name, part->Type, part->AggregationCount});
    }
    report.endTable();
}

void CubeKind::writeDimensionPart(const CubeInfo& cube, ReportWriter& report) const {
    const bool levels = categoryChecked(cinDimLevelName);
    report.beginTable(levels ? dimensionWithLevelsShape() : dimensionShape());
    for (const auto& dimension : cube.Dimensions) {
        report.row({dimension->Name, dimension->Type});
        if (!levels)
            continue;
        report.beginTable(levelShape());
        for (const auto& level : dimension->Levels)
            report.row({level->Name, level->Visible, level->AvailableForAggregation});
        report.endTable();
    }
    report.endTable();
}

void CubeKind::writeMeasurePart(const CubeInfo& cube, ReportWriter& report) const {
    report.beginTable(measureShape());
    for (const auto& measure : cube.Measures)
        report.row({measure->Name, measure->Internal, measure->DisplayFormat, measure->WarehouseTable,
                    measure->AppliedFunction});
    report.endTable();
}

void CubeKind::writeCalcMemberPart(const CubeInfo& cube, ReportWriter& report) const {
    report.beginTable(calcMemberShape());
    for (const auto& member : cube.CalcMembers)
        report.row({member->Name, member->Statement, member->SolveOrder});
    report.endTable();
}

} // namespace Lorvantic
