#include "settings/settingsstore.h"

#include "model/error.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <set>

namespace Lorvantic {

namespace {
constexpr qint32 InvalidArgument = 5;
constexpr qint32 FileAccessError = 75;

constexpr QChar EscapeMark = u'%';

struct Escape {
    QChar plain;
    QLatin1String coded;
};
// Characters the store would read as structure (or as its own escapes), and what stands for them.
constexpr Escape Escapes[] = {
    {u'%', QLatin1String("%25")},
    {u'/', QLatin1String("%2F")},
    {u'\\', QLatin1String("%5C")},
};

QString configHome() {
    QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // A relative XDG_CONFIG_HOME is not valid and is ignored, as other programs do.
    if (home.isEmpty() || QDir::isRelativePath(home))
        return QDir::homePath() + u"/.config";
    return home;
}

void checkApplicationName(const QString& application) {
    if (application.isEmpty() || application == u"." || application == u".." || application.contains(u'/') ||
        application.contains(QChar()))
        throw Error(InvalidArgument,
                    QStringLiteral("Invalid application name for the settings store: ") + application);
}

// Reading every key parses the whole file, which is where a damaged line shows.
bool isDamaged(QSettings& settings) {
    (void)settings.allKeys();
    return settings.status() != QSettings::NoError;
}

// A free name beside the file, e.g. "Kavenor.conf.corrupt-20261205T165300Z".
QString asideName(const QString& path) {
    const QString stem = path + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss'Z'"));
    QString aside = stem;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = stem + u'-' + QString::number(n);
    return aside;
}

// Damaged files that could not be moved aside. QSettings parses a file once per process and
// then answers from memory, so a later open would not see the damage, and its save would write
// over the file.
std::set<QString>& damagedInPlace() {
    static std::set<QString> paths;
    return paths;
}

// A file that cannot be read or parsed is kept for the user to look at, and the store starts
// afresh: saving into it would silently drop what could not be read.
std::unique_ptr<QSettings> openStore(const QString& path) {
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (!isDamaged(*settings) && !damagedInPlace().contains(path))
        return settings;
    settings.reset();
    // Another process may have moved it aside already.
    if (!QFile::rename(path, asideName(path)) && QFileInfo::exists(path)) {
        damagedInPlace().insert(path);
        throw Error(FileAccessError, path + QStringLiteral(": damaged, and it cannot be moved aside"));
    }
    damagedInPlace().erase(path);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString storedKey(const QString& section, const QString& key) {
    return EscapeSettingKey(section) + u'/' + EscapeSettingKey(key);
}

// A hand-edited value with unquoted commas reads back as a list; give its text.
QString storedText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}
} // namespace

QString EscapeSettingKey(const QString& key) {
    if (key.isEmpty())
        return QString(EscapeMark);
    QString result;
    result.reserve(key.size());
    for (const QChar c : key) {
        const auto* escape = std::find_if(std::begin(Escapes), std::end(Escapes),
                                          [c](const Escape& e) { return e.plain == c; });
        if (escape != std::end(Escapes))
            result += escape->coded;
        else
            result += c;
    }
    return result;
}

QString UnescapeSettingKey(const QString& stored) {
    if (stored.size() == 1 && stored.front() == EscapeMark)
        return QString();
    QString result;
    result.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QStringView rest = QStringView(stored).mid(i);
        const auto* escape = std::find_if(std::begin(Escapes), std::end(Escapes),
                                          [rest](const Escape& e) { return rest.startsWith(e.coded); });
        if (stored.at(i) == EscapeMark && escape != std::end(Escapes)) {
            result += escape->plain;
            i += escape->coded.size() - 1;
        } else {
            result += stored.at(i);
        }
    }
    return result;
}

QString SettingsFilePath(const QString& application) {
    checkApplicationName(application);
    return configHome() + u'/' + application + u'/' + application + u".conf";
}

SettingsStore::SettingsStore(const QString& application)
    : m_settings(openStore(SettingsFilePath(application))) {}

// QSettings writes what is pending when it ends; a failure there has no one left to tell.
SettingsStore::~SettingsStore() = default;

QString SettingsStore::get(const QString& section, const QString& key, const QString& defaultValue) const {
    const QVariant value = m_settings->value(storedKey(section, key));
    return value.isValid() ? storedText(value) : defaultValue;
}

void SettingsStore::save(const QString& section, const QString& key, const QString& value) {
    m_settings->setValue(storedKey(section, key), value);
}

void SettingsStore::commit() {
    // QSettings writes through a temporary file renamed into place, under a lock file, and
    // merges with what other processes wrote meanwhile.
    m_settings->sync();
    if (m_settings->status() != QSettings::AccessError)
        return;
    const QString path = m_settings->fileName();
    const QString folder = QFileInfo(path).absolutePath();
    QString what = QStringLiteral("cannot be written");
    if (!QFileInfo(folder).isDir())
        what = QStringLiteral("its folder ") + folder + QStringLiteral(" cannot be created");
    throw Error(FileAccessError, path + QStringLiteral(": ") + what);
}

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue) {
    return SettingsStore(application).get(section, key, defaultValue);
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
    SettingsStore store(application);
    store.save(section, key, value);
    store.commit();
}

void BestEffort(SettingsAccess access, const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& failure) {
        // The same failure comes back with every key and every press; once is enough. The one
        // GUI thread is the only caller.
        static std::set<QString> told;
        QString program = QCoreApplication::applicationName();
        if (program.isEmpty())
            program = QStringLiteral("lorvantic");
        const QString line = program +
                             (access == SettingsAccess::Read ? QStringLiteral(": settings not read: ")
                                                             : QStringLiteral(": settings not saved: ")) +
                             failure.description();
        if (told.insert(line).second)
            std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    }
}

} // namespace Lorvantic
