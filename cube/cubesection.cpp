// The cube report: the page frame's cube texts, the run over the collected cubes, and the
// section of one cube.

#include "cube/cubekind.h"

namespace Lorvantic {

namespace {

const QString TableEnd = QStringLiteral("</TABLE>");

QString tableStart(int margin, int width) {
    return QStringLiteral(
               "<table border='1' style='margin-left:%1' cellspacing='0' width='%2%'><tr bgcolor='")
               .arg(margin)
               .arg(width) +
           QLatin1String(Page::HeaderColour) + QStringLiteral("'>");
}

// One heading cell; left-aligned where the table says so.
QString heading(const QString& text, bool alignLeft = false) {
    return (alignLeft ? QStringLiteral("<TH vAlign='top' Align='left'><B>")
                      : QStringLiteral("<TH vAlign='top'><B>")) +
           text + QStringLiteral("</B></TH>");
}

const QString& cubeTableHeader() {
    static const QString line = tableStart(10, 95) + heading(QStringLiteral("Database")) +
                                heading(QStringLiteral("Cube Name")) + heading(QStringLiteral("Size (MB)")) +
                                heading(QStringLiteral("Last Processed Date")) + QStringLiteral("</TR>");
    return line;
}

const QString& roleTableHeader() {
    static const QString line =
        tableStart(60, 90) + heading(QStringLiteral("Role"), true) + QStringLiteral("</TR>");
    return line;
}

const QString& partitionTableStart() {
    static const QString piece = tableStart(60, 90) + heading(QStringLiteral("Partition Name")) +
                                 heading(QStringLiteral("Type")) +
                                 heading(QStringLiteral("Number of Aggregations"));
    return piece;
}

const QString& dataSourceColumns() {
    static const QString piece = heading(QStringLiteral("Used DataSource")) +
                                 heading(QStringLiteral("Used Driver")) + heading(QStringLiteral("Source")) +
                                 QStringLiteral("</TR>");
    return piece;
}

const QString& dimensionTableHeader() {
    static const QString line = tableStart(60, 90) + heading(QStringLiteral("Dimension Name"), true) +
                                heading(QStringLiteral("Type"), true) + QStringLiteral("</TR>");
    return line;
}

const QString& levelTableHeader() {
    static const QString line =
        tableStart(110, 75) + heading(QStringLiteral("Level Name")) + heading(QStringLiteral("Visible")) +
        heading(QStringLiteral("Available for Aggregation")) + QStringLiteral("</TR>");
    return line;
}

const QString& measureTableHeader() {
    static const QString line =
        tableStart(60, 90) + heading(QStringLiteral("Measure Name")) + heading(QStringLiteral("Internal")) +
        heading(QStringLiteral("Display Format")) + heading(QStringLiteral("Warehouse Table")) +
        heading(QStringLiteral("Applied Function")) + QStringLiteral("</TR>");
    return line;
}

const QString& calcMemberTableHeader() {
    static const QString line = tableStart(60, 90) + heading(QStringLiteral("Calc.&nbspMember Name")) +
                                heading(QStringLiteral("MDX Statement")) +
                                heading(QStringLiteral("Solve Order")) + QStringLiteral("</TR>");
    return line;
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
                     [this](const CubeInfo& cube, PageWriter& page) { WriteSection(cube, page); });
}

void CubeKind::WriteSection(const CubeInfo& cube, PageWriter& page) const {
    if (m_state.indexOption)
        Page::AppendBackToTop(page, cube.DatabaseName, cube.Name);
    page.AppendLine(cubeTableHeader());
    page.AppendRow({cube.DatabaseName, cube.Name, cube.Size, cube.ProcessingDate}, TableEnd);
    if (categoryChecked(cinCubeRoles))
        writeRolePart(cube, page);
    if (categoryChecked(cinpart) || categoryChecked(cinDS))
        writePartitionPart(cube, page);
    if (categoryChecked(cinDim))
        writeDimensionPart(cube, page);
    if (categoryChecked(cinMsr))
        writeMeasurePart(cube, page);
    if (categoryChecked(cinCalcMbr))
        writeCalcMemberPart(cube, page);
}

void CubeKind::writeRolePart(const CubeInfo& cube, PageWriter& page) const {
    page.AppendLine(roleTableHeader());
    if (cube.Roles.Count() == 0)
        page.AppendRow({u"No Roles available"});
    for (const auto& role : cube.Roles)
        page.AppendRow({role->Name});
    page.AppendLine(TableEnd);
}

void CubeKind::writePartitionPart(const CubeInfo& cube, PageWriter& page) const {
    const bool partitions = categoryChecked(cinpart);
    const bool dataSources = categoryChecked(cinDS);
    // Data sources alone gather no partitions: the part is then only the closing line.
    const bool sixColumns = partitions && dataSources;
    if (sixColumns)
        page.AppendLine(partitionTableStart() + dataSourceColumns());
    else if (partitions)
        page.AppendLine(partitionTableStart() + QStringLiteral("</TR>"));
    for (const auto& part : cube.Partitions) {
        if (sixColumns)
            page.AppendRow({part->Name, part->Type, part->AggregationCount, part->DataSourceName,
                            part->Driver, part->Source});
        else
            page.AppendRow({part->Name, part->Type, part->AggregationCount});
    }
    page.AppendLine(TableEnd);
}

void CubeKind::writeDimensionPart(const CubeInfo& cube, PageWriter& page) const {
    // The level flag counts when it converts to true, unlike the other categories.
    if (!m_state.categoryChecked(cinDimLevelName, false)) {
        page.AppendLine(dimensionTableHeader());
        for (const auto& dimension : cube.Dimensions)
            page.AppendRow({dimension->Name, dimension->Type});
        page.AppendLine(TableEnd);
        return;
    }
    // One table per dimension with its level table after it; only the last level table is
    // closed, by the line after the walk.
    for (const auto& dimension : cube.Dimensions) {
        page.AppendLine(dimensionTableHeader());
        page.AppendRow({dimension->Name, dimension->Type}, TableEnd);
        page.AppendLine(levelTableHeader());
        for (const auto& level : dimension->Levels)
            page.AppendRow({level->Name, level->Visible, level->AvailableForAggregation});
    }
    page.AppendLine(TableEnd);
}

void CubeKind::writeMeasurePart(const CubeInfo& cube, PageWriter& page) const {
    page.AppendLine(measureTableHeader());
    for (const auto& measure : cube.Measures)
        page.AppendRow({measure->Name, measure->Internal, measure->DisplayFormat, measure->WarehouseTable,
                        measure->AppliedFunction});
    page.AppendLine(TableEnd);
}

void CubeKind::writeCalcMemberPart(const CubeInfo& cube, PageWriter& page) const {
    page.AppendLine(calcMemberTableHeader());
    if (cube.CalcMembers.Count() == 0)
        page.AppendLine(QStringLiteral("<TR bgcolor='") + QLatin1String(Page::RowColour) +
                        QStringLiteral("'><TD colspan='3'>No Calculated Members found.</TD></TR>"));
    for (const auto& member : cube.CalcMembers)
        page.AppendRow({member->Name, member->Statement, member->SolveOrder});
    page.AppendLine(TableEnd);
}

} // namespace Lorvantic
