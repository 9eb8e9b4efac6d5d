#include "dialogtestutil.h"
#include "frminfo.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

std::vector<CatalogueRow> sampleRows() {
    return {
        {QStringLiteral("FoodMart"), QStringLiteral("Sales"), QStringLiteral("12.40 MB"),
         QStringLiteral("Processed")},
        {QStringLiteral("FoodMart"), QStringLiteral("budget"), QStringLiteral("3.10 MB"),
         QStringLiteral("Not Processed"), true},
        {QStringLiteral("Northwind"), QStringLiteral("Orders"), QStringLiteral("0.75 MB"),
         QStringLiteral("Processed")},
        {QStringLiteral("Archive"), QStringLiteral("Warehouse"), QStringLiteral("101.00 MB"),
         QStringLiteral("Processed"), true},
    };
}

class SelectionDialog : public ::testing::Test {
protected:
    void load(const VariantGrid& rows = catalogue(sampleRows()), const VariantGrid& tree = cubeTree()) {
        loadDialog(dialog, rows, tree);
    }
    QTreeWidgetItem* node(const char* text) const {
        return nodeByText(dialog.tvInformation, QString::fromUtf8(text));
    }
    bool checked(const char* text) const { return node(text)->checkState(0) == Qt::Checked; }
    QIcon headerIcon(int column) const { return dialog.lstCubes->headerItem()->icon(column); }
    bool hasSortIcon(int column, const char* key) const {
        return headerIcon(column).cacheKey() == dialog.imlSort->icon(QString::fromLatin1(key)).cacheKey();
    }

    frmInfo dialog;
};

TEST_F(SelectionDialog, NamesEveryControlAndShowsItsCaptions) {
    load();
    EXPECT_EQ(dialog.findChild<QTabWidget*>(QStringLiteral("tabInfo")), dialog.tabInfo);
    EXPECT_EQ(dialog.findChild<QTreeWidget*>(QStringLiteral("lstCubes")), dialog.lstCubes);
    EXPECT_EQ(dialog.findChild<QTreeWidget*>(QStringLiteral("tvInformation")), dialog.tvInformation);
    EXPECT_EQ(dialog.findChild<ImageList*>(QStringLiteral("imlSort")), dialog.imlSort);
    EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("frConnection")), dialog.frConnection);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblServer")), dialog.lblServer);
    EXPECT_EQ(dialog.lblServer->parentWidget(), dialog.frConnection);
    EXPECT_EQ(dialog.frConnection->title(), QStringLiteral("Current Connection."));
    EXPECT_EQ(dialog.tabInfo->tabText(0), QStringLiteral("C&ubes"));
    EXPECT_EQ(dialog.tabInfo->tabText(1), QStringLiteral("&Information"));
    EXPECT_EQ(dialog.tabInfo->widget(0), dialog.lstCubes);
    EXPECT_EQ(dialog.tabInfo->widget(1), dialog.tvInformation);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cube Information"));

    // The bottom row, left to right, below the tabs, which lie below the connection frame.
    dialog.show();
    const std::vector<std::pair<QWidget*, QString>> row = {
        {dialog.cmdSelAll, QStringLiteral("Select &All")},
        {dialog.cmdSelNone, QStringLiteral("Select &None")},
        {dialog.chkIndex, QStringLiteral("Index in report")},
        {dialog.cmdReport, QStringLiteral("&Report")},
        {dialog.cmdClose, QStringLiteral("&Close")}};
    int left = -1;
    for (const auto& [widget, caption] : row) {
        EXPECT_EQ(widget->property("text").toString(), caption);
        EXPECT_EQ(dialog.findChild<QWidget*>(widget->objectName()), widget);
        EXPECT_GT(widget->x(), left) << caption.toStdString();
        EXPECT_GE(widget->y(), dialog.tabInfo->geometry().bottom());
        left = widget->x();
    }
    EXPECT_GE(dialog.tabInfo->y(), dialog.frConnection->geometry().bottom());
}

