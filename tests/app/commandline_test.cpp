#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselrole.h"
#include "tests/automation/flowdriver.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Lorvantic;
namespace lt = Lorvantic::Test;
using lt::FlowDriver;
using lt::ScopedEnv;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

const QString Server = lt::dataPath(QStringLiteral("app/server.json"));

Result kavenor(const QStringList& arguments, const QString& workingFolder = QString()) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1764511500"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(KAVENOR_PROGRAM), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray golden(const char* name) {
    return lt::readBytes(lt::dataPath(QStringLiteral("app/") + QLatin1String(name)));
}

// The page the dialog road writes for the whole catalogue with every category and the index.
QByteArray dialogPage(Selector& selector, const SelectorState& state) {
    FlowDriver driver;
    driver.then([](frmInfo& dialog) {
        FlowDriver::checkAllItems(dialog);
        dialog.tabInfo->setCurrentIndex(1);
        dialog.cmdSelAll->click();
        dialog.chkIndex->setChecked(true);
        FlowDriver::pressReport(dialog);
    });
    driver.then(&FlowDriver::pressClose);
    selector.put_ServerName(Server);
    selector.ShowForm();
    return IsArrayEmpty(state.reportFiles) ? QByteArray() : lt::readBytes(state.reportFiles.at(0).toString());
}

} // namespace

TEST(CommandLine, ReportsEveryKindAsTheGoldenPages) {
    struct Case {
        const char* kind;
        const char* file;
    };
    for (const Case& c :
         {Case{"cubes", "cubes.html"}, Case{"dimensions", "dimensions.html"}, Case{"roles", "roles.html"}}) {
        const Result r = kavenor({QStringLiteral("report"), QLatin1String(c.kind), QStringLiteral("--server"),
                                  Server, QStringLiteral("--index")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, golden(c.file)) << c.kind;
        EXPECT_TRUE(r.err.isEmpty()) << "no progress without a terminal: " << r.err.toStdString();
    }
}

TEST(CommandLine, WritesTheSameBytesAsTheDialogs) {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", QStringLiteral("1764511500"));
    ScopedEnv settings("XDG_CONFIG_HOME", lt::freshFolder());
    ScopedEnv temp("TEMP", lt::freshFolder());
    MetaSelCube cubes;
    EXPECT_EQ(dialogPage(cubes, cubes.state()), golden("cubes.html"));
    MetaSelDim dimensions;
    EXPECT_EQ(dialogPage(dimensions, dimensions.state()), golden("dimensions.html"));
    MetaSelRole roles;
    EXPECT_EQ(dialogPage(roles, roles.state()), golden("roles.html"));
}

TEST(CommandLine, ChoosesItemsAndCategories) {
    const QString folder = lt::freshFolder();
    const Result r = kavenor({QStringLiteral("report"), QStringLiteral("roles"), QStringLiteral("--server"),
                              Server, QStringLiteral("--item"), QStringLiteral("Sales"),
                              QStringLiteral("Readers"), QStringLiteral("--info"), QStringLiteral("user"),
                              QStringLiteral("--output"), QStringLiteral("one.html")},
                             folder);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray page = lt::readBytes(folder + QStringLiteral("/one.html"));
    EXPECT_TRUE(page.contains("<B>Readers</B>"));
    EXPECT_TRUE(page.contains("Users / User groups"));
    EXPECT_FALSE(page.contains("Used in Cube"));
    EXPECT_FALSE(page.contains("<B>Writers</B>"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("one.html")});
}

TEST(CommandLine, ListsTheCatalogueAndTheServers) {
    const Result cubes =
        kavenor({QStringLiteral("list"), QStringLiteral("cubes"), QStringLiteral("--server"), Server});
    EXPECT_EQ(cubes.exitCode, 0);
    EXPECT_EQ(
        cubes.out,
        QByteArray("Sales\tBudget\t1.00 MB\tProcessed\nSales\tOrders & Returns\t0 MB\tNot Processed\n"));
    const Result roles =
        kavenor({QStringLiteral("list"), QStringLiteral("roles"), QStringLiteral("--server"), Server});
    EXPECT_EQ(roles.out, QByteArray("Sales\tReaders\tread only\nSales\treaders\t\nSales\tWriters\t\n"));
    const Result servers = kavenor({QStringLiteral("servers")});
    EXPECT_EQ(servers.exitCode, 0);
    EXPECT_TRUE(servers.out.contains("sample\t")) << servers.out.toStdString();
}

TEST(CommandLine, ReportsErrorsWithTheirExitCodes) {
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const QString missing = lt::freshFolder() + QStringLiteral("/no/such/folder/out.html");
    const Case cases[] = {
        {{QStringLiteral("report"), QStringLiteral("widgets"), QStringLiteral("--server"), Server},
         2,
         "unknown KIND"},
        {{QStringLiteral("report"), QStringLiteral("cubes")}, 2, "--server"},
        {{QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"), Server,
          QStringLiteral("--info"), QStringLiteral("Colours")},
         2,
         "unknown CATEGORY"},
        {{QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"), Server,
          QStringLiteral("--item"), QStringLiteral("Sales")},
         2,
         "--item needs two arguments"},
        {{QStringLiteral("frobnicate")}, 2, "unknown command"},
        {{QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"),
          QStringLiteral("no-such-server-x")},
         1,
         "no-such-server-x"},
        {{QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"),
          lt::dataPath(QStringLiteral("app/broken.json"))},
         1,
         "broken.json:3:"},
        {{QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"), Server,
          QStringLiteral("--item"), QStringLiteral("Sales"), QStringLiteral("Nothing")},
         1,
         "not in the catalogue"},
        {{QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"), Server,
          QStringLiteral("--output"), missing},
         1,
         "out.html"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), Server}, 2, "needs --old NAME and --new NAME"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), Server, QStringLiteral("--new"), Server,
          QStringLiteral("--kind"), QStringLiteral("widgets")},
         2,
         "unknown KIND"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), Server, QStringLiteral("--new"), Server,
          QStringLiteral("--index")},
         2,
         "unknown option '--index' for 'diff'"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), QStringLiteral("no-such-server-x"),
          QStringLiteral("--new"), Server},
         3,
         "no-such-server-x"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), Server, QStringLiteral("--new"),
          lt::dataPath(QStringLiteral("app/broken.json"))},
         3,
         "broken.json:3:"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), Server, QStringLiteral("--new"),
          lt::dataPath(QStringLiteral("diff/unreadable-cube.json"))},
         3,
         "cube 'Budget' of database 'Sales' could not be read"},
        {{QStringLiteral("diff"), QStringLiteral("--old"), Server, QStringLiteral("--new"), Server,
          QStringLiteral("--output"), missing},
         3,
         "out.html"},
    };
    for (const Case& c : cases) {
        const Result r = kavenor(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CommandLine, DiffExitsAsDiffDoesAndWritesTheTextOrThePage) {
    const QString sample = QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/sample.json");
    const QString edited = lt::dataPath(QStringLiteral("diff/sample-edited.json"));
    const QString folder = lt::freshFolder();
    const Result same = kavenor({QStringLiteral("diff"), QStringLiteral("--old"), sample,
                                 QStringLiteral("--new"), sample, QStringLiteral("--text")});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, QByteArray("no differences\n"));
    const Result text =
        kavenor({QStringLiteral("diff"), QStringLiteral("--old"), sample, QStringLiteral("--new"), edited,
                 QStringLiteral("--text"), QStringLiteral("--output"), QStringLiteral("d.html")},
                folder);
    EXPECT_EQ(text.exitCode, 1) << text.err.toStdString();
    EXPECT_EQ(text.out, lt::readBytes(lt::dataPath(QStringLiteral("diff/sample-edited.txt"))));
    const QByteArray page = lt::readBytes(folder + QStringLiteral("/d.html"));
    EXPECT_TRUE(page.contains("<b>Old OLAP Server Name:</b>OLAPDEMO01</td>")) << page.left(600).toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("d.html")});
    // Not on a terminal, without --output or --text: the page on standard output.
    const Result piped =
        kavenor({QStringLiteral("diff"), QStringLiteral("--old"), sample, QStringLiteral("--new"), edited});
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_EQ(piped.out, page);
}

