#include "core/grids.h"
#include "dialogs/frminfo.h"
#include "tests/dialogs/dialogtestutil.h"

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

std::vector<CatalogueRow> sampleRows() {
    return {{u"FoodMart"_s, u"Sales"_s, u"12.40 MB"_s, u"Processed"_s},
            {u"FoodMart"_s, u"budget"_s, u"3.10 MB"_s, u"Not Processed"_s, true},
            {u"Northwind"_s, u"Orders"_s, u"0.75 MB"_s, u"Processed"_s},
            {u"Archive"_s, u"Warehouse"_s, u"101.00 MB"_s, u"Processed"_s, true}};
}

VariantGrid firstTab(const frmInfo& dialog) {
    VariantGrid rows;
    dialog.GetFirstTab(rows);
    return rows;
}

VariantGrid secondTab(const frmInfo& dialog) {
    VariantGrid rows;
    dialog.GetSecondTab(rows);
    return rows;
}

class SelectionDialog : public ::testing::Test {
protected:
    void load(const VariantGrid& tree = cubeTree()) { loadDialog(dialog, catalogue(sampleRows()), tree); }
    QTreeWidgetItem* node(const char* text) const {
        return nodeByText(dialog.tvInformation, QString::fromUtf8(text));
    }
    bool checked(const char* text) const { return isChecked(dialog.tvInformation, text); }
    bool hasSortIcon(int column, const char* key) const {
        return dialog.lstCubes->headerItem()->icon(column).cacheKey() ==
               dialog.imlSort->icon(QString::fromLatin1(key)).cacheKey();
    }

    frmInfo dialog;
};

TEST_F(SelectionDialog, FillsTheListAndTheAlwaysExpandedTree) {
    load();
    QTreeWidget* list = dialog.lstCubes;
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->headerItem()->text(3), u"Status"_s);
    // Widths come in twips; a column too narrow for its texts grows until they fit.
    const int twips[] = {1600, 3200, 800};
    for (int c = 0; c < 3; ++c) {
        const int contents = std::max(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(c),
                                      list->header()->sectionSizeHint(c));
        EXPECT_GE(list->header()->sectionSize(c), qRound(twips[c] * list->logicalDpiX() / 1440.0)) << c;
        EXPECT_GE(list->header()->sectionSize(c), contents) << c;
    }
    EXPECT_EQ(list->header()->sectionSize(1), qRound(3200 * list->logicalDpiX() / 1440.0));
    EXPECT_EQ(columnTexts(list, 0),
              QStringList({u"FoodMart"_s, u"FoodMart"_s, u"Northwind"_s, u"Archive"_s}));
    EXPECT_EQ(columnTexts(list, 2).front(), u"12.40 MB"_s);
    EXPECT_EQ(columnTexts(list, 3).back(), u"Processed"_s);
    EXPECT_EQ(checkMarks(list), (std::vector<bool>{false, true, false, true}));
    EXPECT_FALSE(list->rootIsDecorated()) << "a flat list leaves no room for branch marks";
    EXPECT_TRUE(list->topLevelItem(0)->textAlignment(2) & Qt::AlignRight);
    EXPECT_TRUE(list->topLevelItem(0)->textAlignment(1) & Qt::AlignLeft);
    EXPECT_EQ(dialog.tabInfo->currentIndex(), 0);
    EXPECT_EQ(dialog.LastAction(), laNone);

    ASSERT_EQ(dialog.tvInformation->topLevelItemCount(), 5);
    EXPECT_EQ(node("Data Sources")->parent(), node("Partitions"));
    EXPECT_EQ(node("Level Name")->parent(), node("Dimension"));
    for (QTreeWidgetItemIterator it(dialog.tvInformation); *it; ++it)
        EXPECT_TRUE((*it)->isExpanded());
    // Neither the user's Left key nor the program can fold a node away.
    dialog.show();
    dialog.tabInfo->setCurrentIndex(1);
    dialog.tvInformation->setCurrentItem(node("Partitions"));
    QTest::keyClick(dialog.tvInformation, Qt::Key_Left);
    EXPECT_TRUE(node("Partitions")->isExpanded());
    dialog.tvInformation->collapseItem(node("Dimension"));
    EXPECT_TRUE(node("Dimension")->isExpanded());
}

