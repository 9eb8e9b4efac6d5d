// The selector flows on the description of TESTSRV (tests/data/app/server.json): database Sales
// with the cubes Budget and "Orders & Returns", the dimension Time and the role Readers.

#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselmain.h"
#include "automation/metaselrole.h"
#include "core/selectorstate.h"
#include "dialogs/frmmain.h"
#include "model/olap.h"
#include "settings/settingsstore.h"
#include "tests/automation/flowdriver.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;
namespace lt = Lorvantic::Test;
using lt::FlowDriver;
using lt::ScopedEnv;

namespace {

const QString ServerFile = lt::dataPath(u"app/server.json"_s);

std::shared_ptr<Olap::Server> testServer() {
    return lt::connectedServer(ServerFile);
}

QString storedCheck(const QString& section, const QString& key) {
    return GetSetting(u"Kavenor"_s, section, key, u"(none)"_s);
}

struct FlowEnvironment {
    ScopedEnv settings{"XDG_CONFIG_HOME", lt::freshFolder()};
    QString temp = lt::freshFolder();
    ScopedEnv tempEnv{"TEMP", temp};
    FlowEnvironment() { lt::presenter().clear(); }
    qsizetype pages() const { return QDir(temp).entryList({u"VOK*.html"_s}, QDir::Files).size(); }
};

} // namespace

TEST(CubeFlow, ReportTwiceThenCloseWritesTwoPagesAndSavesAfterEveryShowing) {
    FlowEnvironment env;
    FlowDriver driver;
    QStringList labels;
    driver.then([&](frmInfo& dialog) {
        labels << FlowDriver::serverLabel(dialog) << dialog.windowTitle();
        FlowDriver::setCheckState(FlowDriver::row(dialog, 0), Qt::Checked);
        FlowDriver::index(dialog)->setChecked(true);
        FlowDriver::pressReport(dialog);
    });
    driver.then([&](frmInfo& dialog) {
        // Saved after the first showing, before this one.
        EXPECT_EQ(storedCheck(u"Cubes"_s, u"Sales_Budget"_s), u"X"_s);
        EXPECT_EQ(dialog.LastAction(), laCancel);
        FlowDriver::setCheckState(FlowDriver::row(dialog, 1), Qt::Checked);
        FlowDriver::index(dialog)->setChecked(false);
        FlowDriver::pressReport(dialog);
    });
    driver.then([&](frmInfo& dialog) {
        EXPECT_EQ(storedCheck(u"Cubes"_s, u"Sales_Orders & Returns"_s), u"X"_s);
        FlowDriver::index(dialog)->setChecked(true);
        FlowDriver::pressClose(dialog);
    });
    MetaSelCube selector;
    selector.put_ServerName(u"ignored: the object is handed over"_s);
    selector.putref_DSOServer(testServer());
    selector.put_InitMode(imApplication);
    selector.ShowForm();

    EXPECT_EQ(driver.showings, 3);
    EXPECT_TRUE(driver.sawProgressWindow);
    EXPECT_EQ(storedCheck(u"Cubes"_s, u"ReportPageWithIndex"_s), u"X"_s);
    EXPECT_EQ(labels, QStringList({u"OLAP Server:   TESTSRV"_s, u"Cube Information"_s}));
    ASSERT_EQ(env.pages(), 2);
    ASSERT_EQ(selector.state().reportFiles.size(), 2);
    const QByteArray first = lt::readBytes(selector.state().reportFiles.at(0));
    const QByteArray second = lt::readBytes(selector.state().reportFiles.at(1));
    EXPECT_TRUE(first.contains("<A HREF='#Sales_Budget'>Budget</A>")) << "index on for the first report";
    EXPECT_FALSE(first.contains("Orders"));
    EXPECT_FALSE(second.contains("<A HREF=")) << "index off for the second";
    EXPECT_TRUE(second.contains("Orders"));
    EXPECT_FALSE(selector.state().progress) << "no progress window left open";
}

// The cube flow says why; the others end silently. Either way no dialog and no progress window.
TEST(SelectorFlows, AnUnreachableServerShowsNoDialog) {
    const std::pair<std::function<std::unique_ptr<SelectorBase>()>, bool> kinds[] = {
        {[] { return std::make_unique<MetaSelCube>(); }, true},
        {[] { return std::make_unique<MetaSelDim>(); }, false},
        {[] { return std::make_unique<MetaSelRole>(); }, false},
    };
    for (const auto& [make, says] : kinds) {
        FlowEnvironment env;
        FlowDriver driver;
        const auto selector = make();
        selector->put_ServerName(u"no-such-server-anywhere"_s);
        selector->put_InitMode(imApplication);
        selector->ShowForm();
        EXPECT_EQ(driver.showings, 0);
        EXPECT_EQ(lt::presenter().texts().filter(u"no-such-server-anywhere"_s).size(), says ? 1 : 0);
        EXPECT_EQ(lt::presenter().shown.size(), says ? 1u : 0u);
        EXPECT_FALSE(selector->state().progress) << "the progress window closes with the flow";
    }
}

