#include "dialogtestutil.h"
#include "frminfo.h"
#include "settingsstore.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

const QString Kavenor = QStringLiteral("Kavenor");
const QString Cubes = QStringLiteral("Cubes");

std::vector<CatalogueRow> rows() {
    return {{QStringLiteral("FoodMart"), QStringLiteral("Sales"), QString(), QString()},
            {QStringLiteral("FoodMart"), QStringLiteral("Budget"), QString(), QString(), true},
            {QStringLiteral("Northwind"), QStringLiteral("Orders"), QString(), QString()}};
}

// Each test starts with an empty store.
class CheckedItemMemory : public ::testing::Test {
protected:
    std::unique_ptr<frmInfo> openDialog(const std::vector<CatalogueRow>& catalogueRows = rows(),
                                        const VariantGrid& tree = cubeTree()) {
        auto dialog = std::make_unique<frmInfo>();
        loadDialog(*dialog, catalogue(catalogueRows), tree);
        dialog->LoadCheckedItems(Cubes);
        return dialog;
    }
    static QString stored(const char* key) {
        return GetSetting(Kavenor, Cubes, QString::fromUtf8(key), QStringLiteral("<none>"));
    }
    static bool checked(const frmInfo& dialog, const char* text) {
        return nodeByText(dialog.tvInformation, QString::fromUtf8(text))->checkState(0) == Qt::Checked;
    }

    ScopedEnv config{"XDG_CONFIG_HOME", freshFolder()};
};

TEST_F(CheckedItemMemory, FirstRunChecksEveryCategoryAndNoItem) {
    const auto dialog = openDialog();
    for (QTreeWidgetItemIterator it(dialog->tvInformation); *it; ++it)
        EXPECT_EQ((*it)->checkState(0), Qt::Checked) << (*it)->text(0).toStdString();
    EXPECT_EQ(checkMarks(dialog->lstCubes), std::vector<bool>(3, false))
        << "the rows' own marks are replaced";
    EXPECT_FALSE(dialog->chkIndex->isChecked());
}

TEST_F(CheckedItemMemory, SavesOneMarkPerCaptionKey) {
    const auto dialog = openDialog();
    dialog->tabInfo->setCurrentIndex(1);
    clickCheckBox(dialog->tvInformation, nodeByText(dialog->tvInformation, QStringLiteral("Data Sources")));
    clickCheckBox(dialog->lstCubes, dialog->lstCubes->topLevelItem(2));
    dialog->chkIndex->setChecked(true);
    dialog->SaveCheckedItems(Cubes);

    EXPECT_EQ(stored("Root_Connected Roles"), QStringLiteral("X"));
    EXPECT_EQ(stored("Root_Partitions"), QStringLiteral("X"));
    EXPECT_EQ(stored("Partitions_Data Sources"), QStringLiteral(" "));
    EXPECT_EQ(stored("Dimension_Level Name"), QStringLiteral("X"));
    EXPECT_EQ(stored("Root_Calculated Members"), QStringLiteral("X"));
    EXPECT_EQ(stored("FoodMart_Sales"), QStringLiteral(" "));
    EXPECT_EQ(stored("Northwind_Orders"), QStringLiteral("X"));
    EXPECT_EQ(stored("ReportPageWithIndex"), QStringLiteral("X"));
    EXPECT_EQ(stored("VOKKey3"), QStringLiteral("<none>"));
    EXPECT_EQ(GetSetting(Kavenor, QStringLiteral("Dimensions"), QStringLiteral("Root_Partitions"), QString()),
              QString());
}

TEST_F(CheckedItemMemory, TheNextRunStartsAsTheLastOneEnded) {
    {
        const auto first = openDialog();
        runModal(*first, [&] {
            first->tabInfo->setCurrentIndex(1);
            clickCheckBox(first->tvInformation,
                          nodeByText(first->tvInformation, QStringLiteral("Data Sources")));
            first->tabInfo->setCurrentIndex(0);
            clickHeader(first->lstCubes, 1); // sorting changes no key
            clickCheckBox(first->lstCubes, first->lstCubes->topLevelItem(0));
            click(first->cmdClose);
        });
        first->SaveCheckedItems(Cubes);
    }
    const auto second = openDialog();
    EXPECT_FALSE(checked(*second, "Data Sources"));
    EXPECT_TRUE(checked(*second, "Partitions"));
    EXPECT_EQ(checkMarks(second->lstCubes), (std::vector<bool>{false, true, false})); // Budget
    EXPECT_FALSE(second->chkIndex->isChecked());
}

