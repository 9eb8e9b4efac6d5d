#include "error.h"
#include "settingsstore.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

const QString App = QStringLiteral("Kavenor");
const QString Section = QStringLiteral("Cubes");

QStringList awkwardTexts() {
    return {
        QString(),
        QStringLiteral(" "),
        QStringLiteral("  blanks at both ends  "),
        QStringLiteral("a/b"),
        QStringLiteral("/"),
        QStringLiteral("//lead/and/trail//"),
        QStringLiteral("back\\slash\\"),
        QStringLiteral("a=b;c[d]#e"),
        QStringLiteral("[General]"),
        QStringLiteral("General"),
        QStringLiteral("%"),
        QStringLiteral("%25"),
        QStringLiteral("%2F%5C%"),
        QStringLiteral("%U0041"),
        QStringLiteral("@Invalid()"),
        QStringLiteral("@Variant(x)"),
        QStringLiteral("\"quoted\", listed, values"),
        QStringLiteral("line\nbreak\ttab\rreturn"),
        QString(QChar(0)) + QStringLiteral("nul"),
        QStringLiteral("Größe €"),
        QStringLiteral("数据源_Measures"),
        QString::fromUcs4(U"emoji \U0001F600"),
        QStringLiteral("FoodMart_Sales"),
        QString(10000, u'k'),
    };
}

QString randomText(QRandomGenerator& random) {
    static const QString alphabet = QStringLiteral("ab /\\%=;[]#\"', \t\n@Ü数2F5C");
    QString text;
    const int length = random.bounded(0, 24);
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(alphabet.size()));
    return text;
}

// Reads the file freshly under another name, so that nothing comes from what this process
// still holds in memory for the original.
QString readFromCopy(const QString& section, const QString& key) {
    const QString copy = freshFolder() + u"/copy.conf";
    EXPECT_TRUE(QFile::copy(SettingsFilePath(App), copy));
    const QSettings settings(copy, QSettings::IniFormat);
    return settings.value(EscapeSettingKey(section) + u'/' + EscapeSettingKey(key), QStringLiteral("<none>"))
        .toString();
}

TEST(SettingKeyEscaping, RoundTripsAnyTextAndLeavesNoStructure) {
    QStringList texts = awkwardTexts();
    QRandomGenerator random(4);
    for (int i = 0; i < 2000; ++i)
        texts << randomText(random);
    for (const QString& text : texts) {
        const QString escaped = EscapeSettingKey(text);
        EXPECT_EQ(UnescapeSettingKey(escaped), text) << text.toStdString();
        EXPECT_FALSE(escaped.isEmpty());
        EXPECT_FALSE(escaped.contains(u'/') || escaped.contains(u'\\')) << escaped.toStdString();
    }
    EXPECT_EQ(EscapeSettingKey(QStringLiteral("Root_Partitions")), QStringLiteral("Root_Partitions"));
    // Text that was never escaped comes back as it stands where it is no escape.
    EXPECT_EQ(UnescapeSettingKey(QStringLiteral("100%zz%2")), QStringLiteral("100%zz%2"));
}

class SettingsStoreFile : public ::testing::Test {
protected:
    QString home = freshFolder();
    ScopedEnv config{"XDG_CONFIG_HOME", home};
};

TEST_F(SettingsStoreFile, LivesUnderTheConfigFolderOfTheApplication) {
    SaveSetting(App, Section, QStringLiteral("ReportPageWithIndex"), QStringLiteral("X"));
    EXPECT_EQ(SettingsFilePath(App), home + u"/Kavenor/Kavenor.conf");
    EXPECT_TRUE(QFileInfo::exists(home + u"/Kavenor/Kavenor.conf"));
    // Written atomically: only the file itself remains, no temporary or lock file.
    EXPECT_EQ(QDir(home + u"/Kavenor").entryList(QDir::Files), QStringList{QStringLiteral("Kavenor.conf")});

    const ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(SettingsFilePath(App), QDir::homePath() + u"/.config/Kavenor/Kavenor.conf");
    const ScopedEnv relative("XDG_CONFIG_HOME", QStringLiteral("relative/dir"));
    EXPECT_EQ(SettingsFilePath(App), QDir::homePath() + u"/.config/Kavenor/Kavenor.conf");
}

TEST_F(SettingsStoreFile, KeysAndValuesComeBackUnchanged) {
    const QStringList texts = awkwardTexts();
    {
        SettingsStore store(App);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            store.save(Section, texts[i], QString::number(i));
            store.save(QStringLiteral("Values"), QString::number(i), texts[i]);
            store.save(texts[i], QStringLiteral("section"), texts[i]);
        }
        store.commit();
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const std::string name = texts[i].left(40).toStdString();
        EXPECT_EQ(GetSetting(App, Section, texts[i], QString()), QString::number(i)) << name;
        EXPECT_EQ(readFromCopy(Section, texts[i]), QString::number(i)) << name;
        EXPECT_EQ(readFromCopy(QStringLiteral("Values"), QString::number(i)), texts[i]) << name;
        EXPECT_EQ(readFromCopy(texts[i], QStringLiteral("section")), texts[i]) << name;
    }
}

TEST_F(SettingsStoreFile, MissingKeysGiveTheDefaultAndKeysAreCaseSensitive) {
    EXPECT_EQ(GetSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X")),
              QStringLiteral("X"));
    SaveSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral(" "));
    SaveSetting(App, Section, QStringLiteral("root_measures"), QStringLiteral("X"));
    EXPECT_EQ(GetSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X")),
              QStringLiteral(" "));
    EXPECT_EQ(GetSetting(App, Section, QStringLiteral("ROOT_MEASURES"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(GetSetting(App, QStringLiteral("cubes"), QStringLiteral("Root_Measures"), QStringLiteral("d")),
              QStringLiteral("d"));
    // A later save replaces the value; other keys stay.
    SaveSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X"));
    EXPECT_EQ(readFromCopy(Section, QStringLiteral("Root_Measures")), QStringLiteral("X"));
    EXPECT_EQ(readFromCopy(Section, QStringLiteral("root_measures")), QStringLiteral("X"));
}

TEST_F(SettingsStoreFile, AFileThatCannotBeWrittenIsAnError) {
    // The configuration folder is a plain file, so nothing can be created below it.
    const QString blocked = home + u"/blocked";
    writeBytes(blocked, "not a folder");
    const ScopedEnv config2("XDG_CONFIG_HOME", blocked);
    EXPECT_THROW(SaveSetting(App, Section, QStringLiteral("k"), QStringLiteral("X")), Error);
    EXPECT_EQ(GetSetting(App, Section, QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
}

TEST_F(SettingsStoreFile, ApplicationNamesMustBeOneFolderName) {
    for (const QString& name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b")})
        EXPECT_THROW(GetSetting(name, Section, QStringLiteral("k"), QString()), Error) << name.toStdString();
}

} // namespace