// Header clicks cycle the sort and move a triangle icon; Report reads the grids back in the
// displayed order, which the next showing keeps.
TEST_F(SelectionDialog, HeaderClicksSortAndReportReadsBackInTheDisplayedOrder) {
    load();
    const QStringList ascending = {u"budget"_s, u"Orders"_s, u"Sales"_s, u"Warehouse"_s};
    const QStringList descending(ascending.rbegin(), ascending.rend());
    const int result = runModal(dialog, [&] {
        for (const auto& [icon, names] : {std::pair("asc", ascending), std::pair("desc", descending)}) {
            clickHeader(dialog.lstCubes, 1);
            EXPECT_EQ(columnTexts(dialog.lstCubes, 1), names);
            EXPECT_TRUE(hasSortIcon(1, icon));
        }
        clickCheckBox(dialog.lstCubes, dialog.lstCubes->topLevelItem(1)); // Sales on
        clickCheckBox(dialog.lstCubes, dialog.lstCubes->topLevelItem(3)); // budget off
        dialog.tabInfo->setCurrentIndex(1);
        clickCheckBox(dialog.tvInformation, "Measures");
        pressMnemonic(&dialog, Qt::Key_R, dialog.cmdReport);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.LastAction(), laReport);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(firstTab(dialog),
              catalogue({{u"Archive"_s, u"Warehouse"_s, u"101.00 MB"_s, u"Processed"_s, true},
                         {u"FoodMart"_s, u"Sales"_s, u"12.40 MB"_s, u"Processed"_s, true},
                         {u"Northwind"_s, u"Orders"_s, u"0.75 MB"_s, u"Processed"_s, false},
                         {u"FoodMart"_s, u"budget"_s, u"3.10 MB"_s, u"Not Processed"_s, false}}));
    const VariantGrid tree = secondTab(dialog);
    for (qint32 r = 1; r <= 7; ++r)
        EXPECT_EQ(tree.at(r, InfoTreeColumn::Checked), QVariant(r == cinMsr)) << r;

    dialog.LastAction(laNone);
    runModal(dialog, [&] {
        EXPECT_EQ(columnTexts(dialog.lstCubes, 1), descending);
        EXPECT_TRUE(hasSortIcon(1, "desc"));
        clickHeader(dialog.lstCubes, 1);
        EXPECT_EQ(columnTexts(dialog.lstCubes, 1), ascending);
        EXPECT_TRUE(hasSortIcon(1, "asc"));
        clickHeader(dialog.lstCubes, 0);
        EXPECT_TRUE(dialog.lstCubes->headerItem()->icon(1).isNull());
        EXPECT_TRUE(hasSortIcon(0, "asc"));
        EXPECT_EQ(columnTexts(dialog.lstCubes, 0),
                  QStringList({u"Archive"_s, u"FoodMart"_s, u"FoodMart"_s, u"Northwind"_s}));
        // Equal databases keep the order the name sort gave them.
        EXPECT_EQ(columnTexts(dialog.lstCubes, 1)[1], u"budget"_s);
        click(dialog.cmdClose);
    });
    EXPECT_EQ(dialog.LastAction(), laCancel);
    // The two triangles, by their position in the image list.
    EXPECT_EQ(dialog.imlSort->key(1) + dialog.imlSort->key(2), u"descasc"_s);
    EXPECT_EQ(dialog.imlSort->key(0) + dialog.imlSort->key(3), QString());
}

// The rule: checking a node checks its parent, unchecking one unchecks its children; one level
// only, and only for the user's changes.
TEST_F(SelectionDialog, UserChecksFollowTheTreeRuleOneLevelDeep) {
    load(infoTree({{u"p"_s, u"Parent"_s, QString(), true},
                   {u"a"_s, u"A"_s, u"p"_s, true},
                   {u"c"_s, u"C"_s, u"p"_s, true},
                   {u"g"_s, u"Grandchild"_s, u"c"_s, true},
                   {u"o"_s, u"Other"_s, QString(), false},
                   {u"l"_s, u"Loose"_s, u"o"_s, true}}));
    EXPECT_TRUE(checked("Loose")) << "loading leaves the rule alone";
    dialog.show();
    dialog.tabInfo->setCurrentIndex(1);
    clickCheckBox(dialog.tvInformation, "Parent");
    EXPECT_FALSE(checked("A"));
    EXPECT_FALSE(checked("C"));
    EXPECT_TRUE(checked("Grandchild"));
    EXPECT_TRUE(checked("Loose"));
    clickCheckBox(dialog.tvInformation, "Grandchild"); // off
    EXPECT_FALSE(checked("C"));
    clickCheckBox(dialog.tvInformation, "Grandchild"); // on: checks C only
    EXPECT_TRUE(checked("C"));
    EXPECT_FALSE(checked("Parent"));
    clickCheckBox(dialog.tvInformation, "Grandchild"); // off: C stays
    EXPECT_TRUE(checked("C"));
    // The keyboard's space bar is a user change as well.
    dialog.tvInformation->setCurrentItem(node("A"));
    QTest::keyClick(dialog.tvInformation, Qt::Key_Space);
    EXPECT_TRUE(checked("A"));
    EXPECT_TRUE(checked("Parent"));
    EXPECT_FALSE(checked("Other"));
}

TEST_F(SelectionDialog, KeysSwitchTabsSelectToggleAndAskForHelp) {
    load();
    dialog.setHelpContextID(20110);
    qint32 asked = 0;
    QObject::connect(&dialog, &frmInfo::helpRequested, &dialog, [&](qint32 id) { asked = id; });
    runModal(dialog, [&] {
        QTest::keyClick(dialog.lstCubes, Qt::Key_F1);
        QTest::keyClick(&dialog, Qt::Key_I, Qt::AltModifier);
        EXPECT_EQ(dialog.tabInfo->currentIndex(), 1);
        pressMnemonic(&dialog, Qt::Key_A, dialog.cmdSelAll);
        EXPECT_EQ(checkMarks(dialog.lstCubes), (std::vector<bool>{false, true, false, true}));
        QTest::keyClick(&dialog, Qt::Key_U, Qt::AltModifier);
        EXPECT_EQ(dialog.tabInfo->currentIndex(), 0);
        pressMnemonic(&dialog, Qt::Key_N, dialog.cmdSelNone);
        // Space toggles the check box of the current list row whatever its current column (in
        // the tree, UserChecksFollowTheTreeRuleOneLevelDeep). A name that starts with a blank:
        // a Space the list kept searching for would land there.
        QTreeWidget* list = dialog.lstCubes;
        list->setFocus(Qt::TabFocusReason);
        list->topLevelItem(0)->setText(1, u" Sales"_s);
        for (const int column : {0, 1, 2, 3}) {
            list->setCurrentItem(list->topLevelItem(2), column);
            QTest::keyClick(list, Qt::Key_Space);
            EXPECT_EQ(checkMarks(list), (std::vector<bool>{false, false, true, false})) << column;
            QTest::keyClick(list, Qt::Key_Space);
            EXPECT_EQ(checkMarks(list), std::vector<bool>(4, false)) << column;
        }
        pressMnemonic(&dialog, Qt::Key_C, dialog.cmdClose);
    });
    EXPECT_EQ(asked, 20110);
    for (QTreeWidgetItemIterator it(dialog.tvInformation); *it; ++it)
        EXPECT_EQ((*it)->checkState(0), Qt::Checked) << (*it)->text(0).toStdString();
    EXPECT_EQ(checkMarks(dialog.lstCubes), std::vector<bool>(4, false));
    EXPECT_EQ(dialog.LastAction(), laCancel);
}

// Tab visits every control in the order they appear, Shift+Tab the same in reverse, on either
// tab; the page in the chain is the current one. The buttons stand side by side below the tabs.
TEST_F(SelectionDialog, TabAndShiftTabVisitEveryControlInTheOrderTheyAppear) {
    load();
    runModal(dialog, [&] {
        for (const int tab : {0, 1}) {
            dialog.tabInfo->setCurrentIndex(tab);
            QWidget* bar = dialog.tabInfo->tabBar();
            QList<const QWidget*> order;
            order << bar << dialog.tabInfo->currentWidget() << dialog.cmdSelAll << dialog.cmdSelNone
                  << dialog.chkIndex << dialog.cmdReport << dialog.cmdClose << bar;
            for (qsizetype i = 2; i < 7; ++i) {
                EXPECT_GT(order[i]->geometry().top(), dialog.tabInfo->geometry().bottom()) << i;
                EXPECT_EQ(order[i]->geometry().center().y(), dialog.cmdClose->geometry().center().y()) << i;
                EXPECT_TRUE(i == 2 || order[i]->geometry().left() > order[i - 1]->geometry().right()) << i;
            }
            bar->setFocus(Qt::TabFocusReason);
            // No widget given: the key goes to the focused one.
            for (qsizetype i = 1; i < order.size(); ++i) {
                QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
                EXPECT_EQ(QApplication::focusWidget(), order[i]) << "Tab, step " << i << ", tab " << tab;
            }
            for (qsizetype i = order.size() - 1; i-- > 0;) {
                QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Backtab, Qt::ShiftModifier);
                EXPECT_EQ(QApplication::focusWidget(), order[i])
                    << "Shift+Tab, step " << i << ", tab " << tab;
            }
        }
        click(dialog.cmdClose);
    });
}