// Closed at once, the flow stores the checks and writes no page; the next one starts from them.
TEST(CubeFlow, ASecondShowFormReusesTheServerAndTheRememberedChecks) {
    FlowEnvironment env;
    MetaSelCube selector;
    const auto server = testServer();
    selector.putref_DSOServer(server);
    const auto measures = [](frmInfo& dialog) {
        return FlowDriver::node(dialog, u"Measures"_s);
    };
    {
        FlowDriver driver;
        driver.then([&](frmInfo& dialog) {
            FlowDriver::setCheckState(measures(dialog), Qt::Unchecked);
            FlowDriver::pressClose(dialog);
        });
        selector.ShowForm();
        EXPECT_EQ(driver.showings, 1);
    }
    EXPECT_TRUE(selector.state().reportFiles.isEmpty());
    EXPECT_EQ(storedCheck(u"Cubes"_s, u"Root_Measures"_s), u" "_s);
    EXPECT_EQ(storedCheck(u"Cubes"_s, u"Root_Partitions"_s), u"X"_s);
    EXPECT_EQ(storedCheck(u"Cubes"_s, u"Sales_Budget"_s), u" "_s);
    EXPECT_EQ(storedCheck(u"Cubes"_s, u"ReportPageWithIndex"_s), u" "_s);
    EXPECT_EQ(env.pages(), 0);
    EXPECT_TRUE(lt::presenter().shown.empty());
    Qt::CheckState measuresState = Qt::Checked;
    qsizetype rows = 0;
    FlowDriver driver;
    driver.then([&](frmInfo& dialog) {
        measuresState = FlowDriver::checkState(measures(dialog));
        rows = FlowDriver::list(dialog)->model()->rowCount();
        FlowDriver::pressClose(dialog);
    });
    selector.ShowForm();
    EXPECT_EQ(selector.state().DSOServer, server);
    EXPECT_EQ(measuresState, Qt::Unchecked);
    EXPECT_EQ(rows, 2) << "the catalogue is built anew, not appended to";
}

// Their pages are the golden ones (the command line tests); here their captions and settings,
// and that only the application mode shows a progress window.
TEST(SelectorFlows, DimensionsAndRolesReportWithTheirOwnCaptions) {
    const std::tuple<std::function<std::unique_ptr<SelectorBase>()>, qint32, QStringList> kinds[] = {
        {[] { return std::make_unique<MetaSelDim>(); },
         imOLAPServer,
         {u"Dimension Information"_s, u"&Dimensions"_s, u"20120"_s, u"Dimensions"_s,
          u"Levels_Level properties"_s}},
        {[] { return std::make_unique<MetaSelRole>(); },
         5,
         {u"Role Information"_s, u"R&oles"_s, u"20130"_s, u"Roles"_s, u"Sales_Readers"_s}},
    };
    for (const auto& [make, mode, expected] : kinds) {
        FlowEnvironment env;
        FlowDriver driver;
        QStringList seen;
        driver.then([&](frmInfo& dialog) {
            seen << dialog.windowTitle() << FlowDriver::tabs(dialog)->tabText(0)
                 << QString::number(dialog.helpContextID());
            FlowDriver::reportAllItems(dialog);
        });
        driver.then(&FlowDriver::pressClose);
        const auto selector = make();
        selector->putref_DSOServer(testServer());
        selector->put_InitMode(mode);
        selector->ShowForm();
        EXPECT_EQ(seen, expected.mid(0, 3));
        EXPECT_EQ(env.pages(), 1);
        EXPECT_EQ(storedCheck(expected[3], expected[4]), u"X"_s);
        EXPECT_EQ(driver.showings, 2);
        EXPECT_FALSE(driver.sawProgressWindow) << mode;
    }
}

TEST(ConnectionDialog, ThePagesOfAFlowAreGoneWhenTheDialogIsBack) {
    FlowEnvironment env;
    FlowDriver driver;
    qsizetype filesDuringFlow = 0;
    driver.then(&FlowDriver::reportAllItems);
    driver.then([&](frmInfo& dialog) {
        filesDuringFlow = QDir(env.temp).entryList(QDir::Files).size();
        FlowDriver::pressClose(dialog);
    });
    frmMain dialog(&CreateSelector);
    dialog.txtServer->setText(ServerFile);
    qsizetype filesAfterFlow = -1;
    bool visibleAfterFlow = false;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.cmdCubes->click();
        filesAfterFlow = QDir(env.temp).entryList(QDir::Files).size();
        visibleAfterFlow = dialog.isVisible();
        dialog.cmdClose->click();
    });
    dialog.exec();
    EXPECT_EQ(driver.showings, 2);
    EXPECT_EQ(filesDuringFlow, 2) << "one page and its companion";
    EXPECT_EQ(filesAfterFlow, 0);
    EXPECT_TRUE(visibleAfterFlow);
    EXPECT_TRUE(lt::presenter().shown.empty());
}
