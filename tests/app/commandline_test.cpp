// The kavenor program run as a user runs it: pages and listings compared whole
// with the files under tests/data/app, refused command lines from a table
// there.

#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "automation/metaselrole.h"
#include "core/selectorstate.h"
#include "tests/automation/flowdriver.h"
#include "tests/support/testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;
namespace lt = Lorvantic::Test;
using lt::FlowDriver;
using lt::ScopedEnv;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

const QString Server = lt::dataPath(u"app/server.json"_s);
// The "browser" of every run writes the pages it was asked to open here.
const QString Opened = lt::freshFolder() + u"/opened.txt"_s;

// Copies of the schema files with a fixed modification time, the processing time
// their readers give.
QString fixedSchemas() {
    static const QString folder = [] {
        const QString made = lt::freshFolder();
        for (const QString& name :
             {u"schemas/HarborSales.asdatabase"_s, u"../../samples/servers/FoodMart.xml"_s}) {
            const QString copy = made + u'/' + QFileInfo(name).fileName();
            QFile::copy(lt::dataPath(name), copy);
            QFile file(copy);
            file.open(QIODevice::ReadWrite);
            file.setFileTime(QDateTime::fromSecsSinceEpoch(1764511500, Qt::UTC),
                             QFileDevice::FileModificationTime);
        }
        return made;
    }();
    return folder;
}

// The words of a command line; $SERVER, $DATA/, $SOURCE/, $FIXED/, $MISSING and
// $OUT (a new file in a new folder) stand for paths, '~' for a blank inside a word.
QStringList words(const QString& line) {
    static const QString missing = lt::freshFolder() + u"/no/such/folder/out.html"_s;
    QStringList arguments = line.split(u' ', Qt::SkipEmptyParts);
    for (QString& word : arguments) {
        word.replace(u'~', u' ');
        if (word.startsWith(u"$FIXED/"))
            word = fixedSchemas() + word.mid(6);
        else if (word == u"$SERVER")
            word = Server;
        else if (word == u"$MISSING")
            word = missing;
        else if (word == u"$OUT")
            word = lt::freshFolder() + u"/out"_s;
        else if (word.startsWith(u"$DATA/"))
            word = lt::dataPath(word.mid(6));
        else if (word.startsWith(u"$SOURCE/"))
            word = QStringLiteral(LORVANTIC_SOURCE_DIR "/") + word.mid(8);
    }
    return arguments;
}

Result kavenor(const QString& line, const QString& workingFolder = QString()) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"SOURCE_DATE_EPOCH"_s, u"1764511500"_s);
    environment.insert(u"LC_ALL"_s, u"C"_s);
    environment.insert(u"TZ"_s, u"UTC"_s);
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.insert(u"BROWSER"_s, u"sh -c \"echo $0 >> %1\""_s.arg(Opened));
    // Leading NAME=VALUE words set the environment of this run.
    QStringList arguments = words(line);
    while (!arguments.isEmpty() && arguments.front().contains(u'=') && !arguments.front().startsWith(u'-')) {
        const QString setting = arguments.takeFirst();
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(KAVENOR_PROGRAM), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray golden(const QString& name) {
    return lt::readBytes(lt::dataPath(name));
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// The page the dialog road writes for the whole catalogue with every category
// and the index.
QByteArray dialogPage(Selector& selector, const SelectorState& state) {
    FlowDriver driver;
    driver.then([](frmInfo& dialog) {
        FlowDriver::checkAllItems(dialog);
        FlowDriver::tabs(dialog)->setCurrentIndex(1);
        FlowDriver::click(dialog, "cmdSelAll");
        FlowDriver::index(dialog)->setChecked(true);
        FlowDriver::pressReport(dialog);
    });
    driver.then(&FlowDriver::pressClose);
    selector.put_ServerName(Server);
    selector.ShowForm();
    return state.reportFiles.isEmpty() ? QByteArray() : lt::readBytes(state.reportFiles.at(0));
}

} // namespace

// Both roads to a page, the program's and the dialogs', write the golden bytes.
TEST(CommandLine, ReportsEveryKindAsTheGoldenPagesAsTheDialogsDo) {
    for (const QString& kind : {u"cubes"_s, u"dimensions"_s, u"roles"_s}) {
        const Result r = kavenor(u"report %1 --server $SERVER --index"_s.arg(kind));
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, golden(u"app/"_s + kind + u".html"_s)) << kind.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << "no progress without a terminal: " << r.err.toStdString();
    }
    ScopedEnv epoch("SOURCE_DATE_EPOCH", u"1764511500"_s);
    ScopedEnv settings("XDG_CONFIG_HOME", lt::freshFolder());
    ScopedEnv temp("TEMP", lt::freshFolder());
    MetaSelCube cubes;
    EXPECT_EQ(dialogPage(cubes, cubes.state()), golden(u"app/cubes.html"_s));
    MetaSelDim dimensions;
    EXPECT_EQ(dialogPage(dimensions, dimensions.state()), golden(u"app/dimensions.html"_s));
    MetaSelRole roles;
    EXPECT_EQ(dialogPage(roles, roles.state()), golden(u"app/roles.html"_s));
}

