// The role page: the role texts of the shared page run and one section per gathered role.

#include "role/rolekind.h"

namespace Lorvantic {

namespace {

QString emptyTableRow(const QString& text) {
    return QStringLiteral("<TR bgcolor='") + QLatin1String(Page::RowColour) +
           QStringLiteral("'><TD vAlign='top' colspan='2'>") + text + QStringLiteral("</TD></TR>");
}

// A table of header line, one row per item (or the empty row) and the closing line; writeRow
// writes an item's row.
template <class List, class WriteRow>
void writeTable(PageWriter& page, const QString& headerLine, const List& items, const QString& emptyText,
                WriteRow writeRow) {
    page.AppendLine(headerLine);
    if (items.Count() == 0)
        page.AppendLine(emptyTableRow(emptyText));
    for (const auto& item : items)
        writeRow(*item);
    page.AppendLine(QStringLiteral("</TABLE>"));
}

} // namespace

// Two blanks before the header table's width.
PageKind RoleKind::pageKind() {
    return MakePageKind(QStringLiteral("Role"), QStringLiteral("<p></p><table border='0'  width='100%'>"),
                        QStringLiteral("100%"), false);
}

void RoleKind::CreateReport() {
    PageRunState run = PageRunOf(m_state);
    CreateReport(run);
}

QString RoleKind::CreateReport(PageRunState& run) {
    // Held here so that the list outlives the run whatever the sections do.
    const std::shared_ptr<RoleInfoList> roles = m_roles;
    const RoleInfoList& list = roleList();
    return CreateListReport(pageKind(), run, list,
                            [this](const RoleInfo& role, PageWriter& page) { WriteSection(role, page); });
}

void RoleKind::WriteSection(const RoleInfo& tempRole, PageWriter& page) const {
    if (m_state.indexOption)
        Page::AppendBackToTop(page, tempRole.DatabaseName, tempRole.Name);
    page.AppendLine(QStringLiteral("<table border='1' style='margin-left:10' cellspacing='0' width='95%'>"
                                   "<tr bgcolor='#AEAEAE'><TH vAlign='top'><B>Database</B></TH>"
                                   "<TH vAlign='top' Align='left'><B>Role Name</B></TH></TR>"));
    const QString boldName = QStringLiteral("<B>") + tempRole.Name + QStringLiteral("</B>");
    page.AppendRow({tempRole.DatabaseName, boldName}, u"</TABLE>");
    if (m_state.categoryChecked(rinUser))
        writeTable(page,
                   QStringLiteral("<table border='1' style='margin-left:60' cellspacing='0' width='90%'>"
                                  "<tr bgcolor='#AEAEAE'><TH vAlign='top' Align='left'>"
                                  "<B>Users / User groups</B></TH></TR>"),
                   tempRole.Users, QStringLiteral("No users found"),
                   [&page](const UserInfo& user) { page.AppendRow({user.Name}); });
    if (m_state.categoryChecked(rinCube))
        writeTable(
            page,
            QStringLiteral("<table border='1' style='margin-left:60' cellspacing='0' width='90%'>"
                           "<tr bgcolor='#AEAEAE'><TH vAlign='top' Align='left'><B>Used in Cube</B></TH>"
                           "<TH vAlign='top'><B>Cube Size (MB)</B></TH>"
                           "<TH vAlign='top'><B>Processing Date</B></TH></TR>"),
            tempRole.Cubes, QStringLiteral("No Cubes found for this role"), [&page](const CubeInfo& cube) {
                page.AppendRow({cube.Name, cube.Size, cube.ProcessingDate});
            });
}

} // namespace Lorvantic
