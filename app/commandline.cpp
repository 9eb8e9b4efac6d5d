#include "app/commandline.h"

#include "app/checkcommand.h"
#include "app/sitecommand.h"
#include "app/terminalprogress.h"
#include "automation/reportkinds.h"
#include "core/messages.h"
#include "core/selector.h"
#include "diff/diffdata.h"
#include "diff/diffpage.h"
#include "diff/difftext.h"
#include "diff/servercompare.h"
#include "external/readers/serverfiles.h"
#include "external/xmla/xmlaserver.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"
#include "selection/selectorflow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace Lorvantic::Cli {

namespace {

struct UsageFailure {
    QString text;
};

// A failure of the run; Run gives it the command's exit code for failures.
struct RunFailure {
    QString text;
};

void printError(const QString& text) {
    std::fprintf(stderr, "kavenor: %s\n", text.toUtf8().constData());
}

void printOut(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

struct Options {
    QString command;
    ReportKind kind = ReportKind::Cubes;
    QString server;
    std::vector<std::pair<QString, QString>> items;
    QStringList categories;
    bool index = false;
    QString output;
    bool open = false;
    // diff
    QString oldServer;
    QString newServer;
    std::vector<ReportKind> kinds; // in the table's order, each once
    bool processing = false;
    // --format as given; empty when not given
    QString format;
};

// The formats each command writes; the first is the default.
const QStringList& formatsOf(const QString& command) {
    static const QStringList report{QStringLiteral("html"), QStringLiteral("json"),
                                    QStringLiteral("markdown")};
    static const QStringList list{QStringLiteral("tsv"), QStringLiteral("json")};
    static const QStringList diff{QStringLiteral("text"), QStringLiteral("html"), QStringLiteral("json"),
                                  QStringLiteral("markdown")};
    return command == u"diff" ? diff : command == u"list" ? list : report;
}

// A --format value the command writes; anything else is a usage error that lists them.
QString checkedFormat(const QString& command, const QString& format) {
    if (!formatsOf(command).contains(format))
        throw UsageFailure{QStringLiteral("unknown FORMAT '%1' for '%2' (one of: %3)")
                               .arg(format, command, formatsOf(command).join(QStringLiteral(", ")))};
    return format;
}

// Only a page is something a browser shows.
void checkOpenable(const Options& options) {
    if (options.open && !options.format.isEmpty() && options.format != u"html")
        throw UsageFailure{
            QStringLiteral("--open shows a page: it needs --format html, not '%1'").arg(options.format)};
}

// The argument after the option at i (i moves to it); missing, a usage error.
QString optionValue(const QStringList& arguments, qsizetype& i, const char* what) {
    if (i + 1 >= arguments.size())
        throw UsageFailure{QStringLiteral("%1 needs %2").arg(arguments.at(i), QLatin1String(what))};
    return arguments.at(++i);
}

// A KIND argument; an unknown one is a usage error.
ReportKind kindNamed(const QString& name) {
    const ReportKindEntry* kind = ReportKindNamed(name);
    if (!kind)
        throw UsageFailure{QStringLiteral("unknown KIND '%1' (cubes, dimensions or roles)").arg(name)};
    return kind->kind;
}

Options parseDiff(const QStringList& arguments) {
    Options options;
    options.command = arguments.at(0);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments.at(i);
        auto value = [&](const char* what) {
            return optionValue(arguments, i, what);
        };
        if (option == u"--old")
            options.oldServer = value("a server NAME");
        else if (option == u"--new")
            options.newServer = value("a server NAME");
        else if (option == u"--kind")
            options.kinds.push_back(kindNamed(value("a KIND")));
        else if (option == u"--output")
            options.output = value("a FILE");
        else if (option == u"--open")
            options.open = true;
        else if (option == u"--text")
            options.format = QStringLiteral("text");
        else if (option == u"--format")
            options.format = checkedFormat(options.command, value("a FORMAT"));
        else if (option == u"--processing")
            options.processing = true;
        else
            throw UsageFailure{QStringLiteral("unknown option '%1' for 'diff'").arg(option)};
    }
    if (options.oldServer.isEmpty() || options.newServer.isEmpty())
        throw UsageFailure{QStringLiteral("'diff' needs --old NAME and --new NAME")};
    if (options.kinds.empty()) {
        for (const ReportKindEntry& kind : ReportKinds())
            options.kinds.push_back(kind.kind);
    }
    checkOpenable(options);
    std::sort(options.kinds.begin(), options.kinds.end());
    options.kinds.erase(std::unique(options.kinds.begin(), options.kinds.end()), options.kinds.end());
    return options;
}

Options parse(const QStringList& arguments) {
    Options options;
    options.command = arguments.value(0);
    if (options.command == u"diff")
        return parseDiff(arguments);
    if (options.command == u"servers") {
        if (arguments.size() > 1)
            throw UsageFailure{QStringLiteral("'servers' takes no arguments")};
        return options;
    }
    if (options.command != u"report" && options.command != u"list")
        throw UsageFailure{QStringLiteral("unknown command '%1'").arg(options.command)};
    if (arguments.size() < 2)
        throw UsageFailure{
            QStringLiteral("'%1' needs a KIND: cubes, dimensions or roles").arg(options.command)};
    options.kind = kindNamed(arguments.at(1));

    const bool report = options.command == u"report";
    bool hasServer = false;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const QString& option = arguments.at(i);
        auto value = [&](const char* what) {
            return optionValue(arguments, i, what);
        };
        if (option == u"--server") {
            options.server = value("a server NAME");
            hasServer = true;
        } else if (report && option == u"--item") {
            if (i + 2 >= arguments.size())
                throw UsageFailure{QStringLiteral("--item needs two arguments: DATABASE NAME")};
            options.items.emplace_back(arguments.at(i + 1), arguments.at(i + 2));
            i += 2;
        } else if (report && option == u"--info") {
            options.categories << value("a CATEGORY");
        } else if (report && option == u"--index") {
            options.index = true;
        } else if (report && option == u"--output") {
            options.output = value("a FILE");
        } else if (report && option == u"--open") {
            options.open = true;
        } else if (option == u"--format") {
            options.format = checkedFormat(options.command, value("a FORMAT"));
        } else {
            throw UsageFailure{QStringLiteral("unknown option '%1' for '%2'").arg(option, options.command)};
        }
    }
    if (!hasServer)
        throw UsageFailure{QStringLiteral("'%1' needs --server NAME").arg(options.command)};
    checkOpenable(options);
    return options;
}

