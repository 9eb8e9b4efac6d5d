// The settings store under stress: processes saving at once, damaged or unreadable files, and keys
// of any length and any characters.

#include "error.h"
#include "settingsstore.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Lorvantic;
using namespace Lorvantic::Test;

namespace {

const QString App = QStringLiteral("Kavenor");
const QString Section = QStringLiteral("Cubes");

class SettingsStoreStress : public ::testing::Test {
protected:
    QString home = freshFolder();
    ScopedEnv config{"XDG_CONFIG_HOME", home};

    QString folder() const { return home + u"/Kavenor"; }
    QStringList keptAside() const {
        return QDir(folder()).entryList({QStringLiteral("Kavenor.conf.corrupt-*")},
                                        QDir::AllEntries | QDir::System | QDir::Hidden);
    }
};

pid_t startChild(const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    return child;
}

bool exitedCleanly(pid_t child) {
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

QString checkedKey(char process, int round, int item) {
    return QStringLiteral("%1_Database %2_Cube %3").arg(QLatin1Char(process)).arg(round).arg(item);
}

// Every character class the names of a server may hold, surrogate pairs included.
QString anyCharacters(qsizetype length) {
    QString text;
    char32_t next = 0;
    while (text.size() < length) {
        const char32_t c = next++ % 0x30000;
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        text += QString::fromUcs4(&c, 1);
    }
    return text.left(length);
}

} // namespace

TEST_F(SettingsStoreStress, TwoProcessesSavingAtOnceKeepEachOthersKeys) {
    constexpr int Rounds = 25;
    constexpr int Items = 4;
    SaveSetting(App, Section, QStringLiteral("ReportPageWithIndex"), QStringLiteral("X"));
    auto saver = [](char process) {
        return [process] {
            for (int round = 0; round < Rounds; ++round) {
                SettingsStore store(App);
                for (int item = 0; item < Items; ++item)
                    store.save(Section, checkedKey(process, round, item), QStringLiteral("X"));
                store.commit();
            }
        };
    };
    const pid_t first = startChild(saver('A'));
    const pid_t second = startChild(saver('B'));
    ASSERT_TRUE(exitedCleanly(first));
    ASSERT_TRUE(exitedCleanly(second));

    SettingsStore store(App);
    EXPECT_EQ(store.get(Section, QStringLiteral("ReportPageWithIndex"), QString()), QStringLiteral("X"));
    for (const char process : {'A', 'B'})
        for (int round = 0; round < Rounds; ++round)
            for (int item = 0; item < Items; ++item)
                EXPECT_EQ(store.get(Section, checkedKey(process, round, item), QStringLiteral("lost")),
                          QStringLiteral("X"))
                    << checkedKey(process, round, item).toStdString();
}

TEST_F(SettingsStoreStress, ADamagedFileGivesTheDefaultsAndIsKeptAside) {
    const struct {
        const char* what;
        QByteArray bytes;
    } damaged[] = {
        {"a section header without its bracket", "[Cubes\nRoot_Measures=\" \"\n"},
        {"a line without a value", "[Cubes]\nRoot_Measures\nReportPageWithIndex=X\n"},
        {"binary bytes", QByteArray("\x00\xff\xfe[\x01\x02\n\x7f=", 10)},
    };
    for (const auto& file : damaged) {
        SCOPED_TRACE(file.what);
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        writeBytes(SettingsFilePath(App), file.bytes);

        EXPECT_EQ(GetSetting(App, Section, QStringLiteral("ReportPageWithIndex"), QStringLiteral(" ")),
                  QStringLiteral(" "));
        EXPECT_EQ(GetSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X")),
                  QStringLiteral("X"));
        const QStringList aside = keptAside();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(readBytes(folder() + u'/' + aside.front()), file.bytes);

        // The next save starts a fresh file and leaves the damaged one where it was put.
        SaveSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral(" "));
        EXPECT_EQ(GetSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X")),
                  QStringLiteral(" "));
        EXPECT_EQ(keptAside(), aside);
        EXPECT_EQ(readBytes(folder() + u'/' + aside.front()), file.bytes);
    }
}

TEST_F(SettingsStoreStress, AnUnreadableFileGivesTheDefaultsAndIsKeptAside) {
    // A folder where the file should be cannot be read as one, even by root.
    QDir().mkpath(SettingsFilePath(App));
    writeBytes(SettingsFilePath(App) + u"/inside", "kept");
    EXPECT_EQ(GetSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X")),
              QStringLiteral("X"));
    const QStringList aside = keptAside();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readBytes(folder() + u'/' + aside.front() + u"/inside"), QByteArray("kept"));

    SaveSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral(" "));
    EXPECT_EQ(GetSetting(App, Section, QStringLiteral("Root_Measures"), QStringLiteral("X")),
              QStringLiteral(" "));
}

TEST_F(SettingsStoreStress, KeysOfTenThousandCharactersOfAnyKindRoundTrip) {
    const QString ascii = [] {
        QString text;
        while (text.size() < 10000)
            for (char16_t c = 0; c < 128 && text.size() < 10000; ++c)
                text += QChar(c);
        return text;
    }();
    const QStringList keys = {ascii, anyCharacters(10000), QString(10000, u'/'), QString(10000, u'%'),
                              QString(10000, u' ')};
    {
        SettingsStore store(App);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            store.save(Section, keys[i], QString::number(i));
            store.save(keys[i], QStringLiteral("value"), keys[i]);
        }
        store.commit();
    }
    // A fresh store reads the file again.
    const SettingsStore store(App);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(store.get(Section, keys[i], QStringLiteral("lost")), QString::number(i)) << i;
        EXPECT_EQ(store.get(keys[i], QStringLiteral("value"), QStringLiteral("lost")), keys[i]) << i;
    }
    EXPECT_TRUE(keptAside().isEmpty());
}