// Enter presses the focused push button and nothing else: no default button takes it from the
// list or the tree, not even after Tab passed the buttons. Escape leaves as Close does.
TEST(SelectionDialogKeys, EnterPressesOnlyTheFocusedButtonAndEscapeClosesAsCloseDoes) {
    const struct {
        const char* focus; // the focused widget's name, on the given tab
        int tab;
        bool afterTab;
        Qt::Key key;       // Key_Enter is the keypad's
        qint32 lastAction; // laNone: the dialog stays open
    } cases[] = {
        {"lstCubes", 0, false, Qt::Key_Return, laNone},
        {"tvInformation", 1, false, Qt::Key_Enter, laNone},
        {"lstCubes", 0, true, Qt::Key_Return, laNone},
        {"qt_tabwidget_tabbar", 0, false, Qt::Key_Return, laNone},
        {"cmdSelAll", 0, false, Qt::Key_Return, laNone},
        {"cmdReport", 0, false, Qt::Key_Enter, laReport},
        {"cmdClose", 0, false, Qt::Key_Return, laCancel},
        {"lstCubes", 0, false, Qt::Key_Escape, laCancel},
        {"cmdReport", 0, false, Qt::Key_Escape, laCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.focus) + (c.afterTab ? " after Tab, key " : ", key ") +
                     std::to_string(c.key));
        frmInfo dialog;
        loadDialog(dialog, catalogue(sampleRows()));
        bool open = false;
        qint32 lastAction = -1;
        const int result = runModal(dialog, [&] {
            dialog.tabInfo->setCurrentIndex(c.tab);
            dialog.lstCubes->setCurrentItem(dialog.lstCubes->topLevelItem(1));
            if (c.afterTab) {
                for (QWidget* button : {dialog.cmdSelNone, dialog.cmdReport, dialog.cmdClose})
                    button->setFocus(Qt::TabFocusReason);
            }
            auto* target = dialog.findChild<QWidget*>(QLatin1String(c.focus));
            target->setFocus(Qt::TabFocusReason);
            ASSERT_EQ(QApplication::focusWidget(), target);
            QTest::keyClick(target, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            open = dialog.isVisible();
            lastAction = dialog.LastAction();
            if (open)
                dialog.done(QDialog::Rejected);
        });
        EXPECT_EQ(open, c.lastAction == laNone);
        EXPECT_EQ(lastAction, c.lastAction);
        EXPECT_EQ(result, c.lastAction == laReport ? QDialog::Accepted : QDialog::Rejected);
        const std::vector<bool> loaded{false, true, false, true}, all(4, true);
        EXPECT_EQ(checkMarks(dialog.lstCubes), std::string_view(c.focus) == "cmdSelAll" ? all : loaded);
    }
}

