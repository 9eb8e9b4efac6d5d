#include "app/checkcommand.h"

#include "check/config.h"
#include "check/output.h"
#include "external/readers/serverfiles.h"
#include "external/xmla/xmlaserver.h"
#include "model/error.h"
#include "report/pagewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace Lorvantic::Cli {

namespace {

struct CheckUsageFailure {
    QString text;
};

struct CheckRunFailure {
    QString text;
};

struct CheckOptions {
    QString server;
    QString format = QStringLiteral("text");
    Check::Severity failOn = Check::Severity::Warning;
    QString config;
    QString baseline;
    QString output;
    bool listRules = false;
    bool help = false;
};

const QStringList& checkFormats() {
    static const QStringList formats{QStringLiteral("text"), QStringLiteral("json"), QStringLiteral("sarif"),
                                     QStringLiteral("markdown")};
    return formats;
}

CheckOptions parseCheck(const QStringList& arguments) {
    CheckOptions options;
    bool hasServer = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments.at(i);
        const auto value = [&](const char* what) {
            if (i + 1 >= arguments.size())
                throw CheckUsageFailure{QStringLiteral("%1 needs %2").arg(option, QLatin1String(what))};
            return arguments.at(++i);
        };
        if (option == u"--server") {
            options.server = value("a server NAME");
            hasServer = true;
        } else if (option == u"--format") {
            options.format = value("a FORMAT");
            if (!checkFormats().contains(options.format))
                throw CheckUsageFailure{QStringLiteral("unknown FORMAT '%1' for 'check' (one of: %2)")
                                            .arg(options.format, checkFormats().join(QStringLiteral(", ")))};
        } else if (option == u"--fail-on") {
            const QString level = value("error, warning or info");
            const std::optional<Check::Severity> severity = Check::SeverityNamed(level);
            if (!severity)
                throw CheckUsageFailure{
                    QStringLiteral("unknown severity '%1' for --fail-on (error, warning or info)")
                        .arg(level)};
            options.failOn = *severity;
        } else if (option == u"--config") {
            options.config = value("a FILE");
        } else if (option == u"--baseline") {
            options.baseline = value("a FILE");
        } else if (option == u"--output") {
            options.output = value("a FILE");
        } else if (option == u"--help" || option == u"-h") {
            options.help = true;
        } else if (option == u"--list-rules") {
            options.listRules = true;
        } else {
            throw CheckUsageFailure{QStringLiteral("unknown option '%1' for 'check'").arg(option)};
        }
    }
    if (!hasServer && !options.listRules && !options.help)
        throw CheckUsageFailure{QStringLiteral("'check' needs --server NAME")};
    return options;
}

// The file as the findings show it: as given when the name is a file, else the path found,
// relative to the current folder when it lies below it.
QString shownFile(const QString& serverName, const QString& path) {
    if (QFileInfo(serverName).isFile())
        return serverName;
    const QString relative = QDir::current().relativeFilePath(path);
    return relative.startsWith(QLatin1String("..")) ? path : relative;
}

Check::Outcome readAndCheck(const CheckOptions& options, const Check::Settings& settings,
                            const QSet<QString>& baseline) {
    Check::Outcome outcome;
    Olap::ServerData server;
    const bool live = Olap::IsXmlaServerName(options.server);
    if (live) {
        server = Olap::ReadXmlaServer(options.server);
    } else {
        const QString path = Olap::FindServerDescription(options.server);
        if (path.isEmpty())
            throw CheckRunFailure{
                Olap::ServerLabel(options.server) +
                QStringLiteral(": no such file, nor a server description of that name in ") +
                Olap::ServerSearchFolders().join(QStringLiteral(", "))};
        server = Olap::LoadServerDescription(options.server, path);
        outcome.file = shownFile(options.server, path);
    }
    outcome.server = live ? Olap::DisplayServerName(options.server) : server.name;
    outcome.findings = Check::RunRules(server, settings, live);
    outcome.baselined = Check::ApplyBaseline(outcome.findings, baseline);
    return outcome;
}

void write(PageWriter& out, const QString& format, const Check::Outcome& outcome) {
    if (format == u"json")
        Check::WriteJson(out, outcome);
    else if (format == u"sarif")
        Check::WriteSarif(out, outcome);
    else if (format == u"markdown")
        Check::WriteMarkdown(out, outcome);
    else
        Check::WriteText(out, outcome);
}