TEST_F(SelectionDialog, SortImagesAreTrianglesOnLightGrey) {
    ASSERT_EQ(dialog.imlSort->count(), 2);
    EXPECT_EQ(dialog.imlSort->key(1), QStringLiteral("desc"));
    EXPECT_EQ(dialog.imlSort->key(2), QStringLiteral("asc"));
    const QImage desc = dialog.imlSort->image(QStringLiteral("desc")).toImage();
    const QImage asc = dialog.imlSort->image(QStringLiteral("asc")).toImage();
    ASSERT_EQ(desc.size(), QSize(8, 8));
    ASSERT_EQ(asc.size(), QSize(8, 8));
    const QRgb grey = qRgb(192, 192, 192);
    EXPECT_EQ(desc.pixel(0, 0), grey);
    // The wide edge of a downward triangle is at the top, of an upward one at the bottom.
    EXPECT_NE(desc.pixel(1, 2), grey);
    EXPECT_EQ(desc.pixel(1, 4), grey);
    EXPECT_NE(desc.pixel(3, 4), grey);
    EXPECT_NE(asc.pixel(1, 5), grey);
    EXPECT_EQ(asc.pixel(1, 3), grey);
    EXPECT_NE(asc.pixel(3, 3), grey);
}

TEST_F(SelectionDialog, FillsTheListFromTheRowsAndColumnArrays) {
    load();
    QTreeWidget* list = dialog.lstCubes;
    ASSERT_EQ(list->columnCount(), 4);
    const QStringList captions = {QStringLiteral("Database"), QStringLiteral("Cube"), QStringLiteral("Size"),
                                  QStringLiteral("Status")};
    const int twips[] = {1600, 3200, 800};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(list->headerItem()->text(c), captions[c]);
    // Widths come in twips; a column too narrow for its texts grows until they fit.
    for (int c = 0; c < 3; ++c) {
        const int given = qRound(twips[c] * list->logicalDpiX() / 1440.0);
        const int contents = std::max(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(c),
                                      list->header()->sectionSizeHint(c));
        EXPECT_GE(list->header()->sectionSize(c), given) << c;
        EXPECT_GE(list->header()->sectionSize(c), contents) << c;
    }
    EXPECT_EQ(list->header()->sectionSize(1), qRound(3200 * list->logicalDpiX() / 1440.0));
    EXPECT_EQ(columnTexts(list, 0), (QStringList{QStringLiteral("FoodMart"), QStringLiteral("FoodMart"),
                                                 QStringLiteral("Northwind"), QStringLiteral("Archive")}));
    EXPECT_EQ(columnTexts(list, 2).front(), QStringLiteral("12.40 MB"));
    EXPECT_EQ(columnTexts(list, 3).back(), QStringLiteral("Processed"));
    EXPECT_EQ(checkMarks(list), (std::vector<bool>{false, true, false, true}));
    EXPECT_TRUE(list->topLevelItem(0)->textAlignment(2) & Qt::AlignRight);
    EXPECT_TRUE(list->topLevelItem(0)->textAlignment(1) & Qt::AlignLeft);
    EXPECT_EQ(dialog.tabInfo->currentIndex(), 0);
    EXPECT_EQ(dialog.LastAction(), laNone);
}

TEST_F(SelectionDialog, FillsTheTreeParentsFirstAndAlwaysExpanded) {
    load();
    QTreeWidget* tree = dialog.tvInformation;
    ASSERT_EQ(tree->topLevelItemCount(), 5);
    EXPECT_EQ(node("Data Sources")->parent(), node("Partitions"));
    EXPECT_EQ(node("Level Name")->parent(), node("Dimension"));
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        EXPECT_TRUE((*it)->isExpanded());

    // Neither the user's Left key nor the program can fold a node away.
    dialog.show();
    dialog.tabInfo->setCurrentIndex(1);
    tree->setCurrentItem(node("Partitions"));
    QTest::keyClick(tree, Qt::Key_Left);
    EXPECT_TRUE(node("Partitions")->isExpanded());
    tree->collapseItem(node("Dimension"));
    EXPECT_TRUE(node("Dimension")->isExpanded());
}

TEST_F(SelectionDialog, HeaderClicksCycleTheSortAndMoveTheIcon) {
    load();
    QTreeWidget* list = dialog.lstCubes;
    dialog.show();
    const QStringList ascending = {QStringLiteral("budget"), QStringLiteral("Orders"),
                                   QStringLiteral("Sales"), QStringLiteral("Warehouse")};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    struct Step {
        const char* icon;
        QStringList names;
    };
    for (const Step& step : {Step{"asc", ascending}, Step{"desc", descending}, Step{"asc", ascending}}) {
        clickHeader(list, 1);
        EXPECT_EQ(columnTexts(list, 1), step.names) << step.icon;
        EXPECT_TRUE(hasSortIcon(1, step.icon)) << step.icon;
    }
    clickHeader(list, 0);
    EXPECT_TRUE(headerIcon(1).isNull());
    EXPECT_TRUE(hasSortIcon(0, "asc"));
    EXPECT_EQ(columnTexts(list, 0), (QStringList{QStringLiteral("Archive"), QStringLiteral("FoodMart"),
                                                 QStringLiteral("FoodMart"), QStringLiteral("Northwind")}));
    // Equal databases keep the order the name sort gave them.
    EXPECT_EQ(columnTexts(list, 1)[1], QStringLiteral("budget"));
}

