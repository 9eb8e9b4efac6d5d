#pragma once

// The per-user settings store: string values by application, section and key, read with a
// default. Each application has one INI file under $XDG_CONFIG_HOME/<application>/; a section is
// an INI group. QtCore only, so that programs without widgets can use it.

#include <QString>
#include <functional>
#include <memory>

class QSettings;

namespace Lorvantic {

// Key and section texts are stored escaped so that any text comes back unchanged: the store
// would otherwise read "/" and "\" as group structure and refuse an empty key. "%", "/" and "\"
// become "%25", "%2F" and "%5C"; the empty text becomes a lone "%".
QString EscapeSettingKey(const QString& key);
// The inverse of EscapeSettingKey. Text it never produces is returned as it stands where it is
// not a valid escape.
QString UnescapeSettingKey(const QString& stored);

// The store's file for an application: $XDG_CONFIG_HOME/<application>/<application>.conf
// (~/.config when XDG_CONFIG_HOME is unset or relative).
QString SettingsFilePath(const QString& application);

// One opened store: reads answer from one parse of the file, and writes are saved together,
// atomically, when commit() runs or the object ends. Use it for many keys at once.
class SettingsStore {
public:
    // Raises Error when the application name cannot be a folder name. A file that cannot be read
    // or parsed is renamed to "<file>.corrupt-<UTC time>" and the store starts empty; Error when
    // it cannot be moved aside. Descriptions of file failures begin with the file's path.
    explicit SettingsStore(const QString& application);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString get(const QString& section, const QString& key, const QString& defaultValue) const;
    void save(const QString& section, const QString& key, const QString& value);
    // Writes what was saved; raises Error when the file cannot be written.
    void commit();

private:
    std::unique_ptr<QSettings> m_settings;
};

// The stored text, or defaultValue when there is none.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue);
// Stores the text at once; raises Error when the file cannot be written.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

enum class SettingsAccess { Read, Write };

// Settings are a convenience, so a dialog never stops for them: runs one read or write of the
// store and, when it raises Error, tells standard error ("<program>: settings not read: ..." or
// "... not saved: ...", each distinct failure once per process) and goes on; a caller that read
// nothing keeps its defaults.
void BestEffort(SettingsAccess access, const std::function<void()>& action);

} // namespace Lorvantic
