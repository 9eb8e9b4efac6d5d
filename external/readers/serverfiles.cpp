#include "external/readers/serverfiles.h"

#include "external/readers/asslschema.h"
#include "external/readers/mondrianschema.h"
#include "external/readers/schemaxml.h"
#include "external/readers/serverdescription.h"
#include "model/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace Lorvantic::Olap {

namespace {

using DescriptionReader = ServerData (*)(QIODevice& device, const QString& origin);

struct DescriptionKind {
    QLatin1String suffix;
    DescriptionReader read;
};

// The kinds of description files by name suffix. The first also reads files of any other suffix.
const DescriptionKind Kinds[] = {
    {QLatin1String(".json"), ReadJsonDescription},
    {QLatin1String(".xml"), ReadMondrianSchema},
    {QLatin1String(".asdatabase"), ReadAsslDatabase},
};

// Any ".xml" file may sit in a servers folder; only a schema counts as a description.
bool isDescription(const QFileInfo& file) {
    return file.isFile() && (!file.fileName().endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ||
                             IsSchemaFile(file.filePath()));
}

const DescriptionKind& kindOf(const QString& path) {
    for (const DescriptionKind& kind : Kinds)
        if (path.endsWith(kind.suffix, Qt::CaseInsensitive))
            return kind;
    return Kinds[0];
}

QString userServersFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/lorvantic/servers");
}

// A name that can only mean a file in a search folder, never one elsewhere.
bool isBareName(const QString& name) {
    return !name.isEmpty() && name != u'.' && name != QLatin1String("..") && !name.contains(u'/') &&
           !name.contains(QChar(0));
}

// The description file name of a kind that entry is, without its suffix; empty if none.
QString descriptionName(const QString& entry) {
    for (const DescriptionKind& kind : Kinds)
        if (entry.size() > kind.suffix.size() && entry.endsWith(kind.suffix, Qt::CaseInsensitive))
            return entry.chopped(kind.suffix.size());
    return QString();
}

QStringList fileEntries(const QDir& folder) {
    return folder.entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
}

QString findInFolder(const QDir& folder, const QString& name) {
    // A name may carry its suffix already ("FoodMart.xml").
    if (!descriptionName(name).isEmpty() && isDescription(QFileInfo(folder, name)))
        return QFileInfo(folder, name).absoluteFilePath();
    for (const DescriptionKind& kind : Kinds) {
        const QFileInfo exact(folder, name + kind.suffix);
        if (isDescription(exact))
            return exact.absoluteFilePath();
    }
    QStringList matches;
    for (const QString& entry : fileEntries(folder))
        if ((descriptionName(entry).compare(name, Qt::CaseInsensitive) == 0 ||
             (!descriptionName(name).isEmpty() && entry.compare(name, Qt::CaseInsensitive) == 0)) &&
            isDescription(QFileInfo(folder, entry)))
            matches << entry;
    if (matches.isEmpty())
        return QString();
    // Several spellings of one name: take the first in a fixed order, so the choice never varies.
    std::sort(matches.begin(), matches.end());
    return QFileInfo(folder, matches.front()).absoluteFilePath();
}

} // namespace

QString ServerLabel(const QString& serverName) {
    return QStringLiteral("Server '") + serverName + u'\'';
}

QStringList ServerSearchFolders() {
    QStringList folders;
    const auto add = [&folders](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!clean.isEmpty() && !folders.contains(clean))
            folders << clean;
    };
    for (const QString& folder :
         qEnvironmentVariable("LORVANTIC_SERVER_PATH").split(u':', Qt::SkipEmptyParts))
        add(folder);
    add(userServersFolder());
    add(QStringLiteral(LORVANTIC_INSTALLED_SERVERS_DIR));
    add(QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers"));
    return folders;
}

QString FindServerDescription(const QString& serverName) {
    if (serverName.isEmpty())
        return QString();
    const QFileInfo direct(serverName);
    if (direct.isFile())
        return direct.absoluteFilePath();
    if (!isBareName(serverName))
        return QString();
    for (const QString& folder : ServerSearchFolders()) {
        QString found = findInFolder(QDir(folder), serverName);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

std::vector<ServerDescriptionFile> ListServerDescriptions() {
    std::vector<ServerDescriptionFile> found;
    QSet<QString> reached; // case-folded names of earlier folders
    for (const QString& folderPath : ServerSearchFolders()) {
        const QDir folder(folderPath);
        std::vector<ServerDescriptionFile> here;
        for (const QString& entry : fileEntries(folder)) {
            const QString name = descriptionName(entry);
            if (!name.isEmpty() && !reached.contains(name.toCaseFolded()) &&
                isDescription(QFileInfo(folder, entry)))
                here.push_back({name, QFileInfo(folder, entry).absoluteFilePath()});
        }
        std::sort(here.begin(), here.end(),
                  [](const ServerDescriptionFile& a, const ServerDescriptionFile& b) {
                      return a.name < b.name || (a.name == b.name && a.path < b.path);
                  });
        for (const ServerDescriptionFile& file : here)
            reached.insert(file.name.toCaseFolded());
        found.insert(found.end(), here.begin(), here.end());
    }
    return found;
}

ServerData LoadServerDescription(const QString& serverName, const QString& path) {
    const QString origin = ServerLabel(serverName) + QStringLiteral(": ") + path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(ErrorNumber::UnreadableDescription,
                    origin + QStringLiteral(": cannot be opened (") + file.errorString() + u')');
    return kindOf(path).read(file, origin);
}

} // namespace Lorvantic::Olap