TEST(CommandLine, ChoosesItemsAndCategoriesAndListsTheCatalogueAndTheServers) {
    const QString folder = lt::freshFolder();
    const Result r = kavenor(
        u"report roles --server $SERVER --item Sales Readers --info user --output one.html"_s, folder);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray page = lt::readBytes(folder + u"/one.html"_s);
    EXPECT_TRUE(page.contains("<B>Readers</B>"));
    EXPECT_TRUE(page.contains("Users / User groups"));
    EXPECT_FALSE(page.contains("Used in Cube"));
    EXPECT_FALSE(page.contains("<B>Writers</B>"));
    EXPECT_EQ(filesIn(folder), QStringList{u"one.html"_s});
    // Only --open starts the browser (detached: it may finish after the program).
    EXPECT_EQ(kavenor(u"report roles --server $SERVER --output two.html --open"_s, folder).exitCode, 0);
    for (int wait = 0; wait < 100 && !lt::readBytes(Opened).endsWith("\n"); ++wait)
        QThread::msleep(50);
    EXPECT_EQ(lt::readBytes(Opened), "two.html\n");

    const Result cubes = kavenor(u"list cubes --server $SERVER"_s);
    EXPECT_EQ(cubes.exitCode, 0);
    EXPECT_EQ(cubes.out, "Sales\tBudget\t1.00 MB\tProcessed\nSales\tOrders & "
                         "Returns\t0 MB\tNot Processed\n");
    EXPECT_EQ(kavenor(u"list roles --server $SERVER"_s).out,
              "Sales\tReaders\tread only\nSales\treaders\t\nSales\tWriters\t\n");
    const Result servers = kavenor(u"servers"_s);
    EXPECT_EQ(servers.exitCode, 0);
    EXPECT_TRUE(servers.out.contains("sample\t")) << servers.out.toStdString();
}

// Every format of every command, over description, schema and ASSL servers.
TEST(CommandLine, WritesEveryFormatAsTheExpectedFiles) {
    const QStringList lines =
        QString::fromUtf8(golden(u"formats/formats.txt"_s)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'|');
        if (line.startsWith(u'#') || fields.size() != 2)
            continue;
        SCOPED_TRACE(fields[1].toStdString());
        const Result r = kavenor(fields[1]);
        EXPECT_EQ(r.exitCode, fields[1].startsWith(u"diff") ? 1 : 0) << r.err.toStdString();
        EXPECT_EQ(r.out, golden(u"formats/"_s + fields[0]));
    }
}

