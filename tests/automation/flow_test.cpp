#include "flowdriver.h"
#include "frmmain.h"
#include "metaselcube.h"
#include "metaseldim.h"
#include "metaselmain.h"
#include "metaselrole.h"
#include "servermodel.h"
#include "settingsstore.h"
#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Lorvantic;
namespace lt = Lorvantic::Test;
using lt::FlowDriver;
using lt::ScopedEnv;

namespace {

std::shared_ptr<Olap::Server> smallServer(const QString& name = QStringLiteral("MODEL-SRV")) {
    auto data = std::make_shared<Olap::ServerData>();
    data->name = name;
    Olap::DatabaseData db;
    db.name = QStringLiteral("Sales");
    Olap::DimensionData time;
    time.name = QStringLiteral("Time");
    time.shared = true;
    time.state = 1;
    time.lastProcessed = QDateTime(QDate(2026, 11, 30), QTime(14, 5, 0));
    time.levels.push_back(
        {QStringLiteral("Year"), 3, 20, QStringLiteral("year"), QString(), false, true, {}});
    db.dimensions.push_back(time);
    Olap::DimensionData store = time;
    store.name = QStringLiteral("Store");
    db.dimensions.push_back(store);
    db.roles.push_back(
        {QStringLiteral("Readers"), QStringLiteral("read only"), QStringLiteral("corp\\ann;corp\\bob")});
    for (const char* cubeName : {"Budget", "Orders"}) {
        Olap::CubeData cube;
        cube.name = QString::fromLatin1(cubeName);
        cube.state = 1;
        cube.lastProcessed = time.lastProcessed;
        cube.estimatedSize = 1048576.0;
        cube.dimensions = {QStringLiteral("Time")};
        cube.roles = {QStringLiteral("Readers")};
        db.cubes.push_back(cube);
    }
    data->databases.push_back(db);
    return Olap::ServerFromModel(data);
}

QString storedCheck(const QString& section, const QString& key) {
    return GetSetting(QStringLiteral("Kavenor"), section, key, QStringLiteral("(none)"));
}

QStringList reportPages(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("VOK*.html")}, QDir::Files);
}

struct FlowEnvironment {
    ScopedEnv settings{"XDG_CONFIG_HOME", lt::freshFolder()};
    QString temp = lt::freshFolder();
    ScopedEnv tempEnv{"TEMP", temp};
    ScopedEnv browser{"BROWSER", QStringLiteral("true")};
    FlowEnvironment() { lt::presenter().clear(); }
};

} // namespace

TEST(CubeFlow, CloseAtOnceStoresTheChecksAndWritesNoPage) {
    FlowEnvironment env;
    FlowDriver driver;
    driver.then(&FlowDriver::pressClose);
    {
        MetaSelCube selector;
        selector.putref_DSOServer(smallServer());
        selector.ShowForm();
        EXPECT_TRUE(IsArrayEmpty(selector.state().reportFiles));
    }
    EXPECT_EQ(driver.showings, 1);
    EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("Root_Measures")), QStringLiteral("X"));
    EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("Sales_Budget")), QStringLiteral(" "));
    EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("ReportPageWithIndex")),
              QStringLiteral(" "));
    EXPECT_TRUE(reportPages(env.temp).isEmpty());
    EXPECT_TRUE(lt::presenter().shown.empty());
}

