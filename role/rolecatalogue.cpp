// What the selection dialog shows for roles: the catalogue rows, the column arrays and the
// information tree.

#include "role/rolekind.h"

#include <limits>

namespace Lorvantic {

namespace {

// Visits positions 1 to count as a 16-bit counter would: a longer collection overflows it.
template <class Visit> void forEachPosition(qint32 count, Visit visit) {
    if (count > std::numeric_limits<qint16>::max())
        throw Error(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    for (qint32 position = 1; position <= count; ++position)
        visit(position);
}

// One row per role of the database; the status column stays empty.
void appendRoles(std::vector<SelectionRow>& rows, const Olap::Store& database, const QString& databaseName) {
    const Olap::CollectionPtr<Olap::Role> roles = database.Roles();
    const qint32 roleCount = roles->Count();
    if (roleCount == 0)
        return;
    const std::size_t start = GrowRows(rows, roleCount);
    forEachPosition(roleCount, [&](qint32 j) {
        const std::shared_ptr<Olap::Role> role = roles->Item(j);
        rows[start + static_cast<std::size_t>(j) - 1] = {
            databaseName, role->Name(), role->Description(), {}, false};
    });
}

} // namespace

std::vector<SelectionRow> RoleKind::GetCatalogue() {
    std::vector<SelectionRow> rows;
    const Olap::CollectionPtr<Olap::Store> databases = server().Databases();
    const qint32 databaseCount = databases->Count();
    forEachPosition(databaseCount, [&](qint32 i) {
        // The whole catalogue takes 90 points of the bar, in equal unrounded steps.
        m_state.advanceProgress(90.0F / static_cast<float>(databaseCount));
        const std::shared_ptr<Olap::Store> database = databases->Item(i);
        const QString databaseName = database->Name();
        m_state.showOpeningDatabase(*database);
        appendRoles(rows, *database, databaseName);
    });
    return rows;
}

std::vector<SelectionColumn> RoleKind::GetColumns() const {
    return {{QStringLiteral("Database"), 0, 1600},
            {QStringLiteral("Roles"), 0, 3200},
            {QStringLiteral("Description"), 0, 3200},
            {}};
}

std::vector<SelectionCategory> RoleKind::infoTree() const {
    return {MakeCategory(rinUser, QStringLiteral("User"), 0),
            MakeCategory(rinCube, QStringLiteral("Cube"), 0),
            {}};
}

} // namespace Lorvantic
