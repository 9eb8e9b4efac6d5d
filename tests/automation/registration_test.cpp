#include "automation/automationerrors.h"
#include "automation/registration.h"
#include "model/error.h"
#include "tests/support/testsupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;
using Lorvantic::Test::ScopedEnv;
namespace lt = Lorvantic::Test;

namespace {

class RegistrationTest : public ::testing::Test {
protected:
    const QString home = lt::freshFolder();
    ScopedEnv dataHome{"XDG_DATA_HOME", home};
    const QString folder = home + u"/Lorvantic"_s;
    const QString library = u"/opt/lorvantic/lib/liblorvantic.so.1"_s;

    QStringList entries() const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QJsonObject entryOf(const QString& progId) const {
        return QJsonDocument::fromJson(lt::readBytes(folder + u'/' + progId + u".json"_s)).object();
    }
};

const QStringList ourEntries = {u"Lorvantic.MetaSelCube.json"_s, u"Lorvantic.MetaSelDim.json"_s,
                                u"Lorvantic.MetaSelMain.json"_s, u"Lorvantic.MetaSelRole.json"_s};

} // namespace

// Linked into this program, the code's own file is the program; registering again changes
// nothing unless the library moved.
TEST_F(RegistrationTest, WritesOneEntryPerClassAndRewritesOnlyWhenTheLibraryMoved) {
    RegisterServer();
    EXPECT_EQ(QFileInfo(entryOf(u"Lorvantic.MetaSelCube"_s)[u"library"_s].toString()).canonicalFilePath(),
              QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    RegisterServer(library);
    EXPECT_EQ(RegistrationFolder(), folder);
    EXPECT_EQ(entries(), ourEntries);
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    QHash<QString, QByteArray> bytes;
    for (const QString& name : ourEntries) {
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(old, QFileDevice::FileModificationTime));
        bytes[file.fileName()] = file.readAll();
        EXPECT_EQ(bytes[file.fileName()], lt::readBytes(lt::dataPath(u"automation/"_s + name)))
            << name.toStdString();
    }
    RegisterServer(library);
    EXPECT_EQ(entries(), ourEntries);
    for (const QString& path : bytes.keys()) {
        EXPECT_EQ(lt::readBytes(path), bytes[path]) << path.toStdString();
        EXPECT_EQ(QFileInfo(path).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    }
    RegisterServer(u"/usr/lib/liblorvantic.so.1"_s);
    EXPECT_EQ(entryOf(u"Lorvantic.MetaSelRole"_s)[u"library"_s].toString(), u"/usr/lib/liblorvantic.so.1"_s);
}

// Others' files stay; no empty folder is left; a second unregistering is no fault.
TEST_F(RegistrationTest, UnregisteringRemovesExactlyTheEntries) {
    RegisterServer(library);
    UnregisterServer();
    EXPECT_FALSE(QFileInfo::exists(folder));
    UnregisterServer();
    EXPECT_TRUE(QDir(home).isEmpty());

    RegisterServer(library);
    lt::writeBytes(folder + u"/Other.Component.json"_s, "{}");
    lt::writeBytes(folder + u"/notes.txt"_s, "mine");
    ASSERT_TRUE(QDir(folder).mkdir(u"Lorvantic.MetaSelCube"_s));
    UnregisterServer();
    EXPECT_EQ(entries(),
              QStringList({u"Lorvantic.MetaSelCube"_s, u"Other.Component.json"_s, u"notes.txt"_s}));
    EXPECT_EQ(lt::readBytes(folder + u"/notes.txt"_s), "mine");
}

TEST_F(RegistrationTest, FailsWhenTheFolderCannotBeMade) {
    lt::writeBytes(folder, "not a folder");
    const lt::Failure failure = lt::failureOf([&] { RegisterServer(library); });
    EXPECT_EQ(failure.number, ErrorNumber::RegistrationFailed);
    EXPECT_TRUE(failure.description.contains(u"Lorvantic"_s)) << failure.description.toStdString();
    EXPECT_EQ(lt::readBytes(folder), "not a folder");
}
