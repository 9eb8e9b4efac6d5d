// The settings store: any text as section, key or value, where the file lives, damaged or
// unreadable files, and processes saving at once.

#include "model/error.h"
#include "settings/settingsstore.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Lorvantic;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

const QString App = u"Kavenor"_s;
const QString Section = u"Cubes"_s;

// Every character class the names of a server may hold, surrogate pairs included.
QString anyCharacters(qsizetype length) {
    QString text;
    for (char32_t next = 0; text.size() < length; ++next) {
        const char32_t c = next % 0x30000;
        if (c < 0xD800 || c > 0xDFFF)
            text += QString::fromUcs4(&c, 1);
    }
    return text.left(length);
}

QStringList awkwardTexts() {
    return {QString(), u" "_s, u"  blanks at both ends  "_s, u"a/b"_s, u"/"_s, u"//lead/and/trail//"_s,
            u"back\\slash\\"_s, u"a=b;c[d]#e"_s, u"[General]"_s, u"General"_s, u"%"_s, u"%25"_s, u"%2F%5C%"_s,
            u"%U0041"_s, u"@Invalid()"_s, u"@Variant(x)"_s, u"\"quoted\", listed, values"_s,
            u"line\nbreak\ttab\rreturn"_s, QString(QChar(0)) + u"nul"_s, u"Größe €"_s, u"数据源_Measures"_s,
            QString::fromUcs4(U"emoji \U0001F600"), u"FoodMart_Sales"_s, u"Root_Measures"_s,
            u"root_measures"_s,
            // Ten thousand characters of every kind.
            anyCharacters(128).repeated(79).left(10000), anyCharacters(10000), QString(10000, u'k'),
            QString(10000, u'/'), QString(10000, u'%'), QString(10000, u' ')};
}

class SettingsStoreFile : public ::testing::Test {
protected:
    QString home = freshFolder();
    ScopedEnv config{"XDG_CONFIG_HOME", home};

    QString folder() const { return home + u"/Kavenor"; }
    QStringList keptAside() const {
        return QDir(folder()).entryList({u"Kavenor.conf.corrupt-*"_s},
                                        QDir::AllEntries | QDir::System | QDir::Hidden);
    }
    // Reads the file freshly under another name, so that nothing comes from what this process
    // still holds in memory for the original. Gives the value of a section and key, or "<none>".
    static std::function<QString(const QString&, const QString&)> copyOfFile() {
        const QString copy = freshFolder() + u"/copy.conf";
        EXPECT_TRUE(QFile::copy(SettingsFilePath(App), copy));
        auto settings = std::make_shared<QSettings>(copy, QSettings::IniFormat);
        return [settings](const QString& section, const QString& key) {
            return settings->value(EscapeSettingKey(section) + u'/' + EscapeSettingKey(key), u"<none>"_s)
                .toString();
        };
    }
};

TEST_F(SettingsStoreFile, LivesUnderTheConfigFolderOfTheApplicationOrFails) {
    SaveSetting(App, Section, u"ReportPageWithIndex"_s, u"X"_s);
    EXPECT_EQ(SettingsFilePath(App), home + u"/Kavenor/Kavenor.conf");
    // Written atomically: only the file itself remains, no temporary or lock file.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{u"Kavenor.conf"_s});

    for (const QString& name : {QString(), u"."_s, u".."_s, u"a/b"_s})
        EXPECT_THROW(GetSetting(name, Section, u"k"_s, QString()), Error) << name.toStdString();
    // The configuration folder is a plain file, so nothing can be created below it.
    writeBytes(home + u"/blocked", "not a folder");
    const ScopedEnv blocked("XDG_CONFIG_HOME", home + u"/blocked");
    EXPECT_THROW(SaveSetting(App, Section, u"k"_s, u"X"_s), Error);
    EXPECT_EQ(GetSetting(App, Section, u"k"_s, u"d"_s), u"d"_s);

    const ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(SettingsFilePath(App), QDir::homePath() + u"/.config/Kavenor/Kavenor.conf");
    const ScopedEnv relative("XDG_CONFIG_HOME", u"relative/dir"_s);
    EXPECT_EQ(SettingsFilePath(App), QDir::homePath() + u"/.config/Kavenor/Kavenor.conf");
}

