#pragma once

// The columns of the two grids a selector shares with the selection dialog and the command
// line, named once: the catalogue (column, row), one row per item, and the information tree
// (row, column), one row per category.

#include "core/variantgrid.h"

#include <QString>

namespace Lorvantic {

namespace CatalogueColumn {
enum : qint32 {
    Database = 0,
    Name = 1,
    Size = 2,        // cubes and dimensions
    Description = 2, // roles
    Status = 3,      // cubes and dimensions; roles leave it empty
    Checked = 4,
};
} // namespace CatalogueColumn

namespace InfoTreeColumn {
enum : qint32 {
    Key = 0,       // "VOKKey" and the row
    Caption = 1,   // "Data Sources"
    ParentKey = 2, // the parent's key, "" at the top level
    Checked = 3,
};
} // namespace InfoTreeColumn

// Makes room for count more catalogue rows behind the rows so far and returns the first new row.
qint32 GrowCatalogueRows(VariantGrid& rows, qint32 count);

// Fills one category row, unchecked, under parentRow (0: at the top level).
void SetInfoTreeRow(VariantGrid& tree, qint32 row, const QString& caption, qint32 parentRow);

} // namespace Lorvantic