TEST_F(SelectionDialog, ReportReadsBackInTheDisplayedOrder) {
    load();
    const int result = runModal(dialog, [&] {
        clickHeader(dialog.lstCubes, 1);
        clickHeader(dialog.lstCubes, 1); // descending: Warehouse, Sales, Orders, budget
        clickCheckBox(dialog.lstCubes, dialog.lstCubes->topLevelItem(1)); // Sales on
        clickCheckBox(dialog.lstCubes, dialog.lstCubes->topLevelItem(3)); // budget off
        dialog.tabInfo->setCurrentIndex(1);
        clickCheckBox(dialog.tvInformation, node("Measures"));
        click(dialog.cmdReport);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.LastAction(), laReport);
    EXPECT_FALSE(dialog.isVisible());

    VariantGrid rows;
    dialog.GetFirstTab(rows);
    const VariantGrid expected = catalogue({
        {QStringLiteral("Archive"), QStringLiteral("Warehouse"), QStringLiteral("101.00 MB"),
         QStringLiteral("Processed"), true},
        {QStringLiteral("FoodMart"), QStringLiteral("Sales"), QStringLiteral("12.40 MB"),
         QStringLiteral("Processed"), true},
        {QStringLiteral("Northwind"), QStringLiteral("Orders"), QStringLiteral("0.75 MB"),
         QStringLiteral("Processed"), false},
        {QStringLiteral("FoodMart"), QStringLiteral("budget"), QStringLiteral("3.10 MB"),
         QStringLiteral("Not Processed"), false},
    });
    EXPECT_EQ(rows, expected);

    VariantGrid tree;
    dialog.GetSecondTab(tree);
    for (qint32 r = 1; r <= 7; ++r)
        EXPECT_EQ(tree.at(r, 3), QVariant(r == cinMsr)) << r;
}

TEST_F(SelectionDialog, UserChecksFollowTheTreeRule) {
    load();
    dialog.show();
    dialog.tabInfo->setCurrentIndex(1);
    QTreeWidget* tree = dialog.tvInformation;

    clickCheckBox(tree, node("Data Sources"));
    EXPECT_TRUE(checked("Data Sources"));
    EXPECT_TRUE(checked("Partitions")) << "checking a child checks its parent";
    clickCheckBox(tree, node("Data Sources"));
    EXPECT_FALSE(checked("Data Sources"));
    EXPECT_TRUE(checked("Partitions")) << "unchecking a child leaves the parent";
    clickCheckBox(tree, node("Data Sources"));
    clickCheckBox(tree, node("Partitions"));
    EXPECT_FALSE(checked("Partitions"));
    EXPECT_FALSE(checked("Data Sources")) << "unchecking a parent unchecks its children";
    EXPECT_FALSE(checked("Dimension"));

    // The keyboard's space bar is a user change as well.
    tree->setCurrentItem(node("Level Name"));
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_TRUE(checked("Level Name"));
    EXPECT_TRUE(checked("Dimension"));
}

TEST_F(SelectionDialog, TheTreeRuleReachesOneLevelOnly) {
    load(catalogue(sampleRows()),
         infoTree({
             {QStringLiteral("p"), QStringLiteral("Parent"), QString(), true},
             {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("p"), true},
             {QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("p"), true},
             {QStringLiteral("c"), QStringLiteral("C"), QStringLiteral("p"), true},
             {QStringLiteral("g"), QStringLiteral("Grandchild"), QStringLiteral("c"), true},
             {QStringLiteral("o"), QStringLiteral("Other"), QString(), false},
         }));
    dialog.show();
    dialog.tabInfo->setCurrentIndex(1);
    clickCheckBox(dialog.tvInformation, node("Parent"));
    EXPECT_FALSE(checked("A"));
    EXPECT_FALSE(checked("B"));
    EXPECT_FALSE(checked("C"));
    EXPECT_TRUE(checked("Grandchild"));

    clickCheckBox(dialog.tvInformation, node("Grandchild")); // off: C stays unchecked
    EXPECT_FALSE(checked("C"));
    clickCheckBox(dialog.tvInformation, node("Grandchild")); // on again: checks C only
    EXPECT_TRUE(checked("C"));
    EXPECT_FALSE(checked("Parent"));
}

TEST_F(SelectionDialog, ProgramChecksLeaveTheTreeRuleAlone) {
    VariantGrid tree = cubeTree();
    tree.at(3, 3) = true; // Data Sources checked under an unchecked Partitions
    load(catalogue(sampleRows()), tree);
    EXPECT_TRUE(checked("Data Sources"));
    EXPECT_FALSE(checked("Partitions"));

    dialog.tabInfo->setCurrentIndex(1);
    click(dialog.cmdSelAll);
    click(dialog.cmdSelNone);
    for (QTreeWidgetItemIterator it(dialog.tvInformation); *it; ++it)
        EXPECT_EQ((*it)->checkState(0), Qt::Unchecked);
}

TEST_F(SelectionDialog, SelectAllAndNoneWorkOnTheCurrentTabOnly) {
    load();
    runModal(dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_I, Qt::AltModifier);
        EXPECT_EQ(dialog.tabInfo->currentIndex(), 1);
        pressMnemonic(&dialog, Qt::Key_A, dialog.cmdSelAll);
        QTest::keyClick(&dialog, Qt::Key_U, Qt::AltModifier);
        EXPECT_EQ(dialog.tabInfo->currentIndex(), 0);
        pressMnemonic(&dialog, Qt::Key_N, dialog.cmdSelNone);
        pressMnemonic(&dialog, Qt::Key_C, dialog.cmdClose);
    });
    for (QTreeWidgetItemIterator it(dialog.tvInformation); *it; ++it)
        EXPECT_EQ((*it)->checkState(0), Qt::Checked) << (*it)->text(0).toStdString();
    EXPECT_EQ(checkMarks(dialog.lstCubes), std::vector<bool>(4, false));
    EXPECT_EQ(dialog.LastAction(), laCancel);

    dialog.tabInfo->setCurrentIndex(0);
    click(dialog.cmdSelAll);
    EXPECT_EQ(checkMarks(dialog.lstCubes), std::vector<bool>(4, true));
    dialog.tabInfo->setCurrentIndex(1);
    click(dialog.cmdSelNone);
    EXPECT_EQ(checkMarks(dialog.lstCubes), std::vector<bool>(4, true));
    EXPECT_FALSE(checked("Measures"));
}