// Closed by the frame's close box (Close and Escape: the key table above), the dialog keeps the
// grids it was given and its last action; the list keeps what the user did.
TEST_F(SelectionDialog, LeavingWithoutReportKeepsTheGrids) {
    load();
    dialog.LastAction(laReport);
    const int result = runModal(dialog, [&] {
        click(dialog.cmdSelAll);
        clickHeader(dialog.lstCubes, 0);
        dialog.tabInfo->setCurrentIndex(1);
        click(dialog.cmdSelAll);
        dialog.close();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.LastAction(), laReport);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(firstTab(dialog), catalogue(sampleRows()));
    EXPECT_EQ(secondTab(dialog), cubeTree());
    EXPECT_EQ(checkMarks(dialog.lstCubes), std::vector<bool>(4, true));
}

TEST(SelectionDialogGrids, BadRowsEndTheFillsAndReportReadsBackWhatIsShown) {
    // Rows first to last, the name of each its number.
    const auto numbered = [](qint32 first, qint32 last) {
        VariantGrid grid;
        grid.redim(CatalogueColumn::Database, CatalogueColumn::Checked, first, last);
        for (qint32 r = first; r <= last; ++r) {
            const QVariant cells[] = {u"Db"_s, QString::number(r), QString(), QString(), false};
            for (qint32 c = CatalogueColumn::Database; c <= CatalogueColumn::Checked; ++c)
                grid.at(c, r) = cells[c - CatalogueColumn::Database];
        }
        return grid;
    };
    const VariantGrid orphan = infoTree({{u"k1"_s, u"First"_s, QString()},
                                         {u"k2"_s, u"Orphan"_s, u"missing"_s},
                                         {u"k3"_s, u"Never shown"_s, QString()}});
    struct Case {
        const char* name;
        VariantGrid rows;
        int columns, items, nodes;
        VariantGrid tree = cubeTree(), widths = cubeWidths(), aligns = cubeAligns();
    };
    const Case cases[] = {
        // "AB" + "C" and "A" + "BC" make the same key.
        {"duplicate key",
         catalogue({{u"Alpha"_s, u"One"_s}, {u"AB"_s, u"C"_s}, {u"A"_s, u"BC"_s}, {u"Zeta"_s, u"Two"_s}}), 4,
         2, 5},
        {"two widths, orphan node", catalogue(sampleRows()), 2, 0, 1, orphan, columnArray({1600, 3200})},
        {"rows 0 to 32767", numbered(0, 32767), 4, 32768, 5},
        {"past 16-bit rows", numbered(0, 32768), 4, 0, 5},
        {"rows from -32768", numbered(-32768, -32766), 4, 3, 5},
        {"before 16-bit rows", numbered(-32769, -32768), 4, 0, 5},
        {"no rows", numbered(0, -1), 4, 0, 5},
        // Alignment code 7 is no alignment: the list ends before that column and has no rows.
        {"alignment code 7", catalogue(sampleRows()), 3, 0, 5, cubeTree(), cubeWidths(),
         columnArray({0, 0, 1, 7})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frmInfo dialog;
        loadDialog(dialog, c.rows, c.tree, c.aligns, c.widths);
        EXPECT_EQ(dialog.lstCubes->columnCount(), c.columns);
        EXPECT_EQ(dialog.lstCubes->topLevelItemCount(), c.items);
        EXPECT_EQ(dialog.tvInformation->topLevelItemCount(), c.nodes);
        if (c.items == 2) { // the rows before the duplicate
            EXPECT_EQ(columnTexts(dialog.lstCubes, 0), QStringList({u"Alpha"_s, u"AB"_s}));
        }
        runModal(dialog, [&] { click(dialog.cmdReport); });
        EXPECT_EQ(dialog.LastAction(), laReport);
        EXPECT_EQ(firstTab(dialog), c.rows);
    }
}

// Only a Boolean checks a list row; a tree node takes "True" and "False" in any case and
// numbers as well.
TEST_F(SelectionDialog, CellsTakeNumbersTextsAndNothingButOnlyABooleanChecksARow) {
    loadDialog(dialog,
               catalogue({{u"Db"_s, u"0"_s, {}, {}, QVariant()},
                          {u"Db"_s, u"1"_s, {}, {}, u"True"_s},
                          {u"Db"_s, u"2"_s, {}, {}, 1},
                          {u"Db"_s, u"3"_s, {}, {}, true}}),
               infoTree({{u"k1"_s, u"A"_s, QString(), u" tRUE "_s},
                         {u"k2"_s, u"B"_s, QString(), u"False"_s},
                         {u"k3"_s, u"C"_s, QString(), u"2"_s},
                         {u"k4"_s, u"D"_s, QString(), QVariant()}}),
               columnArray({2, u"1"_s, QVariant(), 0}), columnArray({u"1600"_s, 1e300, QVariant(), -5}));
    QTreeWidget* list = dialog.lstCubes;
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(checkMarks(list), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(list->headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(list->headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list->headerItem()->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(list->header()->sectionSize(0), qRound(1600 * list->logicalDpiX() / 1440.0));
    EXPECT_EQ(list->header()->sectionSize(1), 32767);
    EXPECT_EQ(checkMarks(dialog.tvInformation), (std::vector<bool>{true, false, true, false}));
}

TEST_F(SelectionDialog, RoleTreeEmptyLastRowIsAnEmptyNodeThatEndsTheReadBack) {
    // The role catalogue's fourth column and the tree's last row hold nothing.
    loadDialog(dialog, catalogue({{u"FoodMart"_s, u"All Users"_s, u"Everyone"_s}}),
               infoTree({{u"VOKKey1"_s, u"User"_s, QString()},
                         {u"VOKKey2"_s, u"Cube"_s, QString()},
                         {QVariant(), QVariant(), QVariant(), QVariant()}}),
               columnArray({0, 0, 0, QVariant()}), columnArray({1600, 3200, 800, QVariant()}),
               columnArray({u"Database"_s, u"Role"_s, u"Users"_s, QVariant()}));
    EXPECT_EQ(dialog.lstCubes->columnCount(), 4);
    EXPECT_EQ(dialog.lstCubes->headerItem()->text(3), QString());
    ASSERT_EQ(dialog.tvInformation->topLevelItemCount(), 3);
    EXPECT_EQ(dialog.tvInformation->topLevelItem(2)->text(0), QString());
    runModal(dialog, [&] {
        dialog.tabInfo->setCurrentIndex(1);
        click(dialog.cmdSelAll);
        click(dialog.cmdReport);
    });
    const VariantGrid tree = secondTab(dialog);
    EXPECT_EQ(tree.at(1, InfoTreeColumn::Checked), QVariant(true));
    EXPECT_EQ(tree.at(2, InfoTreeColumn::Checked), QVariant(true));
    EXPECT_FALSE(tree.at(3, InfoTreeColumn::Checked).isValid());
    EXPECT_EQ(dialog.LastAction(), laReport);
}

TEST_F(SelectionDialog, LoadsOnceOnTheFirstTouch) {
    {
        // Without any grids the first showing loads; Report leaves the caller's grids alone.
        frmInfo nothing;
        runModal(nothing, [&] { click(nothing.cmdReport); });
        EXPECT_EQ(nothing.LastAction(), laReport);
        VariantGrid untouched = catalogue(sampleRows());
        nothing.GetFirstTab(untouched);
        nothing.GetSecondTab(untouched);
        EXPECT_EQ(untouched, catalogue(sampleRows()));
    }
    dialog.LastAction(laReport);
    load();
    EXPECT_EQ(dialog.LastAction(), laNone);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait pointer ends with the loading";
    dialog.SetFirstTab(catalogue({{u"Late"_s, u"Row"_s}}));
    dialog.setCaption(u"Dimension Information"_s);
    EXPECT_EQ(dialog.lstCubes->topLevelItemCount(), 4);
    EXPECT_EQ(dialog.windowTitle(), u"Dimension Information"_s);
    EXPECT_EQ(firstTab(dialog).at(CatalogueColumn::Database, 0), QVariant(u"Late"_s));
}

} // namespace
