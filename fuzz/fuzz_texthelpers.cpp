// The text helpers that take text from a server description or the settings file: none may
// crash, and each keeps the property its callers rely on.

#include "cube/cubetext.h"
#include "report/reportfile.h"
#include "role/rolelookup.h"
#include "settings/settingsstore.h"

#include <QString>
#include <QStringList>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace Lorvantic;

// Text as it may come from a file: UTF-8 (broken sequences included) or raw UTF-16 (lone
// surrogates included).
QString ConsumeText(FuzzedDataProvider& input) {
    const bool utf16 = input.ConsumeBool();
    const std::string bytes = input.ConsumeRandomLengthString(4096);
    if (utf16)
        return QString(reinterpret_cast<const QChar*>(bytes.data()),
                       static_cast<qsizetype>(bytes.size() / 2));
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void check(bool holds) {
    if (!holds)
        __builtin_trap();
}

void FuzzConnectionValue(const QString& connection, const QString& key, const QString& mark,
                         const QString& terminator) {
    const QString value = GetConnectionValue(connection, key, mark, terminator);
    check(value.size() <= connection.size());
    check(!value.startsWith(u' ') && !value.endsWith(u' '));
    check(value.isEmpty() || connection.contains(value));
}

void FuzzStatementCut(const QString& statement) {
    const QString text = CalcMemberStatementText(statement);
    check(text.size() <= statement.size());
    check(!text.contains(QStringLiteral("AS '")));
    check(text.isEmpty() || statement.contains(text));
}

void FuzzUsersSplit(const QString& users) {
    const QStringList names = SplitRoleUsers(users);
    for (const QString& name : names)
        check(!name.contains(u';'));
    // The names joined again give the text back, but for a closing ";".
    QString joined = names.join(u';');
    if (users.endsWith(u';'))
        joined += u';';
    check(joined == users);
}

void FuzzSettingKey(const QString& key, const QString& stored) {
    const QString escaped = EscapeSettingKey(key);
    check(!escaped.isEmpty() && !escaped.contains(u'/') && !escaped.contains(u'\\'));
    check(UnescapeSettingKey(escaped) == key);
    // Hand-edited files hold any text; it reads back without a crash.
    (void)UnescapeSettingKey(stored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString first = ConsumeText(input);
    const QString key = ConsumeText(input);
    const QString mark = ConsumeText(input);
    const QString terminator = ConsumeText(input);
    FuzzConnectionValue(first, key, mark, terminator);
    FuzzStatementCut(first);
    FuzzUsersSplit(first);
    FuzzSettingKey(first, key);
    return 0;
}
