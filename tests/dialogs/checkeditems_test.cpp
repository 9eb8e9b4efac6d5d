#include "dialogs/frminfo.h"
#include "settings/settingsstore.h"
#include "tests/dialogs/dialogtestutil.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

const QString Kavenor = u"Kavenor"_s;

QTreeView* list(const frmInfo& dialog) {
    return part<QTreeView>(dialog, "lstCubes");
}
QTreeView* tree(const frmInfo& dialog) {
    return part<QTreeView>(dialog, "tvInformation");
}
QCheckBox* index(const frmInfo& dialog) {
    return part<QCheckBox>(dialog, "chkIndex");
}
const QString Cubes = u"Cubes"_s;

std::vector<CatalogueRow> rows() {
    return {{u"FoodMart"_s, u"Sales"_s},
            {u"FoodMart"_s, u"Budget"_s, {}, {}, true},
            {u"Northwind"_s, u"Orders"_s}};
}

// Each test starts with an empty store.
class CheckedItemMemory : public ::testing::Test {
protected:
    static std::unique_ptr<frmInfo> openDialog(const std::vector<CatalogueRow>& catalogueRows = rows(),
                                               const std::vector<SelectionCategory>& tree = cubeTree()) {
        auto dialog = std::make_unique<frmInfo>();
        loadDialog(*dialog, selectionOf(catalogue(catalogueRows), tree));
        dialog->LoadCheckedItems(Cubes);
        return dialog;
    }
    static QString stored(const char* key) {
        return GetSetting(Kavenor, Cubes, QString::fromUtf8(key), u"<none>"_s);
    }

    ScopedEnv config{"XDG_CONFIG_HOME", freshFolder()};
};

