#pragma once

// Builders for the grids the selection dialog takes, and simulated user input on its widgets.

#include "frminfo.h"
#include "variantgrid.h"

#include <QHeaderView>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <functional>
#include <vector>

namespace Lorvantic::Test {

struct CatalogueRow {
    QString database;
    QString name;
    QString size;
    QString status;
    QVariant checked = false;
};

// Catalogue rows as the selectors build them: (column 0-4, row 0-n-1).
VariantGrid catalogue(const std::vector<CatalogueRow>& rows);

// Column arrays 0 To 3 of the cube catalogue.
VariantGrid cubeHeaders();
VariantGrid cubeAligns();
VariantGrid cubeWidths();

struct TreeRow {
    QVariant key;
    QVariant text;
    QVariant parentKey;
    QVariant checked = false;
};
// Information-tree rows (row 1-m, column 0-3).
VariantGrid infoTree(const std::vector<TreeRow>& rows);
// The cube tree: Connected Roles, Partitions > Data Sources, Dimension > Level Name,
// Measures, Calculated Members; keys "VOKKey1".."VOKKey7", all unchecked.
VariantGrid cubeTree();
// The role tree: User, Cube and the empty row of the enumeration's end.
VariantGrid roleTree();

// A dialog handed the cube columns, the rows and the tree, then loaded by setting its caption.
void loadDialog(frmInfo& dialog, const VariantGrid& rows, const VariantGrid& tree = cubeTree());

// What the widgets show.
QStringList columnTexts(const QTreeWidget* list, int column);
std::vector<bool> checkMarks(const QTreeWidget* list);
QTreeWidgetItem* nodeByText(const QTreeWidget* tree, const QString& text);

// Simulated mouse input.
void clickHeader(QTreeWidget* list, int column);
void clickCheckBox(QTreeWidget* view, QTreeWidgetItem* item);
void click(QPushButton* button);
// Alt + the key, then waits for the button's click, which a mnemonic delivers a moment later.
void pressMnemonic(QWidget* window, Qt::Key key, QAbstractButton* button);

// Runs the dialog modally; the action runs inside the modal loop once the dialog shows. A
// dialog the action leaves open is closed after a while so that a failing test cannot hang.
// Returns what exec() returned.
int runModal(frmInfo& dialog, const std::function<void()>& action);

} // namespace Lorvantic::Test