TEST(CommandLine, ReportsErrorsWithTheirExitCodes) {
    const QStringList lines = QString::fromUtf8(golden(u"app/errors.txt"_s)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'|');
        if (line.startsWith(u'#') || fields.size() != 3)
            continue;
        SCOPED_TRACE(fields[2].toStdString());
        const Result r = kavenor(fields[2]);
        EXPECT_EQ(r.exitCode, fields[0].toInt());
        EXPECT_TRUE(r.err.contains(fields[1])) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CommandLine, DiffExitsAsDiffDoesAndWritesTheTextOrThePage) {
    const QString folder = lt::freshFolder();
    const QString sample = u"$SOURCE/samples/servers/sample.json"_s;
    const Result same = kavenor(u"diff --old %1 --new %1 --text"_s.arg(sample));
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, "no differences\n");
    const QString edited = u"diff --old %1 --new $DATA/diff/sample-edited.json"_s.arg(sample);
    const Result text = kavenor(edited + u" --text --output d.html"_s, folder);
    EXPECT_EQ(text.exitCode, 1) << text.err.toStdString();
    EXPECT_EQ(text.out, golden(u"diff/sample-edited.txt"_s));
    const QByteArray page = lt::readBytes(folder + u"/d.html"_s);
    EXPECT_TRUE(page.contains("<b>Old OLAP Server Name:</b>OLAPDEMO01</td>")) << page.left(600).toStdString();
    EXPECT_EQ(filesIn(folder), QStringList{u"d.html"_s});
    // Not on a terminal, without --output or --text: the page on standard output.
    const Result piped = kavenor(edited);
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_EQ(piped.out, page);
}

// A failed run keeps the file it would have replaced, and a server without
// items of the kind says so and writes nothing.
TEST(CommandLine, AFailedRunLeavesNoOutputFileBehind) {
    const QString folder = lt::freshFolder();
    lt::writeBytes(folder + u"/keep.html"_s, "old report");
    const Result r =
        kavenor(u"report cubes --server $SERVER --item Sales Nothing --output keep.html"_s, folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(lt::readBytes(folder + u"/keep.html"_s), "old report");
    EXPECT_EQ(filesIn(folder), QStringList{u"keep.html"_s});

    const QString empty = lt::freshFolder();
    for (const QString& kind : {u"cubes"_s, u"dimensions"_s, u"roles"_s}) {
        const Result none =
            kavenor(u"report %1 --server $DATA/app/empty.json --output page.html"_s.arg(kind), empty);
        EXPECT_EQ(none.exitCode, 1) << kind.toStdString();
        EXPECT_EQ(none.err,
                  u"kavenor: server '%1' has no %2\n"_s.arg(lt::dataPath(u"app/empty.json"_s), kind));
        EXPECT_TRUE(QDir(empty).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
}

TEST(CommandLine, HelpVersionAndProgressOnATerminal) {
    EXPECT_TRUE(kavenor(u"--help"_s).out.contains("kavenor report KIND --server NAME"));
    EXPECT_EQ(kavenor(u"--version"_s).out, "kavenor " LORVANTIC_VERSION "\n");
    // script(1) gives the program a terminal on standard error.
    const QString folder = lt::freshFolder();
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(u"script"_s, {u"-qec"_s,
                                u"'%1' report cubes --server '%2' --output page.html"_s.arg(
                                    QStringLiteral(KAVENOR_PROGRAM), Server),
                                u"/dev/null"_s});
    if (!process.waitForStarted(10000))
        GTEST_SKIP() << "script(1) is not available";
    process.waitForFinished(60000);
    const QByteArray terminal = process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0) << terminal.toStdString();
    EXPECT_TRUE(terminal.contains("Opening database: Sales - This may take a while"));
    EXPECT_TRUE(terminal.contains("Generating HTML for Cube: Budget"));
    EXPECT_EQ(lt::readBytes(folder + u"/page.html"_s).left(14), "<html><body>\r\n");
}
