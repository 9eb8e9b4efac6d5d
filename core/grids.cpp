#include "core/grids.h"

namespace Lorvantic {

namespace {
QString treeKey(qint32 row) {
    return QStringLiteral("VOKKey") + QString::number(row);
}
} // namespace

qint32 GrowCatalogueRows(VariantGrid& rows, qint32 count) {
    if (IsArrayEmpty(rows)) {
        rows.redim(CatalogueColumn::Database, CatalogueColumn::Checked, 0, count - 1);
        return 0;
    }
    const qint32 start = rows.ubound(2) + 1;
    rows.redimPreserve(start + count - 1);
    return start;
}

void SetInfoTreeRow(VariantGrid& tree, qint32 row, const QString& caption, qint32 parentRow) {
    tree.at(row, InfoTreeColumn::Key) = treeKey(row);
    tree.at(row, InfoTreeColumn::Caption) = caption;
    tree.at(row, InfoTreeColumn::ParentKey) = parentRow == 0 ? QStringLiteral("") : treeKey(parentRow);
    tree.at(row, InfoTreeColumn::Checked) = false;
}

} // namespace Lorvantic
