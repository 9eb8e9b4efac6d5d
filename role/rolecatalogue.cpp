// What the selection dialog shows for roles: the catalogue rows, the column arrays and the
// information tree.

#include "core/grids.h"
#include "role/rolekind.h"

#include <initializer_list>
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

// One row per role of the database; the status column is never assigned.
void appendRoles(VariantGrid& rows, const Olap::Store& database, const QString& databaseName) {
    const Olap::CollectionPtr<Olap::Role> roles = database.Roles();
    const qint32 roleCount = roles->Count();
    if (roleCount == 0)
        return;
    const qint32 start = GrowCatalogueRows(rows, roleCount);
    forEachPosition(roleCount, [&](qint32 j) {
        const std::shared_ptr<Olap::Role> role = roles->Item(j);
        const qint32 row = start + j - 1;
        rows.at(CatalogueColumn::Database, row) = databaseName;
        rows.at(CatalogueColumn::Name, row) = role->Name();
        rows.at(CatalogueColumn::Description, row) = role->Description();
        rows.at(CatalogueColumn::Checked, row) = false;
    });
}

// Indexes 0 to 2 from the values; index 3 stays without a value.
void fillColumns(VariantGrid& array, std::initializer_list<QVariant> values) {
    array.redim(0, 3);
    qint32 index = 0;
    for (const QVariant& value : values)
        array.at(index++) = value;
}

QVariant twips(qint16 width) {
    return QVariant::fromValue<qint16>(width);
}

} // namespace

void RoleKind::GetCatalogue() {
    VariantGrid& rows = m_state.catalogueRows;
    rows.erase();
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
}

void RoleKind::GetColumnHeaders(VariantGrid& aColHead) const {
    fillColumns(aColHead,
                {QStringLiteral("Database"), QStringLiteral("Roles"), QStringLiteral("Description")});
}

void RoleKind::GetColumnAligns(VariantGrid& aColAlign) const {
    fillColumns(aColAlign, {qint32(0), qint32(0), qint32(0)});
}

void RoleKind::GetColumnWidths(VariantGrid& aColWidth) const {
    fillColumns(aColWidth, {twips(1600), twips(3200), twips(3200)});
}

void RoleKind::GetInfoTree() {
    VariantGrid& rows = m_state.infoTreeRows;
    // Up to rinEnd: the third row stays empty.
    rows.redim(1, rinEnd, InfoTreeColumn::Key, InfoTreeColumn::Checked);
    SetInfoTreeRow(rows, rinUser, QStringLiteral("User"), 0);
    SetInfoTreeRow(rows, rinCube, QStringLiteral("Cube"), 0);
}

} // namespace Lorvantic