TEST_F(SelectionDialog, CloseKeepsTheRowsAsTheyWere) {
    const VariantGrid rows = catalogue(sampleRows());
    load(rows);
    const int result = runModal(dialog, [&] {
        click(dialog.cmdSelAll);
        clickHeader(dialog.lstCubes, 0);
        dialog.tabInfo->setCurrentIndex(1);
        click(dialog.cmdSelAll);
        click(dialog.cmdClose);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.LastAction(), laCancel);
    VariantGrid back;
    dialog.GetFirstTab(back);
    EXPECT_EQ(back, rows);
    VariantGrid tree;
    dialog.GetSecondTab(tree);
    EXPECT_EQ(tree, cubeTree());
}

TEST_F(SelectionDialog, TheCloseBoxAndEscapeChangeNothing) {
    load();
    for (const auto& leave : std::vector<std::function<void()>>{[&] { dialog.close(); },
                                                                [&] {
                                                                    QTest::keyClick(&dialog, Qt::Key_Escape);
                                                                }}) {
        dialog.LastAction(laReport);
        runModal(dialog, [&] {
            click(dialog.cmdSelAll);
            leave();
        });
        EXPECT_EQ(dialog.LastAction(), laReport);
        EXPECT_FALSE(dialog.isVisible());
        VariantGrid back;
        dialog.GetFirstTab(back);
        EXPECT_EQ(back, catalogue(sampleRows()));
        // The list keeps what the user did; only Report reads it back.
        EXPECT_EQ(checkMarks(dialog.lstCubes), std::vector<bool>(4, true));
    }
}

TEST_F(SelectionDialog, ShownAgainAfterReportTheListIsAsTheUserLeftIt) {
    load();
    runModal(dialog, [&] {
        clickHeader(dialog.lstCubes, 1);
        pressMnemonic(&dialog, Qt::Key_R, dialog.cmdReport);
    });
    EXPECT_EQ(dialog.LastAction(), laReport);
    dialog.LastAction(laCancel);
    runModal(dialog, [&] {
        EXPECT_EQ(columnTexts(dialog.lstCubes, 1).front(), QStringLiteral("budget"));
        EXPECT_TRUE(hasSortIcon(1, "asc"));
        clickHeader(dialog.lstCubes, 1);
        EXPECT_EQ(columnTexts(dialog.lstCubes, 1).front(), QStringLiteral("Warehouse"));
        click(dialog.cmdClose);
    });
    EXPECT_EQ(dialog.LastAction(), laCancel);
}

TEST_F(SelectionDialog, DuplicateKeyEndsTheList) {
    // "AB" + "C" and "A" + "BC" make the same key.
    load(catalogue({{QStringLiteral("Alpha"), QStringLiteral("One"), QString(), QString()},
                    {QStringLiteral("AB"), QStringLiteral("C"), QString(), QString()},
                    {QStringLiteral("A"), QStringLiteral("BC"), QString(), QString()},
                    {QStringLiteral("Zeta"), QStringLiteral("Two"), QString(), QString()}}));
    EXPECT_EQ(columnTexts(dialog.lstCubes, 0), (QStringList{QStringLiteral("Alpha"), QStringLiteral("AB")}));
}

TEST_F(SelectionDialog, OnlyABooleanChecksAListItem) {
    const QVariant cells[] = {QVariant(), QStringLiteral("True"), 1, QVariant(true), QVariant(false)};
    std::vector<CatalogueRow> rows;
    for (const QVariant& cell : cells)
        rows.push_back({QStringLiteral("Db"), QString::number(rows.size()), QString(), QString(), cell});
    load(catalogue(rows));
    EXPECT_EQ(checkMarks(dialog.lstCubes), (std::vector<bool>{false, false, false, true, false}));
}

TEST_F(SelectionDialog, RoleTreeEmptyLastRowIsAnEmptyNodeThatEndsTheReadBack) {
    VariantGrid heads = cubeHeaders();
    heads.at(3) = QVariant();
    VariantGrid widths = cubeWidths();
    widths.at(3) = QVariant();
    VariantGrid aligns = cubeAligns();
    aligns.at(3) = QVariant();
    dialog.SetFirstTab(catalogue(
        {{QStringLiteral("FoodMart"), QStringLiteral("All Users"), QStringLiteral("Everyone"), QString()}}));
    dialog.ColumnHeaders(heads);
    dialog.ColumnAlign(aligns);
    dialog.ColumnWidth(widths);
    dialog.SetSecondTab(roleTree());
    dialog.setCaption(QStringLiteral("Role Information"));

    EXPECT_EQ(dialog.lstCubes->columnCount(), 4);
    EXPECT_EQ(dialog.lstCubes->headerItem()->text(3), QString());
    ASSERT_EQ(dialog.tvInformation->topLevelItemCount(), 3);
    EXPECT_EQ(dialog.tvInformation->topLevelItem(2)->text(0), QString());

    runModal(dialog, [&] {
        dialog.tabInfo->setCurrentIndex(1);
        click(dialog.cmdSelAll);
        click(dialog.cmdReport);
    });
    VariantGrid tree;
    dialog.GetSecondTab(tree);
    EXPECT_EQ(tree.at(1, 3), QVariant(true));
    EXPECT_EQ(tree.at(2, 3), QVariant(true));
    EXPECT_FALSE(tree.at(3, 3).isValid());
    EXPECT_EQ(dialog.LastAction(), laReport);
}

TEST_F(SelectionDialog, FillsStopAtTheFirstFailure) {
    VariantGrid widths;
    widths.redim(0, 1);
    widths.at(0) = 1600;
    widths.at(1) = 3200;
    dialog.SetFirstTab(catalogue(sampleRows()));
    dialog.ColumnHeaders(cubeHeaders());
    dialog.ColumnAlign(cubeAligns());
    dialog.ColumnWidth(widths);
    dialog.SetSecondTab(infoTree({
        {QStringLiteral("k1"), QStringLiteral("First"), QString()},
        {QStringLiteral("k2"), QStringLiteral("Orphan"), QStringLiteral("missing")},
        {QStringLiteral("k3"), QStringLiteral("Never shown"), QString()},
    }));
    dialog.setCaption(QStringLiteral("Cube Information"));
    EXPECT_EQ(dialog.lstCubes->columnCount(), 2);
    EXPECT_EQ(dialog.lstCubes->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.tvInformation->topLevelItemCount(), 1);
}

TEST_F(SelectionDialog, ColumnArraysTakeNumbersTextsAndNothing) {
    VariantGrid widths = cubeWidths();
    VariantGrid aligns = cubeAligns();
    const QVariant widthCells[] = {QStringLiteral("1600"), 1e300, QVariant(), -5};
    const QVariant alignCells[] = {2, QStringLiteral("1"), QVariant(), 7};
    for (qint32 i = 0; i < 4; ++i) {
        widths.at(i) = widthCells[i];
        aligns.at(i) = alignCells[i];
    }
    dialog.SetFirstTab(catalogue({{QStringLiteral("D"), QStringLiteral("C"), QString(), QString()}}));
    dialog.ColumnHeaders(cubeHeaders());
    dialog.ColumnAlign(aligns);
    dialog.ColumnWidth(widths);
    dialog.setCaption(QStringLiteral("Cube Information"));

    // Alignment code 7 is no alignment: the list ends before that column and has no rows.
    QTreeWidget* list = dialog.lstCubes;
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(list->headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(list->headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list->headerItem()->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(list->header()->sectionSize(0), qRound(1600 * list->logicalDpiX() / 1440.0));
    EXPECT_EQ(list->header()->sectionSize(1), 32767);
}

TEST_F(SelectionDialog, CataloguesPastSixteenBitRowsAreNotShown) {
    const auto rowsUpTo = [](qint32 last) {
        VariantGrid grid;
        grid.redim(0, 4, 0, last);
        for (qint32 r = 0; r <= last; ++r) {
            grid.at(0, r) = QStringLiteral("Db");
            grid.at(1, r) = QString::number(r);
            grid.at(4, r) = false;
        }
        return grid;
    };
    load(rowsUpTo(32767));
    EXPECT_EQ(dialog.lstCubes->topLevelItemCount(), 32768);

    frmInfo larger;
    loadDialog(larger, rowsUpTo(32768));
    EXPECT_EQ(larger.lstCubes->topLevelItemCount(), 0);
    EXPECT_EQ(larger.lstCubes->columnCount(), 4);
}

TEST_F(SelectionDialog, EmptyOrMissingRowsGiveAnEmptyListWithHeaders) {
    VariantGrid noRows;
    noRows.redim(0, 4, 0, -1);
    load(noRows);
    EXPECT_EQ(dialog.lstCubes->columnCount(), 4);
    EXPECT_EQ(dialog.lstCubes->topLevelItemCount(), 0);
    runModal(dialog, [&] { click(dialog.cmdReport); });
    VariantGrid back;
    dialog.GetFirstTab(back);
    EXPECT_EQ(back, noRows);

    frmInfo nothing; // loads on the first showing: must not fail without any arrays
    runModal(nothing, [&] { click(nothing.cmdReport); });
    EXPECT_EQ(nothing.LastAction(), laReport);
    VariantGrid untouched = catalogue(sampleRows());
    nothing.GetFirstTab(untouched);
    nothing.GetSecondTab(untouched);
    EXPECT_EQ(untouched, catalogue(sampleRows()));
}

TEST_F(SelectionDialog, LoadsOnceOnTheFirstTouch) {
    dialog.LastAction(laReport);
    load();
    EXPECT_EQ(dialog.LastAction(), laNone);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait pointer ends with the loading";
    dialog.SetFirstTab(catalogue({{QStringLiteral("Late"), QStringLiteral("Row"), QString(), QString()}}));
    dialog.setCaption(QStringLiteral("Dimension Information"));
    EXPECT_EQ(dialog.lstCubes->topLevelItemCount(), 4);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dimension Information"));
    VariantGrid rows;
    dialog.GetFirstTab(rows);
    EXPECT_EQ(rows.at(0, 0), QVariant(QStringLiteral("Late")));
}

TEST_F(SelectionDialog, F1AsksForTheHelpTopic) {
    load();
    dialog.setHelpContextID(20110);
    EXPECT_EQ(dialog.helpContextID(), 20110);
    qint32 asked = 0;
    QObject::connect(&dialog, &frmInfo::helpRequested, &dialog, [&](qint32 id) { asked = id; });
    runModal(dialog, [&] {
        QTest::keyClick(dialog.lstCubes, Qt::Key_F1);
        click(dialog.cmdClose);
    });
    EXPECT_EQ(asked, 20110);
}

} // namespace