// Writes the output into a new file beside FILE and moves it over FILE once complete, or into a
// temporary file copied to standard output.
void publishOutput(const CheckOptions& options, const Check::Outcome& outcome) {
    const QString pattern =
        options.output.isEmpty()
            ? QDir::temp().filePath(QStringLiteral("kavenor-check.XXXXXX"))
            : QFileInfo(options.output)
                  .absoluteDir()
                  .filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(options.output).fileName()));
    QTemporaryFile staging(pattern);
    if (!staging.open())
        throw CheckRunFailure{QStringLiteral("cannot write %1: %2")
                                  .arg(options.output.isEmpty() ? staging.fileTemplate() : options.output,
                                       staging.errorString())};
    staging.close();
    {
        PageWriter out(staging.fileName(), true);
        write(out, options.format, outcome);
    }
    if (options.output.isEmpty()) {
        QFile written(staging.fileName());
        if (!written.open(QIODevice::ReadOnly))
            throw CheckRunFailure{
                QStringLiteral("cannot read %1: %2").arg(written.fileName(), written.errorString())};
        const QByteArray bytes = written.readAll();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        std::fflush(stdout);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QByteArray from = QFile::encodeName(staging.fileName());
    ::chmod(from.constData(), 0666 & ~mask);
    if (::rename(from.constData(), QFile::encodeName(options.output).constData()) != 0)
        throw CheckRunFailure{QStringLiteral("cannot write %1: %2")
                                  .arg(options.output, QString::fromLocal8Bit(std::strerror(errno)))};
    staging.setAutoRemove(false);
}

void listRules() {
    for (const Check::Rule& rule : Check::Rules())
        std::printf("%-32s %-8s %-4s %s\n", rule.id, Check::SeverityName(rule.severity).toUtf8().constData(),
                    rule.enabled ? "on" : "off", rule.summary);
}

void printError(const QString& text) {
    std::fprintf(stderr, "kavenor: %s\n", text.toUtf8().constData());
}

} // namespace

QString CheckHelpText() {
    return QStringLiteral(
        "\n"
        "Runs the rules (doc/rules.md) over the server's model and writes one line per finding:\n"
        "FILE:LINE:COL: SEVERITY: message [RULE] for files, SERVER / DATABASE / ...: ... for live\n"
        "servers. --config FILE (else .kavenor-check in the current folder, when there) switches\n"
        "rules on and off, sets severities and thresholds and ignores objects by path. --baseline\n"
        "FILE (an earlier --format json output) leaves out the findings it holds.\n"
        "Exit codes: 0 no finding at or above --fail-on (default warning), 1 findings, 2 usage\n"
        "(or a bad configuration or baseline), 3 the server could not be read.\n");
}

QString CheckUsageText() {
    return QStringLiteral(
        "  kavenor check --server NAME [--format text|json|sarif|markdown] [--fail-on error|warning|info]\n"
        "                [--config FILE] [--baseline FILE] [--output FILE]\n"
        "                                            find what is wrong in a server's model\n"
        "  kavenor check --list-rules                the rules: id, severity, on or off, what each finds\n");
}

int RunCheck(const QStringList& arguments) {
    try {
        const CheckOptions options = parseCheck(arguments);
        if (options.help) {
            std::fputs((QStringLiteral("Usage:\n") + CheckUsageText() + CheckHelpText()).toUtf8().constData(),
                       stdout);
            return CheckClean;
        }
        if (options.listRules) {
            listRules();
            return CheckClean;
        }
        Check::Settings settings = Check::DefaultSettings();
        const QString config = !options.config.isEmpty() ? options.config
                               : QFileInfo::exists(QLatin1String(Check::DefaultConfigName))
                                   ? QString::fromLatin1(Check::DefaultConfigName)
                                   : QString();
        if (!config.isEmpty())
            Check::ApplyConfig(settings, config);
        const QSet<QString> baseline =
            options.baseline.isEmpty() ? QSet<QString>() : Check::ReadBaseline(options.baseline);
        const Check::Outcome outcome = readAndCheck(options, settings, baseline);
        publishOutput(options, outcome);
        std::fprintf(stderr, "kavenor: %s\n", Check::Summary(outcome).toUtf8().constData());
        const bool failing =
            std::any_of(outcome.findings.begin(), outcome.findings.end(),
                        [&](const Check::Finding& f) { return f.severity >= options.failOn; });
        return failing ? CheckFindings : CheckClean;
    } catch (const CheckUsageFailure& usage) {
        printError(usage.text);
        std::fputs("Try 'kavenor --help'.\n", stderr);
        return CheckUsage;
    } catch (const Check::ConfigError& config) {
        printError(config.text);
        return CheckUsage;
    } catch (const CheckRunFailure& run) {
        printError(run.text);
        return CheckTrouble;
    } catch (const Error& error) {
        printError(error.description());
        return CheckTrouble;
    }
}

} // namespace Lorvantic::Cli
