// The selection window runs the dialog as the flow asks: prepared once from the settings, then
// shown until a report or the end, its marks saved after every showing.

#include "dialogs/frminfo.h"
#include "dialogs/selectionwindow.h"
#include "settings/settingsstore.h"
#include "tests/dialogs/dialogtestutil.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

// Runs the action on the next selection dialog that shows, once its modal loop runs.
void onNextShowing(const std::function<void(frmInfo&)>& action) {
    QTimer::singleShot(0, [action] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<frmInfo*>(window); dialog && dialog->isVisible())
                return action(*dialog);
        }
        ADD_FAILURE() << "no selection dialog showing";
    });
}

TEST(SelectionWindowFlow, AsksUntilTheUserLeavesWithTheTextsTheMarksAndTheIndex) {
    const ScopedEnv config("XDG_CONFIG_HOME", freshFolder());
    SaveSetting(u"Kavenor"_s, u"Dims"_s, u"FoodMart_Budget"_s, u"X"_s);
    for (const bool ownTab : {false, true}) {
        SCOPED_TRACE(ownTab);
        SelectionWindow window({u"Dimension Information"_s, 20120,
                                ownTab ? std::optional(u"&Dimensions"_s) : std::nullopt, u"Dims"_s,
                                u"srv"_s});
        window.Offer(selectionOf(catalogue({{u"FoodMart"_s, u"Sales"_s}, {u"FoodMart"_s, u"Budget"_s}})));
        QStringList seen;
        onNextShowing([&](frmInfo& dialog) {
            seen << dialog.windowTitle() << part<QLabel>(dialog, "lblServer")->text()
                 << part<QTabWidget>(dialog, "tabInfo")->tabText(0)
                 << QString::number(dialog.helpContextID());
            part<QCheckBox>(dialog, "chkIndex")->setChecked(true);
            part<QPushButton>(dialog, "cmdReport")->click();
        });
        Selection picked;
        bool index = false;
        ASSERT_TRUE(window.AskForReport(picked, index));
        EXPECT_EQ(seen, QStringList({u"Dimension Information"_s, u"OLAP Server:   srv"_s,
                                     ownTab ? u"&Dimensions"_s : u"C&ubes"_s, u"20120"_s}));
        EXPECT_TRUE(index);
        ASSERT_EQ(picked.rows.size(), 2u);
        EXPECT_FALSE(picked.rows[0].checked);
        EXPECT_TRUE(picked.rows[1].checked) << "the stored mark";
        EXPECT_TRUE(picked.categoryChecked(1));

        onNextShowing([](frmInfo& dialog) { part<QPushButton>(dialog, "cmdClose")->click(); });
        EXPECT_FALSE(window.AskForReport(picked, index));
        EXPECT_EQ(GetSetting(u"Kavenor"_s, u"Dims"_s, u"ReportPageWithIndex"_s, QString()), u"X"_s);
    }
}

} // namespace