TEST_F(CheckedItemMemory, OnlyACapitalXMeansChecked) {
    for (const char* mark : {"x", "X ", " X", "", "Y"}) {
        SaveSetting(Kavenor, Cubes, QStringLiteral("Root_Measures"), QString::fromLatin1(mark));
        SaveSetting(Kavenor, Cubes, QStringLiteral("FoodMart_Sales"), QString::fromLatin1(mark));
        SaveSetting(Kavenor, Cubes, QStringLiteral("ReportPageWithIndex"), QString::fromLatin1(mark));
        const auto dialog = openDialog();
        EXPECT_FALSE(checked(*dialog, "Measures")) << mark;
        EXPECT_FALSE(dialog->lstCubes->topLevelItem(0)->checkState(0) == Qt::Checked) << mark;
        EXPECT_FALSE(dialog->chkIndex->isChecked()) << mark;
    }
}

TEST_F(CheckedItemMemory, LoadingLeavesTheTreeRuleAlone) {
    SaveSetting(Kavenor, Cubes, QStringLiteral("Root_Partitions"), QStringLiteral(" "));
    SaveSetting(Kavenor, Cubes, QStringLiteral("Partitions_Data Sources"), QStringLiteral("X"));
    const auto dialog = openDialog();
    EXPECT_FALSE(checked(*dialog, "Partitions"));
    EXPECT_TRUE(checked(*dialog, "Data Sources"));
}

TEST_F(CheckedItemMemory, ItemsWithTheSameKeyShareOneValue) {
    // "A_B" + "C" and "A" + "B_C" both give "A_B_C"; the later one in the list is written last.
    const std::vector<CatalogueRow> clash = {
        {QStringLiteral("A_B"), QStringLiteral("C"), QString(), QString()},
        {QStringLiteral("A"), QStringLiteral("B_C"), QString(), QString()}};
    auto dialog = openDialog(clash);
    dialog->lstCubes->topLevelItem(0)->setCheckState(0, Qt::Checked);
    dialog->SaveCheckedItems(Cubes);
    EXPECT_EQ(stored("A_B_C"), QStringLiteral(" "));

    dialog->lstCubes->topLevelItem(1)->setCheckState(0, Qt::Checked);
    dialog->SaveCheckedItems(Cubes);
    dialog = openDialog(clash);
    EXPECT_EQ(checkMarks(dialog->lstCubes), (std::vector<bool>{true, true}));
}

TEST_F(CheckedItemMemory, ACatalogueKeyCanOverwriteATreeKey) {
    // Database "Root" holding cube "Measures" shares "Root_Measures" with the tree's node.
    auto dialog = openDialog({{QStringLiteral("Root"), QStringLiteral("Measures"), QString(), QString()}});
    ASSERT_TRUE(checked(*dialog, "Measures"));
    ASSERT_EQ(checkMarks(dialog->lstCubes), std::vector<bool>{false});
    dialog->SaveCheckedItems(Cubes);
    EXPECT_EQ(stored("Root_Measures"), QStringLiteral(" "));

    dialog = openDialog({{QStringLiteral("Root"), QStringLiteral("Measures"), QString(), QString()}});
    EXPECT_FALSE(checked(*dialog, "Measures"));
    EXPECT_EQ(checkMarks(dialog->lstCubes), std::vector<bool>{false});
}

TEST_F(CheckedItemMemory, NodeKeysUseTheDirectParentOnly) {
    const VariantGrid tree = infoTree({
        {QStringLiteral("k1"), QStringLiteral("Levels"), QString()},
        {QStringLiteral("k2"), QStringLiteral("Level properties"), QStringLiteral("k1")},
        {QStringLiteral("k3"), QStringLiteral("Source"), QStringLiteral("k2")},
    });
    const auto dialog = openDialog(rows(), tree);
    dialog->tabInfo->setCurrentIndex(1);
    click(dialog->cmdSelNone);
    dialog->SaveCheckedItems(Cubes);
    EXPECT_EQ(stored("Root_Levels"), QStringLiteral(" "));
    EXPECT_EQ(stored("Levels_Level properties"), QStringLiteral(" "));
    EXPECT_EQ(stored("Level properties_Source"), QStringLiteral(" "));
}

} // namespace