TEST(CommandLine, AFailedRunLeavesNoOutputFileBehind) {
    const QString folder = lt::freshFolder();
    lt::writeBytes(folder + QStringLiteral("/keep.html"), "old report");
    const Result r =
        kavenor({QStringLiteral("report"), QStringLiteral("cubes"), QStringLiteral("--server"), Server,
                 QStringLiteral("--item"), QStringLiteral("Sales"), QStringLiteral("Nothing"),
                 QStringLiteral("--output"), QStringLiteral("keep.html")},
                folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lt::readBytes(folder + QStringLiteral("/keep.html")), QByteArray("old report"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.html")});
}

TEST(CommandLine, AServerWithoutItemsOfTheKindSaysSoAndWritesNothing) {
    const QString folder = lt::freshFolder();
    const QString empty = lt::dataPath(QStringLiteral("app/empty.json"));
    for (const char* kind : {"cubes", "dimensions", "roles"}) {
        const Result r = kavenor({QStringLiteral("report"), QLatin1String(kind), QStringLiteral("--server"),
                                  empty, QStringLiteral("--output"), QStringLiteral("page.html")},
                                 folder);
        EXPECT_EQ(r.exitCode, 1) << kind;
        EXPECT_EQ(r.err, QStringLiteral("kavenor: server '%1' has no %2\n").arg(empty, QLatin1String(kind)));
        EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) << kind;
    }
}

TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
    const Result help = kavenor({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("kavenor report KIND --server NAME"));
    const Result version = kavenor({QStringLiteral("--version")});
    EXPECT_EQ(version.out, QByteArray("kavenor " LORVANTIC_VERSION "\n"));
}

TEST(CommandLine, ShowsProgressOnlyOnATerminal) {
    // script(1) gives the program a terminal on standard error.
    const QString folder = lt::freshFolder();
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("script"),
                  {QStringLiteral("-qec"),
                   QStringLiteral("'%1' report cubes --server '%2' --output page.html")
                       .arg(QStringLiteral(KAVENOR_PROGRAM), Server),
                   QStringLiteral("/dev/null")});
    if (!process.waitForStarted(10000))
        GTEST_SKIP() << "script(1) is not available";
    process.waitForFinished(60000);
    const QByteArray terminal = process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0) << terminal.toStdString();
    EXPECT_TRUE(terminal.contains("Opening database: Sales - This may take a while"));
    EXPECT_TRUE(terminal.contains("Generating HTML for Cube: Budget"));
    EXPECT_EQ(lt::readBytes(folder + QStringLiteral("/page.html")).left(14), QByteArray("<html><body>\r\n"));
}
