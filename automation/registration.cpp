#include "automation/registration.h"

#include "automation/automationerrors.h"
#include "model/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <dlfcn.h>

namespace Lorvantic {

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void raise(const QString& description) {
    throw Error(ErrorNumber::RegistrationFailed, description);
}

// Atomic, and untouched when the bytes are already there.
void writeIfChanged(const QString& path, const QByteArray& bytes) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        raise(u"Cannot write %1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString()));
}

void removeIfPresent(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    QFile file(path);
    if (!file.remove())
        raise(u"Cannot remove %1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace

QString RegistrationFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        raise(u"No folder for per-user data"_s);
    return base + u"/Lorvantic"_s;
}

QString RegistrationFile(const ClassDesc& cls) {
    return RegistrationFolder() + u'/' + cls.progId + u".json"_s;
}

QByteArray RegistrationEntry(const ClassDesc& cls, const QString& libraryPath) {
    const TypeLibDesc& lib = TypeLibrary();
    const QJsonObject typeLibrary{{u"name"_s, lib.name},
                                  {u"version"_s, lib.version()},
                                  {u"locale"_s, static_cast<qint64>(lib.locale)},
                                  {u"helpFile"_s, lib.helpFile}};
    const QJsonObject entry{{u"format"_s, u"lorvantic-registration/1"_s},
                            {u"class"_s, cls.name},
                            {u"classId"_s, IdentifierText(cls.clsid)},
                            {u"progId"_s, cls.progId},
                            {u"interface"_s, cls.defaultInterface.name},
                            {u"interfaceId"_s, IdentifierText(cls.defaultInterface.iid)},
                            {u"threadingModel"_s, cls.threadingModel},
                            {u"library"_s, libraryPath},
                            {u"typeLibrary"_s, typeLibrary}};
    return QJsonDocument(entry).toJson(QJsonDocument::Indented);
}

QString OwnLibraryPath() {
    static const char anchor = 0;
    Dl_info info{};
    if (dladdr(&anchor, &info) != 0 && info.dli_fname && *info.dli_fname) {
        const QFileInfo file(QFile::decodeName(info.dli_fname));
        if (file.exists())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    raise(u"Cannot find the file of the library"_s);
}

void RegisterServer(const QString& libraryPath) {
    const QString folder = RegistrationFolder();
    if (!QDir().mkpath(folder))
        raise(u"Cannot create %1"_s.arg(QDir::toNativeSeparators(folder)));
    for (const ClassDesc& cls : TypeLibrary().classes)
        writeIfChanged(RegistrationFile(cls), RegistrationEntry(cls, libraryPath));
}

void UnregisterServer() {
    for (const ClassDesc& cls : TypeLibrary().classes)
        removeIfPresent(RegistrationFile(cls));
    // Only an empty folder goes; whatever else lives there is not ours.
    QDir().rmdir(RegistrationFolder());
}

} // namespace Lorvantic
