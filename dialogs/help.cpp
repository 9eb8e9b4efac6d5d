#include "dialogs/help.h"

#include "report/reportfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Lorvantic {

namespace {
QStringList helpFolders() {
    QStringList folders;
    const QString fromEnvironment = qEnvironmentVariable("LORVANTIC_HELP_DIR");
    if (!fromEnvironment.isEmpty())
        folders << fromEnvironment;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/lorvantic/HTML_help");
    folders << QStringLiteral(LORVANTIC_HELP_INSTALL_DIR)
            << QStringLiteral(LORVANTIC_SOURCE_DIR "/HTML_help");
    return folders;
}
} // namespace

QString HelpTopicPath(qint32 helpContextId) {
    const QString page = QString::number(helpContextId) + QStringLiteral(".html");
    for (const QString& folder : helpFolders()) {
        const QFileInfo candidate(QDir(folder), page);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return QString();
}

bool ShowHelpTopic(qint32 helpContextId) {
    const QString path = HelpTopicPath(helpContextId);
    return !path.isEmpty() && LaunchBrowser(path);
}

} // namespace Lorvantic