// A selector's state and kind, driven through the selector flow without dialogs. On a terminal
// the selector runs in application mode, and each progress display is a line on it.
class Session {
public:
    explicit Session(ReportKind kind)
        : m_kind(ReportKindOf(kind).makeKind(m_state))
        , m_flow(m_state, *m_kind, [] { return std::make_unique<TerminalProgress>(stderr); }) {
        if (::isatty(STDERR_FILENO) == 1)
            m_state.InitMode = imApplication;
    }

    SelectorState& state() { return m_state; }
    SelectorKind& kind() { return *m_kind; }
    SelectorFlow& flow() { return m_flow; }

    // Connects to the named server and builds its selection, all unchecked.
    Selection openCatalogue(const QString& server) {
        m_state.ServerName = server;
        Selection selection = m_flow.OpenCatalogue();
        m_flow.CloseProgress();
        return selection;
    }

private:
    SelectorState m_state;
    std::unique_ptr<SelectorKind> m_kind;
    SelectorFlow m_flow;
};

// Checks the categories named (all when none is named); unknown names are usage errors.
void checkCategories(Selection& selection, const QStringList& wanted) {
    for (const QString& name : wanted) {
        if (name.isEmpty() || !selection.checkCategory(name, true)) {
            QStringList known;
            for (const SelectionCategory& category : selection.categories)
                if (!category.caption.isEmpty())
                    known << category.caption;
            throw UsageFailure{QStringLiteral("unknown CATEGORY '%1' (one of: %2)")
                                   .arg(name, known.join(QStringLiteral(", ")))};
        }
    }
    if (wanted.isEmpty())
        selection.checkAllCategories();
}