// Case matters, and any text comes back unchanged, read by this process or another.
TEST_F(SettingsStoreFile, SectionsKeysAndValuesComeBackUnchanged) {
    // Random texts come from the text helpers' fuzz corpus (TextHelpers.FuzzCorpusReplays).
    const QStringList texts = awkwardTexts();
    SaveSetting(App, Section, u"Root_Measures"_s, u"replaced by the next save"_s);
    {
        SettingsStore store(App);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            store.save(Section, texts[i], QString::number(i));
            store.save(u"Values"_s, QString::number(i), texts[i]);
            store.save(texts[i], u"section"_s, texts[i]);
        }
        store.commit();
    }
    const SettingsStore store(App);
    const auto copy = copyOfFile();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(texts[i].left(40).toStdString());
        // Escaped, a text holds nothing the store would read as group structure.
        const QString escaped = EscapeSettingKey(texts[i]);
        EXPECT_FALSE(escaped.isEmpty() || escaped.contains(u'/') || escaped.contains(u'\\'))
            << escaped.left(40).toStdString();
        EXPECT_EQ(UnescapeSettingKey(escaped), texts[i]);
        EXPECT_EQ(store.get(Section, texts[i], QString()), QString::number(i));
        EXPECT_EQ(copy(Section, texts[i]), QString::number(i));
        EXPECT_EQ(copy(u"Values"_s, QString::number(i)), texts[i]);
        EXPECT_EQ(copy(texts[i], u"section"_s), texts[i]);
    }
    EXPECT_EQ(store.get(Section, u"ROOT_MEASURES"_s, u"default"_s), u"default"_s);
    EXPECT_TRUE(keptAside().isEmpty());
    EXPECT_EQ(EscapeSettingKey(u"Root_Partitions"_s), u"Root_Partitions"_s);
    // Text that was never escaped comes back as it stands where it is no escape.
    EXPECT_EQ(UnescapeSettingKey(u"100%zz%2"_s), u"100%zz%2"_s);
}

TEST_F(SettingsStoreFile, ADamagedOrUnreadableFileGivesTheDefaultsAndIsKeptAside) {
    const struct {
        const char* what;
        QByteArray bytes; // empty: a folder where the file should be, which not even root can read
    } damaged[] = {
        {"a section header without its bracket", "[Cubes\nRoot_Measures=\" \"\n"},
        {"a line without a value", "[Cubes]\nRoot_Measures\nReportPageWithIndex=X\n"},
        {"binary bytes", QByteArray("\x00\xff\xfe[\x01\x02\n\x7f=", 10)},
        {"a folder", QByteArray()},
    };
    for (const auto& file : damaged) {
        SCOPED_TRACE(file.what);
        QDir(folder()).removeRecursively();
        const bool isFolder = file.bytes.isEmpty();
        const QString inside = isFolder ? u"/inside"_s : QString();
        const QByteArray content = isFolder ? QByteArray("kept") : file.bytes;
        QDir().mkpath(isFolder ? SettingsFilePath(App) : folder());
        writeBytes(SettingsFilePath(App) + inside, content);
        EXPECT_EQ(GetSetting(App, Section, u"ReportPageWithIndex"_s, u" "_s), u" "_s);
        EXPECT_EQ(GetSetting(App, Section, u"Root_Measures"_s, u"X"_s), u"X"_s);
        const QStringList aside = keptAside();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(readBytes(folder() + u'/' + aside.front() + inside), content);

        // The next save starts a fresh file and leaves the damaged one where it was put.
        SaveSetting(App, Section, u"Root_Measures"_s, u" "_s);
        EXPECT_EQ(GetSetting(App, Section, u"Root_Measures"_s, u"X"_s), u" "_s);
        EXPECT_EQ(keptAside(), aside);
        EXPECT_EQ(readBytes(folder() + u'/' + aside.front() + inside), content);
    }
}

TEST_F(SettingsStoreFile, TwoProcessesSavingAtOnceKeepEachOthersKeys) {
    constexpr int Rounds = 25;
    constexpr int Items = 4;
    const auto key = [](char process, int round, int item) {
        return u"%1_Database %2_Cube %3"_s.arg(QLatin1Char(process)).arg(round).arg(item);
    };
    SaveSetting(App, Section, u"ReportPageWithIndex"_s, u"X"_s);
    std::vector<pid_t> children;
    for (const char process : {'A', 'B'}) {
        children.push_back(::fork());
        if (children.back() != 0)
            continue;
        for (int round = 0; round < Rounds; ++round) {
            SettingsStore store(App);
            for (int item = 0; item < Items; ++item)
                store.save(Section, key(process, round, item), u"X"_s);
            store.commit();
        }
        ::_exit(0);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_TRUE(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0);
    }
    const SettingsStore store(App);
    EXPECT_EQ(store.get(Section, u"ReportPageWithIndex"_s, QString()), u"X"_s);
    for (const char process : {'A', 'B'})
        for (int round = 0; round < Rounds; ++round)
            for (int item = 0; item < Items; ++item)
                EXPECT_EQ(store.get(Section, key(process, round, item), u"lost"_s), u"X"_s)
                    << key(process, round, item).toStdString();
}

} // namespace
