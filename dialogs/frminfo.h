#pragma once

// The selection dialog: a checkable list of catalogue items on its first tab, a checkable tree
// of information categories on its second. The caller hands in a selection, shows the dialog
// modally and, after Report, takes the selection back with the check marks the user left.

#include "core/selector.h"
#include "selection/selection.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;

namespace Lorvantic {

class CatalogueModel;
class CategoryModel;
class DisplayOrderSort;
class ImageList;

class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
    ~frmInfo() override;

    qint32 LastAction() const;
    void LastAction(qint32 vData);
    // The selection to show; the first touch (setCaption or exec) shows what was handed in last.
    void setSelection(const Selection& selection);
    // The selection as handed in, with what the last Report read back: the shown rows in the
    // order shown, then the rows not shown; the check marks of the shown categories.
    Selection selection() const;
    // The check marks of the tree, the list and the index box in the per-user settings.
    void SaveCheckedItems(const QString& strRegSection);
    void LoadCheckedItems(const QString& strRegSection);

    // The first touch loads the dialog (fills list and tree from the selection handed in so
    // far); then the window title is set.
    void setCaption(const QString& caption);
    int exec() override;
    void setHelpContextID(qint32 id);
    qint32 helpContextID() const;
    void setServerText(const QString& text);
    void setFirstTabCaption(const QString& caption);
    // Whether the index box is not unchecked.
    bool indexChecked() const;

Q_SIGNALS:
    // F1 was pressed; the number is the help context identifier.
    void helpRequested(qint32 contextId);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    QTreeView* buildList();
    QTreeView* buildTree();
    void buildImages();
    void connectControls();

    void load();
    void fillList();
    void sizeColumns();
    void fillTree();

    void sortByColumn(int column);
    void checkCurrentTab(bool checked);
    void checkAllRows(bool checked);
    void checkAllNodes(bool checked);
    void report();
    void closeWithoutReport();
    void readBack();
    void readBackRows();
    void readBackCategories();

    QTabWidget* tabInfo;
    QTreeView* lstCubes;
    QTreeView* tvInformation;
    ImageList* imlSort;
    QGroupBox* frConnection;
    QLabel* lblServer;
    QPushButton* cmdSelAll;
    QPushButton* cmdSelNone;
    QCheckBox* chkIndex;
    QPushButton* cmdReport;
    QPushButton* cmdClose;

    CatalogueModel* m_catalogue;
    DisplayOrderSort* m_shownOrder;
    CategoryModel* m_categories;

    qint32 m_lastAction = laNone;
    Selection m_selection;
    int m_sortColumn = -1; // until the user sorts
    bool m_sortDescending = false;
    bool m_loaded = false;
    qint32 m_helpContextId = 0;
};

} // namespace Lorvantic