// Checks the catalogue rows named (all when none is named); an item that is not there fails.
void checkItems(Selection& selection, const std::vector<std::pair<QString, QString>>& items,
                const QString& server) {
    selection.checkAllRows(items.empty());
    for (const auto& [database, name] : items) {
        if (!selection.checkRow(database, name))
            throw RunFailure{QStringLiteral("'%1' '%2' is not in the catalogue of server '%3'")
                                 .arg(database, name, Olap::DisplayServerName(server))};
    }
}

void copyToStandardOutput(const QString& path) {
    QFile page(path);
    if (!page.open(QIODevice::ReadOnly))
        throw RunFailure{QStringLiteral("cannot read the page %1: %2").arg(path, page.errorString())};
    const QByteArray bytes = page.readAll();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// Moves the finished page over the output file in one step, with the permissions a newly
// created file would have.
void publish(const QString& page, const QString& output) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(page).constData(), 0666 & ~mask);
    if (::rename(QFile::encodeName(page).constData(), QFile::encodeName(output).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(page);
        throw RunFailure{QStringLiteral("cannot write %1: %2").arg(output, reason)};
    }
}

// A file beside the output, for a page that publish() moves over the output once it is complete.
std::unique_ptr<QTemporaryFile> stagingFileFor(const QString& output) {
    const QFileInfo target(output);
    auto staging = std::make_unique<QTemporaryFile>(
        target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!staging->open())
        throw RunFailure{QStringLiteral("cannot write %1: %2").arg(output, staging->errorString())};
    staging->close();
    return staging;
}

void tellWritten(const QString& output) {
    if (::isatty(STDERR_FILENO) == 1)
        std::fprintf(stderr, "kavenor: wrote %s\n",
                     QFileInfo(output).absoluteFilePath().toUtf8().constData());
}

// Whether the command shows the cube: a cubes report shows only the cubes named, when any are.
bool shows(const Options& options, const Olap::UnreadableCube& cube) {
    return options.kind != ReportKind::Cubes || options.items.empty() ||
           std::ranges::find(options.items, std::pair{cube.database, cube.cube}) != options.items.end();
}

// One warning line per cube of the server that it could not give and the command shows; the
// rest was written. True when there was any.
bool warnUnreadableCubes(const SelectorState& state, const Options& options) {
    bool warned = false;
    for (const Olap::UnreadableCube& cube : Olap::UnreadableCubes(*state.DSOServer)) {
        if (!shows(options, cube))
            continue;
        printError(QStringLiteral("warning: cube '%1' of database '%2' could not be read: %3")
                       .arg(cube.cube, cube.database, cube.fault));
        warned = true;
    }
    return warned;
}

int runReport(const Options& options) {
    Session session(options.kind);
    // The categories are checked before the server is asked: a wrong name is a usage error.
    Selection named;
    named.categories = session.kind().GetInfoTree();
    checkCategories(named, options.categories);
    Selection selection = session.openCatalogue(options.server);
    selection.categories = std::move(named.categories);
    // An empty catalogue has nothing to report, and the collectors need at least one row.
    if (selection.rows.empty())
        throw RunFailure{QStringLiteral("server '%1' has no %2")
                             .arg(Olap::DisplayServerName(options.server), ReportKindOf(options.kind).name)};
    checkItems(selection, options.items, session.state().ServerName);

    SelectorState& state = session.state();
    state.openPages = false;
    ReportFormatNamed(options.format, state.pageFormat);
    QString made;
    std::unique_ptr<QTemporaryFile> staging;
    if (!options.output.isEmpty()) {
        staging = stagingFileFor(options.output);
        state.pageFile = [&](QString& path) {
            path = made = staging->fileName();
            return true;
        };
    } else {
        state.pageFile = [&](QString& path) {
            if (!CreateTempFile(path))
                return false;
            made = path;
            return true;
        };
    }

    session.flow().Report(selection, options.index);
    if (made.isEmpty())
        return Failure; // the run has said why

    QString opened = made;
    if (!options.output.isEmpty()) {
        staging->setAutoRemove(false);
        publish(made, options.output);
        opened = options.output;
    } else {
        copyToStandardOutput(made);
        if (!options.open)
            EraseTempFiles(made);
    }
    if (options.open && !LaunchBrowser(opened)) {
        MsgBox(QStringLiteral("Cann't launch the default browser!"));
        return Failure;
    }
    if (!options.output.isEmpty())
        tellWritten(options.output);
    return warnUnreadableCubes(state, options) ? Failure : Success;
}

