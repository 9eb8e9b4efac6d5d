#include "dimension/dimensionkind.h"

namespace Lorvantic {

namespace {

const QString DimensionTableHeader = QStringLiteral(
    "<table border='1' style='margin-left:10' cellspacing='0' width='95%'><tr bgcolor='#AEAEAE'>"
    "<TH vAlign='top'><B>Database</B></TH><TH vAlign='top'><B>Dimension Name</B></TH>"
    "<TH vAlign='top'><B>Processing Date</B></TH><TH vAlign='top'><B>Kind</B></TH>"
    "<TH vAlign='top'><B>Type</B></TH></TR>");

const QString LevelTableHeader = QStringLiteral(
    "<table border='1' style='margin-left:60' cellspacing='0' width='90%'><tr bgcolor='#AEAEAE'>"
    "<TH vAlign='top'><B>Level</B></TH><TH vAlign='top'><B>#Elem</B></TH>"
    "<TH vAlign='top'><B>Member Name</B></TH><TH vAlign='top'><B>Member Key</B></TH>"
    "<TH vAlign='top'><B>Type</B></TH></TR>");

const QString PropertyTableHeader = QStringLiteral(
    "<table border='1' style='margin-left:110' cellspacing='0' width='75%'><tr bgcolor='#AEAEAE'>"
    "<TH vAlign='top'><B>Property</B></TH><TH vAlign='top'><B>Source Column</B></TH></TR>");

// Kept byte for byte as earlier pages have it, stray closing tags and unclosed last cell included:
// pages are compared across versions.
const QString CubeTableHeader = QStringLiteral(
    "<table border='1' style='margin-left:60' cellspacing='0' width='90%'><tr bgcolor='#AEAEAE'>"
    "<TH vAlign='top' Align='left'><B>Used in Cube</B></TH><TH vAlign='top'><B>Size (MB)</B></TH>"
    "</B></TH><TH vAlign='top'><B>Processing Date</TR>");

const QString TableEnd = QStringLiteral("</TABLE>");

void writeLevelRow(const LevelInfo& level, PageWriter& page, QStringView tail = {}) {
    page.AppendRow({level.Name, level.MemberCount, level.MemberNameColumn, level.MemberKeyColumn, level.Type},
                   tail);
}

void writeProperties(const LevelPropertyInfoList& properties, PageWriter& page) {
    if (properties.Count() == 0)
        return;
    page.AppendLine(PropertyTableHeader);
    for (const auto& property : properties)
        page.AppendRow({property->Name, property->SourceColumn});
    page.AppendLine(TableEnd);
}

void writeCubes(const DimensionCubeList& cubes, PageWriter& page) {
    page.AppendLine(CubeTableHeader);
    if (cubes.Count() == 0)
        page.AppendLine(QStringLiteral("<TR bgcolor='") + QLatin1String(Page::RowColour) +
                        QStringLiteral("'><TD vAlign='top' colspan='3'>No cubes found</TD></TR>"));
    for (const auto& cube : cubes)
        page.AppendRow({cube->Name, cube->Size, cube->ProcessingDate});
    page.AppendLine(TableEnd);
}

} // namespace

void DimensionKind::WriteSection(const DimensionInfo& item, PageWriter& page) const {
    if (m_state.indexOption)
        Page::AppendBackToTop(page, item.DatabaseName, item.Name);
    page.AppendLine(DimensionTableHeader);
    const QString boldName = QStringLiteral("<B>") + item.Name + QStringLiteral("</B>");
    page.AppendRow({item.DatabaseName, boldName, item.ProcessingDate, item.Kind, item.Type}, TableEnd);
    if (m_state.categoryChecked(dinLevel))
        writeLevels(item.Levels, page);
    if (m_state.categoryChecked(dinCube))
        writeCubes(item.Cubes, page);
}

// Without member properties all levels share one table; with them each level gets its own
// table, followed by the table of its properties.
void DimensionKind::writeLevels(const LevelInfoList& levels, PageWriter& page) const {
    if (!m_state.categoryChecked(dinLevelProp)) {
        page.AppendLine(LevelTableHeader);
        for (const auto& level : levels)
            writeLevelRow(*level, page);
        page.AppendLine(TableEnd);
        return;
    }
    for (const auto& level : levels) {
        page.AppendLine(LevelTableHeader);
        writeLevelRow(*level, page, TableEnd);
        writeProperties(level->Properties, page);
    }
}

} // namespace Lorvantic
