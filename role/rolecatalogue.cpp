// What the selection dialog shows for roles: the catalogue rows, the column arrays and the
// information tree.

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

// Makes room for count more catalogue rows (columns 0-4) and returns the first new row.
qint32 growRows(VariantGrid& rows, qint32 count) {
    if (IsArrayEmpty(rows)) {
        rows.redim(0, 4, 0, count - 1);
        return 0;
    }
    const qint32 start = rows.ubound(2) + 1;
    rows.redimPreserve(start + count - 1);
    return start;
}

// One row per role of the database; column 3 is never assigned.
void appendRoles(VariantGrid& rows, const Olap::Store& database, const QString& databaseName) {
    const Olap::CollectionPtr<Olap::Role> roles = database.Roles();
    const qint32 roleCount = roles->Count();
    if (roleCount == 0)
        return;
    const qint32 start = growRows(rows, roleCount);
    forEachPosition(roleCount, [&](qint32 j) {
        const std::shared_ptr<Olap::Role> role = roles->Item(j);
        const qint32 row = start + j - 1;
        rows.at(0, row) = databaseName;
        rows.at(1, row) = role->Name();
        rows.at(2, row) = role->Description();
        rows.at(4, row) = false;
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
        advanceProgress(90.0f / static_cast<float>(databaseCount));
        const std::shared_ptr<Olap::Store> database = databases->Item(i);
        const QString databaseName = database->Name();
        showStatus(QStringLiteral("Opening database: ") + databaseName +
                   QStringLiteral("\r\nThis may take a while"));
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
    rows.redim(1, rinEnd, 0, 3);
    const std::pair<RoleInfoNames, QString> categories[] = {{rinUser, QStringLiteral("User")},
                                                            {rinCube, QStringLiteral("Cube")}};
    for (const auto& [row, text] : categories) {
        rows.at(row, 0) = QString(QStringLiteral("VOKKey") + QString::number(row));
        rows.at(row, 1) = text;
        rows.at(row, 2) = QStringLiteral("");
        rows.at(row, 3) = false;
    }
}

} // namespace Lorvantic
