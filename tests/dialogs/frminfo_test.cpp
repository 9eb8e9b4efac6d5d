#include "dialogs/frminfo.h"
#include "dialogs/imagelist.h"
#include "tests/dialogs/dialogtestutil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <limits>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

std::vector<CatalogueRow> sampleRows() {
    return {{u"FoodMart"_s, u"Sales"_s, u"12.40 MB"_s, u"Processed"_s},
            {u"FoodMart"_s, u"budget"_s, u"3.10 MB"_s, u"Not Processed"_s, true},
            {u"Northwind"_s, u"Orders"_s, u"0.75 MB"_s, u"Processed"_s},
            {u"Archive"_s, u"Warehouse"_s, u"101.00 MB"_s, u"Processed"_s, true}};
}

// Each row's texts and check mark, which a failure message can show.
QStringList described(const std::vector<SelectionRow>& rows) {
    QStringList texts;
    for (const SelectionRow& row : rows)
        texts << QStringList{row.database, row.name, row.detail, row.status, row.checked ? u"X"_s : u""_s}
                     .join(u'|');
    return texts;
}

QStringList described(const std::vector<SelectionCategory>& categories) {
    QStringList texts;
    for (const SelectionCategory& c : categories)
        texts << QStringList{c.key, c.caption, c.parent, c.checked ? u"X"_s : u""_s}.join(u'|');
    return texts;
}

// The dialog's controls.
struct Controls {
    explicit Controls(const frmInfo& dialog)
        : frame(part<QGroupBox>(dialog, "frConnection"))
        , server(part<QLabel>(dialog, "lblServer"))
        , list(part<QTreeView>(dialog, "lstCubes"))
        , tree(part<QTreeView>(dialog, "tvInformation"))
        , tabs(part<QTabWidget>(dialog, "tabInfo"))
        , sortIcons(part<ImageList>(dialog, "imlSort"))
        , selectAll(part<QPushButton>(dialog, "cmdSelAll"))
        , selectNone(part<QPushButton>(dialog, "cmdSelNone"))
        , index(part<QCheckBox>(dialog, "chkIndex"))
        , report(part<QPushButton>(dialog, "cmdReport"))
        , close(part<QPushButton>(dialog, "cmdClose")) {}

    QGroupBox* frame;
    QLabel* server;
    QTreeView* list;
    QTreeView* tree;
    QTabWidget* tabs;
    ImageList* sortIcons;
    QPushButton *selectAll, *selectNone;
    QCheckBox* index;
    QPushButton *report, *close;
};

class SelectionDialog : public ::testing::Test {
protected:
    void load(const std::vector<SelectionCategory>& tree = cubeTree(),
              const std::vector<CatalogueRow>& rows = sampleRows()) {
        loadDialog(dialog, selectionOf(catalogue(rows), tree));
    }
    QModelIndex node(const char* text) const { return nodeByText(ui.tree, QString::fromUtf8(text)); }
    bool checked(const char* text) const { return isChecked(ui.tree, text); }
    bool hasSortIcon(int column, const char* key) const {
        return headerData(ui.list, column, Qt::DecorationRole).value<QIcon>().cacheKey() ==
               ui.sortIcons->icon(QString::fromLatin1(key)).cacheKey();
    }

    frmInfo dialog;
    Controls ui{dialog};
};