TEST_F(CheckedItemMemory, FirstRunChecksEveryCategorySavesOneMarkPerCaptionKeyAndTheNextRunLoadsThem) {
    const auto dialog = openDialog();
    for (const QModelIndex& each : allNodes(tree(*dialog)))
        EXPECT_TRUE(isChecked(each)) << each.data().toString().toStdString();
    EXPECT_EQ(checkMarks(list(*dialog)), std::vector<bool>(3, false)) << "the rows' own marks are replaced";
    EXPECT_FALSE(index(*dialog)->isChecked());

    part<QTabWidget>(*dialog, "tabInfo")->setCurrentIndex(1);
    clickCheckBox(tree(*dialog), "Data Sources");
    clickRowCheckBox(list(*dialog), 2);
    index(*dialog)->setChecked(true);
    dialog->SaveCheckedItems(Cubes);
    const std::pair<const char*, const char*> marks[] = {
        {"Root_Connected Roles", "X"}, {"Root_Partitions", "X"},         {"Partitions_Data Sources", " "},
        {"Dimension_Level Name", "X"}, {"Root_Calculated Members", "X"}, {"FoodMart_Sales", " "},
        {"Northwind_Orders", "X"},     {"ReportPageWithIndex", "X"},     {"VOKKey3", "<none>"}};
    for (const auto& [key, mark] : marks)
        EXPECT_EQ(stored(key), QLatin1String(mark)) << key;
    EXPECT_EQ(GetSetting(Kavenor, u"Dimensions"_s, u"Root_Partitions"_s, QString()), QString());
    // The next run starts as this one ended.
    const auto next = openDialog();
    EXPECT_FALSE(isChecked(tree(*next), "Data Sources"));
    EXPECT_TRUE(isChecked(tree(*next), "Partitions"));
    EXPECT_EQ(checkMarks(list(*next)), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(index(*next)->isChecked());

    // A node's key names its direct parent only.
    const auto deep = openDialog(rows(), infoTree({{u"k1"_s, u"Levels"_s, QString()},
                                                   {u"k2"_s, u"Level properties"_s, u"k1"_s},
                                                   {u"k3"_s, u"Source"_s, u"k2"_s}}));
    part<QTabWidget>(*deep, "tabInfo")->setCurrentIndex(1);
    click(part<QPushButton>(*deep, "cmdSelNone"));
    deep->SaveCheckedItems(Cubes);
    for (const char* key : {"Root_Levels", "Levels_Level properties", "Level properties_Source"})
        EXPECT_EQ(stored(key), u" "_s) << key;
}

TEST_F(CheckedItemMemory, OnlyACapitalXMeansCheckedAndLoadingLeavesTheTreeRuleAlone) {
    for (const char* mark : {"x", "X ", " X", "", "Y"}) {
        for (const QString& key : {u"Root_Measures"_s, u"FoodMart_Sales"_s, u"ReportPageWithIndex"_s})
            SaveSetting(Kavenor, Cubes, key, QString::fromLatin1(mark));
        const auto dialog = openDialog();
        EXPECT_FALSE(isChecked(tree(*dialog), "Measures")) << mark;
        EXPECT_FALSE(checkMarks(list(*dialog)).at(0)) << mark;
        EXPECT_FALSE(index(*dialog)->isChecked()) << mark;
    }
    SaveSetting(Kavenor, Cubes, u"Root_Partitions"_s, u" "_s);
    const auto dialog = openDialog();
    EXPECT_FALSE(isChecked(tree(*dialog), "Partitions"));
    EXPECT_TRUE(isChecked(tree(*dialog), "Data Sources"));
}

TEST_F(CheckedItemMemory, ItemsWithTheSameKeyShareOneValue) {
    // "A_B" + "C" and "A" + "B_C" both give "A_B_C", and database "Root" with cube "Measures"
    // gives the tree node's "Root_Measures"; the item later in the list is written last.
    const std::vector<CatalogueRow> clash = {
        {u"A_B"_s, u"C"_s}, {u"A"_s, u"B_C"_s}, {u"Root"_s, u"Measures"_s}};
    auto dialog = openDialog(clash);
    ASSERT_TRUE(isChecked(tree(*dialog), "Measures"));
    clickRowCheckBox(list(*dialog), 0);
    dialog->SaveCheckedItems(Cubes);
    EXPECT_EQ(stored("A_B_C"), u" "_s);
    EXPECT_EQ(stored("Root_Measures"), u" "_s);

    dialog = openDialog(clash);
    EXPECT_FALSE(isChecked(tree(*dialog), "Measures"));
    EXPECT_EQ(checkMarks(list(*dialog)), (std::vector<bool>{false, false, false}));
    clickRowCheckBox(list(*dialog), 1);
    dialog->SaveCheckedItems(Cubes);
    dialog = openDialog(clash);
    EXPECT_EQ(checkMarks(list(*dialog)), (std::vector<bool>{true, true, false}));
}

// The memory is a convenience: a store that cannot be read or written leaves the defaults and
// the user's choices in the dialog, and says so once.
TEST(CheckedItemMemoryFailures, AStoreThatFailsGivesTheDefaultsAndIsToldOnce) {
    const StuckSettings settings = damagedFileStuckInPlace();
    const ScopedEnv config("XDG_CONFIG_HOME", settings.configHome);
    CapturedStderr captured;
    frmInfo dialog;
    loadDialog(dialog, selectionOf(catalogue(rows())));
    dialog.LoadCheckedItems(Cubes);
    for (const QModelIndex& each : allNodes(tree(dialog)))
        EXPECT_TRUE(isChecked(each)) << each.data().toString().toStdString();
    EXPECT_EQ(checkMarks(list(dialog)), std::vector<bool>(3, false));
    EXPECT_FALSE(index(dialog)->isChecked());

    runModal(dialog, [&] {
        clickRowCheckBox(list(dialog), 0);
        click(part<QPushButton>(dialog, "cmdReport"));
    });
    dialog.SaveCheckedItems(Cubes);
    EXPECT_EQ(dialog.LastAction(), laReport);
    EXPECT_TRUE(dialog.selection().rows.at(0).checked) << "the report has the user's choice";
    dialog.LoadCheckedItems(Cubes);
    dialog.SaveCheckedItems(Cubes);
    expectEachFailureToldOnce(captured.lines(u"settings not "_s), settings);
}

} // namespace