// A server of the diff, connected by name as every command connects.
std::shared_ptr<Olap::Server> openDiffServer(const QString& name) {
    std::shared_ptr<Olap::Server> server = Olap::CreateServer();
    server->Connect(name);
    return server;
}

// The page goes to FILE, to a new report file when it is to be opened, or to standard output
// when neither is asked and the text lines do not go there.
int runDiff(const Options& options) {
    const std::shared_ptr<Olap::Server> oldServer = openDiffServer(options.oldServer);
    const std::shared_ptr<Olap::Server> newServer = openDiffServer(options.newServer);
    const std::vector<Diff::Change> changes =
        Diff::CompareServers(oldServer, newServer, options.kinds, {options.processing});

    // Without --format: text lines on a terminal without --output, else the page.
    const QString format = !options.format.isEmpty() ? options.format
                           : options.output.isEmpty() && ::isatty(STDOUT_FILENO) == 1
                               ? QStringLiteral("text")
                               : QStringLiteral("html");
    const bool text = format == u"text";
    const bool pageToStandardOutput = !text && options.output.isEmpty();
    const Diff::DiffPageSides sides{oldServer->Name(), newServer->Name()};
    const auto writePage = [&](const QString& path) {
        // With text lines, a page asked for with --output is the HTML page.
        PageWriter page(path, format == u"json" || format == u"markdown");
        if (format == u"json")
            Diff::WriteDiffJson(page, sides, options.kinds, changes);
        else if (format == u"markdown")
            page.AppendText(Diff::DiffMarkdown(sides, options.kinds, changes));
        else
            Diff::WriteDiffPage(page, sides, options.kinds, changes);
    };
    QString opened;
    if (!options.output.isEmpty()) {
        const std::unique_ptr<QTemporaryFile> staging = stagingFileFor(options.output);
        writePage(staging->fileName());
        staging->setAutoRemove(false);
        publish(staging->fileName(), options.output);
        opened = options.output;
    } else if (options.open || pageToStandardOutput) {
        if (!CreateTempFile(opened))
            throw RunFailure{QStringLiteral("cannot create a report file in %1").arg(TempFolder())};
        writePage(opened);
        if (pageToStandardOutput)
            copyToStandardOutput(opened);
        if (!options.open)
            EraseTempFiles(opened);
    }
    if (text)
        printOut(Diff::DiffText(changes));
    if (options.open && !LaunchBrowser(opened)) {
        MsgBox(QStringLiteral("Cann't launch the default browser!"));
        return DiffTrouble;
    }
    if (!options.output.isEmpty())
        tellWritten(options.output);
    return changes.empty() ? Success : DifferencesFound;
}

// The catalogue as data: its column headings made field names ("Database" -> "database").
void printListJson(const Options& options, const QString& server, const QStringList& headings,
                   const std::vector<SelectionRow>& rows) {
    QJsonArray items;
    for (const SelectionRow& row : rows) {
        QJsonObject item;
        for (qsizetype c = 0; c < headings.size(); ++c)
            item.insert(headings.at(c), ColumnText(row, static_cast<std::size_t>(c)));
        items.append(item);
    }
    const QJsonObject list{{QStringLiteral("format"), QStringLiteral("lorvantic-list/1")},
                           {QStringLiteral("server"), server},
                           {QStringLiteral("kind"), ReportKindOf(options.kind).name},
                           {QStringLiteral("columns"), QJsonArray::fromStringList(headings)},
                           {QStringLiteral("items"), items}};
    printOut(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented)));
}

