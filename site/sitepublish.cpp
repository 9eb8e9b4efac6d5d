#include "report/jsonwriter.h"
#include "report/reportfile.h"
#include "site/site.h"
#include "site/sitepages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace Lorvantic::Site {

namespace {

[[noreturn]] void fail(const QString& text) {
    throw Error(SiteNotWritten, text);
}

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A folder already at the target may be replaced only when this tool wrote it.
bool replaceable(const QFileInfo& target) {
    if (!target.exists() && !target.isSymLink())
        return true;
    if (target.isSymLink() || !target.isDir())
        return false;
    return QFileInfo(QDir(target.filePath()).filePath(QString::fromLatin1(MarkerFileName))).isFile();
}

void writeMarker(const QString& folder) {
    QFile marker(QDir(folder).filePath(QString::fromLatin1(MarkerFileName)));
    if (!marker.open(QIODevice::WriteOnly) || marker.write("lorvantic-site/1\n") < 0)
        fail(QStringLiteral("cannot write %1: %2").arg(marker.fileName(), marker.errorString()));
}

// The new folder takes the target's place in one step; an old site goes to the staging name, whose
// owner removes it.
void putInPlace(const QString& staging, const QString& target, bool exists) {
    const QByteArray from = QFile::encodeName(staging);
    const QByteArray to = QFile::encodeName(target);
    if (!exists) {
        if (std::rename(from.constData(), to.constData()) != 0)
            fail(QStringLiteral("cannot write %1: %2").arg(target, systemReason()));
        return;
    }
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0)
        fail(QStringLiteral("cannot replace %1: %2").arg(target, systemReason()));
}

// The folder and the report writer's files are made for their owner only; the site gets what a new
// folder and new files would.
void openToOthers(const QString& folder) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        ::chmod(QFile::encodeName(dir.filePath(name)).constData(), 0666 & ~mask);
    ::chmod(QFile::encodeName(folder).constData(), 0777 & ~mask);
}

} // namespace

void WriteSite(const Olap::Server& server, const QString& folder) {
    const QFileInfo target(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (!replaceable(target))
        fail(QStringLiteral("%1 exists and is not a site written by kavenor (no %2): it is left as it is")
                 .arg(folder, QString::fromLatin1(MarkerFileName)));
    if (!target.dir().exists())
        fail(QStringLiteral("cannot write %1: the folder %2 does not exist").arg(folder, target.path()));
    const SiteServer site = ReadSite(server);

    QTemporaryDir staging(target.dir().filePath(u'.' + target.fileName() + QStringLiteral(".XXXXXX")));
    if (!staging.isValid())
        fail(QStringLiteral("cannot write %1: %2").arg(folder, staging.errorString()));
    WriteSiteFiles(site, staging.path(), Json::Moment(ReportClock()));
    writeMarker(staging.path());
    openToOthers(staging.path());
    putInPlace(staging.path(), target.filePath(), target.exists());
}

} // namespace Lorvantic::Site