TEST_F(SelectionDialog, FillsTheListAndTheAlwaysExpandedTree) {
    load();
    EXPECT_EQ(ui.frame->title(), u"Current Connection."_s);
    EXPECT_EQ(ui.server->parentWidget(), ui.frame);
    QTreeView* list = ui.list;
    ASSERT_EQ(list->model()->columnCount(), 4);
    EXPECT_EQ(headerData(list, 3, Qt::DisplayRole), u"Status"_s);
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
    EXPECT_TRUE(list->model()->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(list->model()->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
    EXPECT_EQ(ui.tabs->currentIndex(), 0);
    EXPECT_EQ(dialog.LastAction(), laNone);

    ASSERT_EQ(ui.tree->model()->rowCount(), 5);
    EXPECT_EQ(node("Data Sources").parent(), node("Partitions"));
    EXPECT_EQ(node("Level Name").parent(), node("Dimension"));
    for (const QModelIndex& each : allNodes(ui.tree))
        EXPECT_TRUE(ui.tree->isExpanded(each)) << each.data().toString().toStdString();
    // Neither the user's Left key nor the program can fold a node away.
    dialog.show();
    ui.tabs->setCurrentIndex(1);
    ui.tree->setCurrentIndex(node("Partitions"));
    QTest::keyClick(ui.tree, Qt::Key_Left);
    EXPECT_TRUE(ui.tree->isExpanded(node("Partitions")));
    ui.tree->collapse(node("Dimension"));
    EXPECT_TRUE(ui.tree->isExpanded(node("Dimension")));
}

// Header clicks cycle the sort and move a triangle icon; Report reads the rows back in the
// displayed order, which the next showing keeps.
TEST_F(SelectionDialog, HeaderClicksSortAndReportReadsBackInTheDisplayedOrder) {
    load();
    const QStringList ascending = {u"budget"_s, u"Orders"_s, u"Sales"_s, u"Warehouse"_s};
    const QStringList descending(ascending.rbegin(), ascending.rend());
    const int result = runModal(dialog, [&] {
        for (const auto& [icon, names] : {std::pair("asc", ascending), std::pair("desc", descending)}) {
            clickHeader(ui.list, 1);
            EXPECT_EQ(columnTexts(ui.list, 1), names);
            EXPECT_TRUE(hasSortIcon(1, icon));
        }
        clickRowCheckBox(ui.list, 1); // Sales on
        clickRowCheckBox(ui.list, 3); // budget off
        ui.tabs->setCurrentIndex(1);
        clickCheckBox(ui.tree, "Measures");
        pressMnemonic(&dialog, Qt::Key_R, ui.report);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.LastAction(), laReport);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(described(dialog.selection().rows),
              described(catalogue({{u"Archive"_s, u"Warehouse"_s, u"101.00 MB"_s, u"Processed"_s, true},
                                   {u"FoodMart"_s, u"Sales"_s, u"12.40 MB"_s, u"Processed"_s, true},
                                   {u"Northwind"_s, u"Orders"_s, u"0.75 MB"_s, u"Processed"_s, false},
                                   {u"FoodMart"_s, u"budget"_s, u"3.10 MB"_s, u"Not Processed"_s, false}})));
    const std::vector<SelectionCategory> tree = dialog.selection().categories;
    ASSERT_EQ(tree.size(), 7u);
    for (qint32 r = 1; r <= 7; ++r)
        EXPECT_EQ(tree[static_cast<std::size_t>(r - 1)].checked, r == cinMsr) << r;

    dialog.LastAction(laNone);
    runModal(dialog, [&] {
        EXPECT_EQ(columnTexts(ui.list, 1), descending);
        EXPECT_TRUE(hasSortIcon(1, "desc"));
        clickHeader(ui.list, 1);
        EXPECT_EQ(columnTexts(ui.list, 1), ascending);
        EXPECT_TRUE(hasSortIcon(1, "asc"));
        clickHeader(ui.list, 0);
        EXPECT_TRUE(headerData(ui.list, 1, Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_TRUE(hasSortIcon(0, "asc"));
        EXPECT_EQ(columnTexts(ui.list, 0),
                  QStringList({u"Archive"_s, u"FoodMart"_s, u"FoodMart"_s, u"Northwind"_s}));
        // Equal databases keep the order the name sort gave them.
        EXPECT_EQ(columnTexts(ui.list, 1)[1], u"budget"_s);
        clickHeader(ui.list, 0); // and so they do the other way round
        EXPECT_EQ(columnTexts(ui.list, 1),
                  QStringList({u"Orders"_s, u"budget"_s, u"Sales"_s, u"Warehouse"_s}));
        click(ui.close);
    });
    EXPECT_EQ(dialog.LastAction(), laCancel);
    // The two triangles, by their position in the image list.
    EXPECT_EQ(ui.sortIcons->key(1) + ui.sortIcons->key(2), u"descasc"_s);
    EXPECT_EQ(ui.sortIcons->key(0) + ui.sortIcons->key(3), QString());
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
    ui.tabs->setCurrentIndex(1);
    clickCheckBox(ui.tree, "Parent");
    EXPECT_FALSE(checked("A"));
    EXPECT_FALSE(checked("C"));
    EXPECT_TRUE(checked("Grandchild"));
    EXPECT_TRUE(checked("Loose"));
    clickCheckBox(ui.tree, "Grandchild"); // off
    EXPECT_FALSE(checked("C"));
    clickCheckBox(ui.tree, "Grandchild"); // on: checks C only
    EXPECT_TRUE(checked("C"));
    EXPECT_FALSE(checked("Parent"));
    clickCheckBox(ui.tree, "Grandchild"); // off: C stays
    EXPECT_TRUE(checked("C"));
    // The keyboard's space bar is a user change as well.
    ui.tree->setCurrentIndex(node("A"));
    QTest::keyClick(ui.tree, Qt::Key_Space);
    EXPECT_TRUE(checked("A"));
    EXPECT_TRUE(checked("Parent"));
    EXPECT_FALSE(checked("Other"));
}

TEST_F(SelectionDialog, KeysSwitchTabsSelectToggleAndAskForHelp) {
    // A name that starts with a blank: a Space the list kept searching for would land there.
    std::vector<CatalogueRow> rows = sampleRows();
    rows[0].name = u" Sales"_s;
    load(cubeTree(), rows);
    dialog.setHelpContextID(20110);
    qint32 asked = 0;
    QObject::connect(&dialog, &frmInfo::helpRequested, &dialog, [&](qint32 id) { asked = id; });
    runModal(dialog, [&] {
        QTest::keyClick(ui.list, Qt::Key_F1);
        QTest::keyClick(&dialog, Qt::Key_I, Qt::AltModifier);
        EXPECT_EQ(ui.tabs->currentIndex(), 1);
        pressMnemonic(&dialog, Qt::Key_A, ui.selectAll);
        EXPECT_EQ(checkMarks(ui.list), (std::vector<bool>{false, true, false, true}));
        QTest::keyClick(&dialog, Qt::Key_U, Qt::AltModifier);
        EXPECT_EQ(ui.tabs->currentIndex(), 0);
        pressMnemonic(&dialog, Qt::Key_N, ui.selectNone);
        // Space toggles the check box of the current list row whatever its current column (in
        // the tree, UserChecksFollowTheTreeRuleOneLevelDeep).
        QTreeView* list = ui.list;
        list->setFocus(Qt::TabFocusReason);
        for (const int column : {0, 1, 2, 3}) {
            list->setCurrentIndex(list->model()->index(2, column));
            QTest::keyClick(list, Qt::Key_Space);
            EXPECT_EQ(checkMarks(list), (std::vector<bool>{false, false, true, false})) << column;
            QTest::keyClick(list, Qt::Key_Space);
            EXPECT_EQ(checkMarks(list), std::vector<bool>(4, false)) << column;
        }
        pressMnemonic(&dialog, Qt::Key_C, ui.close);
    });
    EXPECT_EQ(asked, 20110);
    for (const QModelIndex& each : allNodes(ui.tree))
        EXPECT_TRUE(isChecked(each)) << each.data().toString().toStdString();
    EXPECT_EQ(checkMarks(ui.list), std::vector<bool>(4, false));
    EXPECT_EQ(dialog.LastAction(), laCancel);
}

// Tab visits every control in the order they appear, Shift+Tab the same in reverse, on either
// tab; the page in the chain is the current one. The buttons stand side by side below the tabs.
TEST_F(SelectionDialog, TabAndShiftTabVisitEveryControlInTheOrderTheyAppear) {
    load();
    runModal(dialog, [&] {
        for (const int tab : {0, 1}) {
            ui.tabs->setCurrentIndex(tab);
            QWidget* bar = ui.tabs->tabBar();
            QList<const QWidget*> order;
            order << bar << ui.tabs->currentWidget() << ui.selectAll << ui.selectNone << ui.index << ui.report
                  << ui.close << bar;
            for (qsizetype i = 2; i < 7; ++i) {
                EXPECT_GT(order[i]->geometry().top(), ui.tabs->geometry().bottom()) << i;
                EXPECT_EQ(order[i]->geometry().center().y(), ui.close->geometry().center().y()) << i;
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
        click(ui.close);
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
        const Controls ui(dialog);
        loadDialog(dialog, selectionOf(catalogue(sampleRows())));
        bool open = false;
        qint32 lastAction = -1;
        const int result = runModal(dialog, [&] {
            ui.tabs->setCurrentIndex(c.tab);
            ui.list->setCurrentIndex(ui.list->model()->index(1, 0));
            if (c.afterTab) {
                for (QWidget* button : {ui.selectNone, ui.report, ui.close})
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
        EXPECT_EQ(checkMarks(ui.list), std::string_view(c.focus) == "cmdSelAll" ? all : loaded);
    }
}

// Closed by the frame's close box (Close and Escape: the key table above), the dialog keeps the
// selection it was given and its last action; the list keeps what the user did.
TEST_F(SelectionDialog, LeavingWithoutReportKeepsTheSelection) {
    load();
    dialog.LastAction(laReport);
    const int result = runModal(dialog, [&] {
        click(ui.selectAll);
        clickHeader(ui.list, 0);
        ui.tabs->setCurrentIndex(1);
        click(ui.selectAll);
        dialog.close();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.LastAction(), laReport);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(described(dialog.selection().rows), described(catalogue(sampleRows())));
    EXPECT_EQ(described(dialog.selection().categories), described(cubeTree()));
    EXPECT_EQ(checkMarks(ui.list), std::vector<bool>(4, true));
}

TEST(SelectionDialogRows, BadRowsEndTheFillsAndReportReadsBackWhatIsShown) {
    // Rows 0 to last, the name of each its number.
    const auto numbered = [](int last) {
        std::vector<SelectionRow> rows;
        for (int r = 0; r <= last; ++r)
            rows.push_back({u"Db"_s, QString::number(r), {}, {}, false});
        return rows;
    };
    const std::vector<SelectionCategory> orphan = infoTree({{u"k1"_s, u"First"_s, QString()},
                                                            {u"k2"_s, u"Orphan"_s, u"missing"_s},
                                                            {u"k3"_s, u"Never shown"_s, QString()}});
    std::vector<SelectionColumn> badAlignment = cubeColumns();
    badAlignment[3].alignment = 7;
    struct Case {
        const char* name;
        std::vector<SelectionRow> rows;
        int columns, items, nodes;
        std::vector<SelectionCategory> tree = cubeTree();
        std::vector<SelectionColumn> columnList = cubeColumns();
    };
    const Case cases[] = {
        // "AB" + "C" and "A" + "BC" make the same key.
        {"duplicate key",
         catalogue({{u"Alpha"_s, u"One"_s}, {u"AB"_s, u"C"_s}, {u"A"_s, u"BC"_s}, {u"Zeta"_s, u"Two"_s}}), 4,
         2, 5},
        {"orphan node", catalogue(sampleRows()), 4, 4, 1, orphan},
        {"rows 0 to 32767", numbered(32767), 4, 32768, 5},
        {"past 16-bit rows", numbered(32768), 4, 0, 5},
        {"no rows", {}, 4, 0, 5},
        // Alignment code 7 is no alignment: the list ends before that column and has no rows.
        {"alignment code 7", catalogue(sampleRows()), 3, 0, 5, cubeTree(), badAlignment},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frmInfo dialog;
        const Controls ui(dialog);
        loadDialog(dialog, selectionOf(c.rows, c.tree, c.columnList));
        EXPECT_EQ(ui.list->model()->columnCount(), c.columns);
        EXPECT_EQ(ui.list->model()->rowCount(), c.items);
        EXPECT_EQ(ui.tree->model()->rowCount(), c.nodes);
        if (c.items == 2) { // the rows before the duplicate
            EXPECT_EQ(columnTexts(ui.list, 0), QStringList({u"Alpha"_s, u"AB"_s}));
        }
        runModal(dialog, [&] { click(ui.report); });
        EXPECT_EQ(dialog.LastAction(), laReport);
        EXPECT_EQ(described(dialog.selection().rows), described(c.rows));
    }
}

TEST_F(SelectionDialog, ColumnsTakeTheirAlignmentsAndAWidthAHeaderCanTake) {
    loadDialog(dialog, selectionOf(catalogue({{u"Db"_s, u"0"_s}}), cubeTree(),
                                   {{u"A"_s, 2, 1600},
                                    {u"B"_s, 1, std::numeric_limits<qint32>::max()},
                                    {u"C"_s, 0, 1440},
                                    {u"D"_s, 0, -5}}));
    QTreeView* list = ui.list;
    ASSERT_EQ(list->model()->columnCount(), 4);
    const auto headerAlignment = [&](int column) {
        return headerData(list, column, Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(headerAlignment(0), Qt::AlignHCenter);
    EXPECT_EQ(headerAlignment(1), Qt::AlignRight);
    EXPECT_EQ(headerAlignment(2), Qt::AlignLeft);
    EXPECT_EQ(list->header()->sectionSize(0), qRound(1600 * list->logicalDpiX() / 1440.0));
    EXPECT_EQ(list->header()->sectionSize(1), 32767);
}

TEST_F(SelectionDialog, RoleTreeEmptyLastRowIsAnEmptyNodeThatEndsTheReadBack) {
    // The role catalogue's fourth column and the tree's last category hold nothing.
    loadDialog(
        dialog,
        selectionOf(
            catalogue({{u"FoodMart"_s, u"All Users"_s, u"Everyone"_s}}),
            infoTree({{u"VOKKey1"_s, u"User"_s, QString()},
                      {u"VOKKey2"_s, u"Cube"_s, QString()},
                      {QString(), QString(), QString()}}),
            {{u"Database"_s, 0, 1600}, {u"Role"_s, 0, 3200}, {u"Users"_s, 0, 800}, {QString(), 0, 1440}}));
    EXPECT_EQ(ui.list->model()->columnCount(), 4);
    EXPECT_EQ(headerData(ui.list, 3, Qt::DisplayRole).toString(), QString());
    ASSERT_EQ(ui.tree->model()->rowCount(), 3);
    EXPECT_EQ(ui.tree->model()->index(2, 0).data().toString(), QString());
    runModal(dialog, [&] {
        ui.tabs->setCurrentIndex(1);
        click(ui.selectAll);
        click(ui.report);
    });
    const std::vector<SelectionCategory> tree = dialog.selection().categories;
    EXPECT_TRUE(tree.at(0).checked);
    EXPECT_TRUE(tree.at(1).checked);
    EXPECT_FALSE(tree.at(2).checked) << "its node was checked, but the read-back ended before it";
    EXPECT_EQ(dialog.LastAction(), laReport);
}

TEST_F(SelectionDialog, LoadsOnceOnTheFirstTouch) {
    {
        // Without a selection the first showing loads; Report reads back nothing.
        frmInfo nothing;
        runModal(nothing, [&] { click(part<QPushButton>(nothing, "cmdReport")); });
        EXPECT_EQ(nothing.LastAction(), laReport);
        EXPECT_TRUE(nothing.selection().rows.empty());
        EXPECT_TRUE(nothing.selection().categories.empty());
    }
    dialog.LastAction(laReport);
    load();
    EXPECT_EQ(dialog.LastAction(), laNone);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait pointer ends with the loading";
    dialog.setSelection(selectionOf(catalogue({{u"Late"_s, u"Row"_s}})));
    dialog.setCaption(u"Dimension Information"_s);
    EXPECT_EQ(ui.list->model()->rowCount(), 4);
    EXPECT_EQ(dialog.windowTitle(), u"Dimension Information"_s);
    EXPECT_EQ(dialog.selection().rows.at(0).database, u"Late"_s);
}

} // namespace
