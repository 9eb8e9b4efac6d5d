// The role page: the role texts of the shared page run and one section per gathered role.

#include "role/rolekind.h"

namespace Lorvantic {

namespace {

const TableShape& summaryShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("role"),
        QStringLiteral("Role"),
        {{QStringLiteral("database"), QStringLiteral("Database")},
         {QStringLiteral("name"), QStringLiteral("Role Name"), CellType::Text, true, true}},
        {},
        {.margin = 10, .width = 95, .rowClosesTable = true, .closedAtEnd = false},
    });
    return shape;
}

const TableShape& userShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("users"),
        QStringLiteral("Users"),
        {{QStringLiteral("name"), QStringLiteral("Users / User groups"), CellType::Text, true}},
        QStringLiteral("No users found"),
        {.emptyCell = QStringLiteral("vAlign='top' colspan='2'")},
    });
    return shape;
}

const TableShape& cubeShape() {
    static const TableShape shape = MakeTableShape({
        QStringLiteral("cubes"),
        QStringLiteral("Cubes"),
        {{QStringLiteral("name"), QStringLiteral("Used in Cube"), CellType::Text, true},
         {QStringLiteral("size"), QStringLiteral("Cube Size (MB)"), CellType::Number},
         {QStringLiteral("lastProcessed"), QStringLiteral("Processing Date"), CellType::Date}},
        QStringLiteral("No Cubes found for this role"),
        {.emptyCell = QStringLiteral("vAlign='top' colspan='2'")},
    });
    return shape;
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
    return CreateListReport(pageKind(), run, list, [this](const RoleInfo& role, ReportWriter& report) {
        WriteSection(role, report);
    });
}

void RoleKind::WriteSection(const RoleInfo& tempRole, ReportWriter& report) const {
    report.beginItem({tempRole.DatabaseName, tempRole.Name}, summaryShape(),
                     {tempRole.DatabaseName, tempRole.Name});
    if (categoryChecked(rinUser)) {
        report.beginTable(userShape());
        for (const auto& user : tempRole.Users)
            report.row({user->Name});
        report.endTable();
    }
    if (categoryChecked(rinCube)) {
        report.beginTable(cubeShape());
        for (const auto& cube : tempRole.Cubes)
            report.row({cube->Name, cube->Size, {cube->ProcessingDate, cube->ProcessedAt}});
        report.endTable();
    }
    report.endItem();
}

} // namespace Lorvantic