TEST(CubeFlow, ReportTwiceThenCloseWritesTwoPagesAndSavesAfterEveryShowing) {
    FlowEnvironment env;
    FlowDriver driver;
    QStringList labels;
    driver.then([&](frmInfo& dialog) {
        labels << dialog.lblServer->text() << dialog.windowTitle();
        dialog.tabInfo->setCurrentIndex(0);
        dialog.lstCubes->topLevelItem(0)->setCheckState(0, Qt::Checked);
        dialog.chkIndex->setChecked(true);
        FlowDriver::pressReport(dialog);
    });
    driver.then([&](frmInfo& dialog) {
        // Saved after the first showing, before this one.
        EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("Sales_Budget")), QStringLiteral("X"));
        EXPECT_EQ(dialog.LastAction(), laCancel);
        dialog.lstCubes->topLevelItem(1)->setCheckState(0, Qt::Checked);
        dialog.chkIndex->setChecked(false);
        FlowDriver::pressReport(dialog);
    });
    driver.then([&](frmInfo& dialog) {
        EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("Sales_Orders")), QStringLiteral("X"));
        dialog.chkIndex->setChecked(true);
        FlowDriver::pressClose(dialog);
    });
    MetaSelCube selector;
    selector.put_ServerName(QStringLiteral("ignored: the object is handed over"));
    selector.putref_DSOServer(smallServer());
    selector.put_InitMode(imApplication);
    selector.ShowForm();

    EXPECT_EQ(driver.showings, 3);
    EXPECT_TRUE(driver.sawProgressWindow);
    EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("ReportPageWithIndex")),
              QStringLiteral("X"));
    EXPECT_EQ(labels,
              (QStringList{QStringLiteral("OLAP Server:   MODEL-SRV"), QStringLiteral("Cube Information")}));
    ASSERT_EQ(reportPages(env.temp).size(), 2);
    ASSERT_EQ(selector.state().reportFiles.ubound(), 1);
    const QByteArray first = lt::readBytes(selector.state().reportFiles.at(0).toString());
    const QByteArray second = lt::readBytes(selector.state().reportFiles.at(1).toString());
    EXPECT_TRUE(first.contains("<b>OLAP Server Name:</b>MODEL-SRV</td>"));
    EXPECT_TRUE(first.contains("<A HREF='#Sales_Budget'>Budget</A>")) << "index on for the first report";
    EXPECT_FALSE(first.contains("Orders"));
    EXPECT_FALSE(second.contains("<A HREF=")) << "index off for the second";
    EXPECT_TRUE(second.contains("Orders"));
    EXPECT_FALSE(selector.state().progress) << "no progress window left open";
}

TEST(CubeFlow, AnUnreachableServerShowsOneMessageAndNoDialog) {
    FlowEnvironment env;
    FlowDriver driver;
    MetaSelCube selector;
    selector.put_ServerName(QStringLiteral("no-such-server-anywhere"));
    selector.put_InitMode(imApplication);
    selector.ShowForm();
    EXPECT_EQ(driver.showings, 0);
    ASSERT_EQ(lt::presenter().shown.size(), 1u);
    EXPECT_TRUE(lt::presenter().shown[0].text.contains(QStringLiteral("no-such-server-anywhere")));
    EXPECT_FALSE(selector.state().progress);
}

TEST(DimensionAndRoleFlows, AnUnreachableServerEndsSilently) {
    FlowEnvironment env;
    FlowDriver driver;
    MetaSelDim dimensions;
    dimensions.put_ServerName(QStringLiteral("no-such-server-anywhere"));
    dimensions.put_InitMode(imApplication);
    dimensions.ShowForm();
    MetaSelRole roles;
    roles.put_ServerName(QStringLiteral("no-such-server-anywhere"));
    roles.ShowForm();
    EXPECT_EQ(driver.showings, 0);
    EXPECT_TRUE(lt::presenter().shown.empty());
    EXPECT_FALSE(dimensions.state().progress) << "the progress window closes with the flow";
}

TEST(CubeFlow, ModesOtherThanApplicationShowNoProgressWindow) {
    for (const qint32 mode : {qint32(imOLAPServer), qint32(5)}) {
        FlowEnvironment env;
        FlowDriver driver;
        driver.then([](frmInfo& dialog) {
            FlowDriver::checkAllItems(dialog);
            FlowDriver::pressReport(dialog);
        });
        driver.then(&FlowDriver::pressClose);
        MetaSelCube selector;
        selector.putref_DSOServer(smallServer());
        selector.put_InitMode(mode);
        EXPECT_EQ(selector.get_InitMode(), mode);
        selector.ShowForm();
        EXPECT_EQ(driver.showings, 2);
        EXPECT_FALSE(driver.sawProgressWindow) << mode;
        EXPECT_EQ(reportPages(env.temp).size(), 1);
    }
}

TEST(CubeFlow, ASecondShowFormReusesTheServerAndTheRememberedChecks) {
    FlowEnvironment env;
    MetaSelCube selector;
    auto server = smallServer();
    selector.putref_DSOServer(server);
    {
        FlowDriver driver;
        driver.then([](frmInfo& dialog) {
            const auto measures =
                dialog.tvInformation->findItems(QStringLiteral("Measures"), Qt::MatchExactly);
            ASSERT_EQ(measures.size(), 1);
            measures[0]->setCheckState(0, Qt::Unchecked);
            FlowDriver::pressClose(dialog);
        });
        selector.ShowForm();
    }
    Qt::CheckState measuresState = Qt::Checked;
    qsizetype rows = 0;
    {
        FlowDriver driver;
        driver.then([&](frmInfo& dialog) {
            measuresState =
                dialog.tvInformation->findItems(QStringLiteral("Measures"), Qt::MatchExactly)[0]->checkState(
                    0);
            rows = dialog.lstCubes->topLevelItemCount();
            FlowDriver::pressClose(dialog);
        });
        selector.ShowForm();
    }
    EXPECT_EQ(selector.state().DSOServer, server);
    EXPECT_EQ(measuresState, Qt::Unchecked);
    EXPECT_EQ(rows, 2) << "the catalogue is built anew, not appended to";
}

