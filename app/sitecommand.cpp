#include "app/sitecommand.h"

#include "app/commandline.h"
#include "core/messages.h"
#include "report/reportfile.h"
#include "site/site.h"

#include <QDir>
#include <cstdio>

namespace Lorvantic::Cli {

namespace {

struct SiteOptions {
    QString server;
    QString output;
    bool open = false;
};

struct SiteUsageFailure {
    QString text;
};

SiteOptions parseSite(const QStringList& arguments) {
    SiteOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments.at(i);
        const bool valued = option == u"--server" || option == u"--output";
        if (valued && i + 1 >= arguments.size())
            throw SiteUsageFailure{QStringLiteral("%1 needs a %2")
                                       .arg(option, option == u"--server" ? QStringLiteral("server NAME")
                                                                          : QStringLiteral("folder DIR"))};
        if (option == u"--server")
            options.server = arguments.at(++i);
        else if (option == u"--output")
            options.output = arguments.at(++i);
        else if (option == u"--open")
            options.open = true;
        else
            throw SiteUsageFailure{QStringLiteral("unknown option '%1' for 'site'").arg(option)};
    }
    if (options.server.isEmpty() || options.output.isEmpty())
        throw SiteUsageFailure{QStringLiteral("'site' needs --server NAME and --output DIR")};
    return options;
}

void printSiteError(const QString& text) {
    std::fprintf(stderr, "kavenor: %s\n", text.toUtf8().constData());
}

} // namespace

int RunSite(const QStringList& arguments) {
    try {
        const SiteOptions options = parseSite(arguments);
        const std::shared_ptr<Olap::Server> server = Olap::CreateServer();
        server->Connect(options.server);
        Site::WriteSite(*server, options.output);
        if (options.open && !LaunchBrowser(QDir(options.output).filePath(QStringLiteral("index.html")))) {
            MsgBox(QStringLiteral("Cann't launch the default browser!"));
            return Failure;
        }
        return Success;
    } catch (const SiteUsageFailure& usage) {
        printSiteError(usage.text);
        std::fputs("Try 'kavenor --help'.\n", stderr);
        return UsageError;
    } catch (const Error& error) {
        printSiteError(error.description());
        return Failure;
    }
}

} // namespace Lorvantic::Cli
