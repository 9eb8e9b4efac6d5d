#pragma once

// The selection dialog: a checkable list of catalogue items on its first tab, a checkable tree
// of information categories on its second. The caller hands in plain variant grids, shows the
// dialog modally and, after Report, reads the grids back with the check marks filled in.

#include "core/selector.h"
#include "core/variantgrid.h"
#include "dialogs/imagelist.h"

// The controls are public and callers work on them (caption of a tab, server label, index box),
// so their classes are complete here.
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QSet>
#include <QString>
#include <QTabWidget>
#include <QTreeWidget>
#include <optional>

namespace Lorvantic {

class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
    ~frmInfo() override;

    // The controls; each one's objectName is its member name.
    QTabWidget* tabInfo;
    QTreeWidget* lstCubes;
    QTreeWidget* tvInformation;
    ImageList* imlSort;
    QGroupBox* frConnection;
    QLabel* lblServer;
    QPushButton* cmdSelAll;
    QPushButton* cmdSelNone;
    QCheckBox* chkIndex;
    QPushButton* cmdReport;
    QPushButton* cmdClose;

    qint32 LastAction() const;
    void LastAction(qint32 vData);
    // Catalogue rows (column 0-4, row 0-n-1); copies in both directions.
    void SetFirstTab(const VariantGrid& aFirstTab);
    // Leaves the argument unchanged while no rows are stored.
    void GetFirstTab(VariantGrid& aFirstTab) const;
    // Information-tree rows (row 1-m, column 0-3: key, text, parent key, checked).
    void SetSecondTab(const VariantGrid& aSecondTab);
    void GetSecondTab(VariantGrid& aSecondTab) const;
    // Column captions, alignment codes (0 left, 1 right, 2 centre) and widths in twips.
    void ColumnHeaders(const VariantGrid& aColHead);
    void ColumnAlign(const VariantGrid& aColAlign);
    void ColumnWidth(const VariantGrid& aColWidth);
    // The check marks of the tree, the list and the index box in the per-user settings.
    void SaveCheckedItems(const QString& strRegSection);
    void LoadCheckedItems(const QString& strRegSection);

    // The first touch loads the dialog (fills list and tree from the grids handed in so far);
    // then the window title is set.
    void setCaption(const QString& caption);
    int exec() override;
    void setHelpContextID(qint32 id);
    qint32 helpContextID() const;

Q_SIGNALS:
    // F1 was pressed; the number is the help context identifier.
    void helpRequested(qint32 contextId);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildImages();
    void connectControls();

    void load();
    void fillList();
    void addColumn(qint32 index);
    void widenColumnsToContents();
    void addCatalogueRow(qint32 row, QSet<QString>& keys, QList<QTreeWidgetItem*>& items);
    void fillTree();
    void addTreeRow(qint32 row, QHash<QString, QTreeWidgetItem*>& nodes);

    void sortByColumn(int column);
    void nodeChanged(QTreeWidgetItem* node, int column);
    void checkCurrentTab(bool checked);
    void report();
    void closeWithoutReport();
    void readBack();
    void readBackList();
    void readBackTree();

    // Tree nodes in the order their rows were added.
    QList<QTreeWidgetItem*> nodesInAddedOrder() const;
    QList<QTreeWidgetItem*> listItems() const;

    qint32 m_lastAction = laNone;
    VariantGrid m_firstTab;
    std::optional<VariantGrid> m_secondTab;
    VariantGrid m_colHead;
    VariantGrid m_colAlign;
    VariantGrid m_colWidth;
    qint16 m_sortColumn = -1; // 1-based header index; -1 until the user sorts
    bool m_sortDescending = false;
    std::vector<Qt::Alignment> m_columnAlignment;
    int m_nodesAdded = 0;
    bool m_loaded = false;
    // Set while the program itself changes check marks, which the tree's check rule ignores.
    bool m_programChecks = false;
    qint32 m_helpContextId = 0;
};

} // namespace Lorvantic