TEST(DimensionFlow, ReportsTwoDimensionsWithItsOwnCaptions) {
    FlowEnvironment env;
    FlowDriver driver;
    QStringList seen;
    driver.then([&](frmInfo& dialog) {
        seen << dialog.windowTitle() << dialog.tabInfo->tabText(0) << QString::number(dialog.helpContextID());
        FlowDriver::checkAllItems(dialog);
        FlowDriver::pressReport(dialog);
    });
    driver.then(&FlowDriver::pressClose);
    MetaSelDim selector;
    selector.putref_DSOServer(smallServer());
    selector.put_InitMode(imApplication);
    selector.ShowForm();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Dimension Information"), QStringLiteral("&Dimensions"),
                                 QStringLiteral("20120")}));
    ASSERT_FALSE(IsArrayEmpty(selector.state().reportFiles));
    const QByteArray page = lt::readBytes(selector.state().reportFiles.at(0).toString());
    EXPECT_TRUE(page.contains("Information Per Dimension"));
    EXPECT_TRUE(page.contains("<B>Time</B>"));
    EXPECT_TRUE(page.contains("<B>Store</B>"));
    EXPECT_EQ(storedCheck(QStringLiteral("Dimensions"), QStringLiteral("Levels_Level properties")),
              QStringLiteral("X"));
}

TEST(RoleFlow, ReportsARoleWithItsOwnCaptions) {
    FlowEnvironment env;
    FlowDriver driver;
    QStringList seen;
    driver.then([&](frmInfo& dialog) {
        seen << dialog.windowTitle() << dialog.tabInfo->tabText(0) << QString::number(dialog.helpContextID());
        FlowDriver::checkAllItems(dialog);
        FlowDriver::pressReport(dialog);
    });
    driver.then(&FlowDriver::pressClose);
    MetaSelRole selector;
    selector.putref_DSOServer(smallServer());
    selector.ShowForm();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Role Information"), QStringLiteral("R&oles"),
                                 QStringLiteral("20130")}));
    ASSERT_FALSE(IsArrayEmpty(selector.state().reportFiles));
    const QByteArray page = lt::readBytes(selector.state().reportFiles.at(0).toString());
    EXPECT_TRUE(page.contains("Information Per Role"));
    EXPECT_TRUE(page.contains("corp\\ann"));
}

TEST(SelectorEnd, ErasesThePagesOfEveryReportWhenTheSelectorGoes) {
    FlowEnvironment env;
    {
        FlowDriver driver;
        driver.then([](frmInfo& dialog) {
            FlowDriver::checkAllItems(dialog);
            FlowDriver::pressReport(dialog);
        });
        driver.then(&FlowDriver::pressClose);
        MetaSelCube selector;
        selector.putref_DSOServer(smallServer());
        selector.ShowForm();
        EXPECT_EQ(QDir(env.temp).entryList(QDir::Files).size(), 2);
    }
    EXPECT_TRUE(QDir(env.temp).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(lt::presenter().shown.empty());
}

TEST(ConnectionDialog, ThePagesOfAFlowAreGoneWhenTheDialogIsBack) {
    FlowEnvironment env;
    FlowDriver driver;
    qsizetype filesDuringFlow = 0;
    driver.then([](frmInfo& dialog) {
        FlowDriver::checkAllItems(dialog);
        FlowDriver::pressReport(dialog);
    });
    driver.then([&](frmInfo& dialog) {
        filesDuringFlow = QDir(env.temp).entryList(QDir::Files).size();
        FlowDriver::pressClose(dialog);
    });
    frmMain dialog(&CreateSelector);
    dialog.txtServer->setText(lt::dataPath(QStringLiteral("app/server.json")));
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
    EXPECT_EQ(dialog.txtServer->text(), lt::dataPath(QStringLiteral("app/server.json")));
}