int runList(const Options& options) {
    Session session(options.kind);
    const Selection selection = session.openCatalogue(options.server);
    QStringList headings;
    for (const SelectionColumn& column : selection.columns) {
        if (!column.caption.isEmpty())
            headings << column.caption.toLower().remove(u' ');
    }
    if (options.format == u"json") {
        printListJson(options, session.state().DSOServer->Name(), headings, selection.rows);
    } else {
        for (const SelectionRow& row : selection.rows) {
            QStringList cells;
            for (qsizetype c = 0; c < headings.size(); ++c)
                cells << ColumnText(row, static_cast<std::size_t>(c));
            printOut(cells.join(u'\t') + u'\n');
        }
    }
    std::fflush(stdout);
    return warnUnreadableCubes(session.state(), options) ? Failure : Success;
}

int runServers() {
    for (const Olap::ServerDescriptionFile& entry : Olap::ListServerDescriptions())
        printOut(entry.name + u'\t' + entry.path + u'\n');
    return Success;
}

} // namespace

bool WantsCommandLine(const QStringList& arguments) {
    return !arguments.isEmpty();
}

QString UsageText() {
    return QStringLiteral(
        "Usage:\n"
        "  kavenor                                   open the connection dialog\n"
        "  kavenor report KIND --server NAME [--item DATABASE NAME]... [--info CATEGORY]...\n"
        "                 [--index] [--format html|json|markdown] [--output FILE] [--open]\n"
        "  kavenor list KIND --server NAME [--format tsv|json]\n"
        "                                            print the catalogue, one row per line\n"
        "  kavenor diff --old NAME --new NAME [--kind KIND]... [--output FILE] [--open]\n"
        "               [--format text|html|json|markdown] [--text] [--processing]\n"
        "                                            compare two servers\n"
        "  kavenor site --server NAME --output DIR [--open]\n"
        "                                            write the documentation site of the server\n"
        "  kavenor servers                           list the server descriptions found\n"
        "  kavenor check --server NAME [--format text|json|sarif|markdown] [--fail-on error|warning|info]\n"
        "                [--config FILE] [--baseline FILE] [--output FILE]\n"
        "                                            find what is wrong in a server's model (check --help)\n"
        "  kavenor --help | --version\n"
        "\n"
        "KIND is cubes, dimensions or roles. Without --item every item of the catalogue is\n"
        "reported; without --info every category. CATEGORY is a caption of the information\n"
        "tree (\"Data Sources\", \"Level properties\", \"User\", ...), in any letter case.\n"
        "The page (or its content as JSON or Markdown) goes to FILE, or to standard output.\n"
        "Exit codes: 0 done, 1 failure (also a cube the server could not give: the rest is\n"
        "written, with a warning line per such cube), 2 usage.\n"
        "diff compares what the reports of the two servers show: text lines on a terminal or\n"
        "with --text (--format text), else the page. Exit codes: 0 no differences, 1 differences, 2 usage,\n"
        "3 a server could not be read or the page not written.\n");
}

int Run(const QStringList& arguments) {
    if (arguments.value(0) == u"--help" || arguments.value(0) == u"-h") {
        printOut(UsageText());
        return Success;
    }
    if (arguments.value(0) == u"--version") {
        printOut(QStringLiteral("kavenor " LORVANTIC_VERSION "\n"));
        return Success;
    }
    if (arguments.value(0) == u"check")
        return RunCheck(arguments.mid(1));
    if (arguments.value(0) == u"site")
        return RunSite(arguments);
    const int failure = arguments.value(0) == u"diff" ? DiffTrouble : Failure;
    try {
        const Options options = parse(arguments);
        if (options.command == u"diff")
            return runDiff(options);
        if (options.command == u"servers")
            return runServers();
        if (options.command == u"list")
            return runList(options);
        return runReport(options);
    } catch (const UsageFailure& usage) {
        printError(usage.text);
        std::fputs("Try 'kavenor --help'.\n", stderr);
        return UsageError;
    } catch (const RunFailure& run) {
        printError(run.text);
        return failure;
    } catch (const Error& error) {
        printError(error.description());
        return failure;
    }
}

} // namespace Lorvantic::Cli
