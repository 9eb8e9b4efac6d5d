#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselmain.h"
#include "automation/metaselrole.h"
#include "dialogs/frmmain.h"
#include "external/olap.h"
#include "settings/settingsstore.h"
#include "tests/automation/flowdriver.h"
#include "tests/support/testsupport.h"

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

// TESTSRV: database Sales with the cubes Budget and "Orders & Returns", the dimension Time and
// the role Readers (corp\ann, corp\bob), among others.
std::shared_ptr<Olap::Server> testServer() {
    auto server = Olap::CreateServer();
    server->Connect(lt::dataPath(QStringLiteral("app/server.json")));
    return server;
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
        selector.putref_DSOServer(testServer());
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
        EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("Sales_Orders & Returns")),
                  QStringLiteral("X"));
        dialog.chkIndex->setChecked(true);
        FlowDriver::pressClose(dialog);
    });
    MetaSelCube selector;
    selector.put_ServerName(QStringLiteral("ignored: the object is handed over"));
    selector.putref_DSOServer(testServer());
    selector.put_InitMode(imApplication);
    selector.ShowForm();

    EXPECT_EQ(driver.showings, 3);
    EXPECT_TRUE(driver.sawProgressWindow);
    EXPECT_EQ(storedCheck(QStringLiteral("Cubes"), QStringLiteral("ReportPageWithIndex")),
              QStringLiteral("X"));
    EXPECT_EQ(labels,
              (QStringList{QStringLiteral("OLAP Server:   TESTSRV"), QStringLiteral("Cube Information")}));
    ASSERT_EQ(reportPages(env.temp).size(), 2);
    ASSERT_EQ(selector.state().reportFiles.ubound(), 1);
    const QByteArray first = lt::readBytes(selector.state().reportFiles.at(0).toString());
    const QByteArray second = lt::readBytes(selector.state().reportFiles.at(1).toString());
    EXPECT_TRUE(first.contains("<b>OLAP Server Name:</b>TESTSRV</td>"));
    EXPECT_TRUE(first.contains("<A HREF='#Sales_Budget'>Budget</A>")) << "index on for the first report";
    EXPECT_FALSE(first.contains("Orders"));
    EXPECT_FALSE(second.contains("<A HREF=")) << "index off for the second";
    EXPECT_TRUE(second.contains("Orders"));
    EXPECT_FALSE(selector.state().progress) << "no progress window left open";
}

// The cube flow says why; the others end silently. Either way no dialog and no progress window.
TEST(SelectorFlows, AnUnreachableServerShowsNoDialog) {
    const struct {
        const char* kind;
        std::function<std::unique_ptr<SelectorBase>()> make;
        bool says;
    } kinds[] = {
        {"cube", [] { return std::make_unique<MetaSelCube>(); }, true},
        {"dimension", [] { return std::make_unique<MetaSelDim>(); }, false},
        {"role", [] { return std::make_unique<MetaSelRole>(); }, false},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.kind);
        FlowEnvironment env;
        FlowDriver driver;
        const auto selector = kind.make();
        selector->put_ServerName(QStringLiteral("no-such-server-anywhere"));
        selector->put_InitMode(imApplication);
        selector->ShowForm();
        EXPECT_EQ(driver.showings, 0);
        EXPECT_EQ(lt::presenter().texts().filter(QStringLiteral("no-such-server-anywhere")).size(),
                  kind.says ? 1 : 0);
        EXPECT_EQ(lt::presenter().shown.size(), kind.says ? 1u : 0u);
        EXPECT_FALSE(selector->state().progress) << "the progress window closes with the flow";
    }
}

TEST(CubeFlow, ModesOtherThanApplicationShowNoProgressWindow) {
    for (const qint32 mode : {qint32(imOLAPServer), qint32(5)}) {
        FlowEnvironment env;
        FlowDriver driver;
        driver.then([](frmInfo& dialog) { FlowDriver::reportAllItems(dialog); });
        driver.then(&FlowDriver::pressClose);
        MetaSelCube selector;
        selector.putref_DSOServer(testServer());
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
    const auto server = testServer();
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

TEST(SelectorFlows, DimensionsAndRolesReportWithTheirOwnCaptions) {
    const struct {
        std::function<std::unique_ptr<SelectorBase>()> make;
        QStringList captions; // window title, first tab, help context
        std::vector<QByteArray> onPage;
        QStringList savedCheck; // section, key
    } kinds[] = {
        {[] { return std::make_unique<MetaSelDim>(); },
         {QStringLiteral("Dimension Information"), QStringLiteral("&Dimensions"), QStringLiteral("20120")},
         {"Information Per Dimension", "<B>Time</B>", "<B>Orders & Returns^Channel</B>"},
         {QStringLiteral("Dimensions"), QStringLiteral("Levels_Level properties")}},
        {[] { return std::make_unique<MetaSelRole>(); },
         {QStringLiteral("Role Information"), QStringLiteral("R&oles"), QStringLiteral("20130")},
         {"Information Per Role", "corp\\ann"},
         {QStringLiteral("Roles"), QStringLiteral("Sales_Readers")}},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.captions.front().toStdString());
        FlowEnvironment env;
        FlowDriver driver;
        QStringList seen;
        driver.then([&](frmInfo& dialog) {
            seen << dialog.windowTitle() << dialog.tabInfo->tabText(0)
                 << QString::number(dialog.helpContextID());
            FlowDriver::reportAllItems(dialog);
        });
        driver.then(&FlowDriver::pressClose);
        const auto selector = kind.make();
        selector->putref_DSOServer(testServer());
        selector->ShowForm();
        EXPECT_EQ(seen, kind.captions);
        ASSERT_FALSE(IsArrayEmpty(selector->state().reportFiles));
        const QByteArray page = lt::readBytes(selector->state().reportFiles.at(0).toString());
        for (const QByteArray& text : kind.onPage)
            EXPECT_TRUE(page.contains(text)) << text.constData();
        EXPECT_EQ(storedCheck(kind.savedCheck[0], kind.savedCheck[1]), QStringLiteral("X"));
    }
}

TEST(ConnectionDialog, ThePagesOfAFlowAreGoneWhenTheDialogIsBack) {
    FlowEnvironment env;
    FlowDriver driver;
    qsizetype filesDuringFlow = 0;
    driver.then([](frmInfo& dialog) { FlowDriver::reportAllItems(dialog); });
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
    EXPECT_TRUE(lt::presenter().shown.empty());
}
