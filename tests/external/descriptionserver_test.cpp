#include "external/readers/serverfiles.h"
#include "model/olap.h"
#include "tests/schemas/cases.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Qt::StringLiterals;
namespace Support = Lorvantic::Test;
using Support::withDatabases;

namespace {

using Support::Failure;
using Support::failureOf;

Failure connectFailure(Server& server, const QString& name) {
    const Failure failure = failureOf([&] { server.Connect(name); });
    EXPECT_NE(failure.number, 0) << "connecting to '" << name.toStdString() << "' succeeded";
    return failure;
}

Failure connectFailure(const QString& name) {
    return connectFailure(*CreateServer(), name);
}

QString connectedName(const QString& name) {
    return Support::connectedServer(name)->Name();
}

QByteArray described(const char* serverName) {
    return R"({"format": "olap-server/1", "name": ")" + QByteArray(serverName) + "\"}";
}

// "line:column" of marker's first occurrence; columns count characters.
QString positionOf(const QByteArray& json, const QByteArray& marker) {
    const qsizetype found = json.indexOf(marker);
    EXPECT_GE(found, 0) << marker.toStdString();
    const QByteArray before = json.left(found);
    const QByteArray line = before.mid(before.lastIndexOf('\n') + 1);
    return QString::number(before.count('\n') + 1) + u':' +
           QString::number(QString::fromUtf8(line).toUcs4().size() + 1);
}

// Every test gets its own search folder, searched before the user's and the shipped ones.
class ServerFiles : public testing::Test {
protected:
    QString write(const QString& name, const QByteArray& json, const QString& where = QString()) {
        const QString path = (where.isEmpty() ? folder : where) + u'/' + name;
        Support::writeBytes(path, json);
        return path;
    }

    const QString folder = Support::freshFolder();
    const Support::ScopedEnv searchPath{"LORVANTIC_SERVER_PATH", folder};
};

// The files: tests/data/external/descriptions-bad.txt.
TEST_F(ServerFiles, EveryBadFileNamesServerFileLineColumnAndCause) {
    for (const Support::Case& c : Support::cases(u"external/descriptions-bad.txt"_s)) {
        const QString path = write(QStringLiteral("x.json"), c[0]);
        const Failure failure = connectFailure(QStringLiteral("x"));
        EXPECT_EQ(failure.number, ErrorNumber::BadDescription) << c[2].toStdString();
        const QString expected = QStringLiteral("Server 'x': ") + path + u':' + positionOf(c[0], c[1]) +
                                 QStringLiteral(": ") + Support::text(c[2]);
        EXPECT_TRUE(failure.description.startsWith(expected))
            << "got:      " << failure.description.toStdString() << "\nexpected: " << expected.toStdString();
    }
}

// The steps: tests/data/external/server-search.txt.
TEST_F(ServerFiles, FindsDescriptionsAsTheSearchStepsSay) {
    const QString second = Support::freshFolder();
    const QString user = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/lorvantic/servers");
    const auto expand = [&](const QByteArray& field) {
        return Support::text(field)
            .replace(u"$RF"_s, QDir::current().relativeFilePath(folder))
            .replace(u"$F"_s, folder)
            .replace(u"$G"_s, second)
            .replace(u"$U"_s, user);
    };
    QStringList planted;
    std::optional<Support::ScopedEnv> stepPath;
    for (const Support::Case& c : Support::cases(u"external/server-search.txt"_s)) {
        SCOPED_TRACE(c.join('\t').toStdString());
        const QString name = expand(c.value(1));
        const QString expected = expand(c.value(2));
        if (c[0] == "put") {
            QDir().mkpath(QFileInfo(name).path());
            Support::writeBytes(name, described(c[2]));
            planted << name;
        } else if (c[0] == "mkdir") {
            QDir().mkpath(name);
        } else if (c[0] == "path") {
            stepPath.reset();
            stepPath.emplace("LORVANTIC_SERVER_PATH", name);
        } else if (c[0] == "find") {
            EXPECT_EQ(connectedName(name), expected);
        } else {
            const Failure failure = connectFailure(name);
            EXPECT_EQ(failure.number, ErrorNumber::ServerNotFound);
            EXPECT_TRUE(failure.description.startsWith(expected)) << failure.description.toStdString();
        }
    }
    for (const QString& file : planted)
        QFile::remove(file);
}

TEST_F(ServerFiles, SearchFoldersAndUnreadableFiles) {
    const QString second = Support::freshFolder();
    const Support::ScopedEnv env("LORVANTIC_SERVER_PATH", folder + u':' + second + u':' + folder);
    const QStringList folders = ServerSearchFolders();
    ASSERT_GE(folders.size(), 4);
    EXPECT_EQ(folders.mid(0, 3),
              (QStringList{folder, second, qEnvironmentVariable("XDG_DATA_HOME") + u"/lorvantic/servers"_s}));
    EXPECT_EQ(folders.back(), QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers"));
    {
        const Support::ScopedEnv relativeData("XDG_DATA_HOME", QStringLiteral("relative/data"));
        EXPECT_EQ(ServerSearchFolders().at(2),
                  QDir::homePath() + QStringLiteral("/.local/share/lorvantic/servers"));
    }
    if (geteuid() != 0) { // root reads every file
        const QString locked = write(QStringLiteral("locked.json"), described("LOCKED"));
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        const Failure failure = connectFailure(QStringLiteral("locked"));
        EXPECT_EQ(failure.number, ErrorNumber::UnreadableDescription);
        EXPECT_TRUE(failure.description.startsWith(QStringLiteral("Server 'locked': ") + locked +
                                                   QStringLiteral(": cannot be opened")));
    }
}

TEST_F(ServerFiles, ReadsFailUntilAConnectSucceedsAndAFailedConnectChangesNothing) {
    const auto server = CreateServer();
    const auto expectNotConnected = [&server] {
        for (const Failure& failure :
             {failureOf([&] { server->Name(); }), failureOf([&] { server->Databases(); })}) {
            EXPECT_EQ(failure.number, ErrorNumber::NotConnected);
            EXPECT_FALSE(failure.description.isEmpty());
        }
    };
    expectNotConnected();
    write(QStringLiteral("bad.json"), withDatabases(R"({"name": "D"}, {"name": 1})"));
    connectFailure(*server, QStringLiteral("bad"));
    expectNotConnected();

    const QString path = write(QStringLiteral("good.json"), withDatabases(R"({"name": "D"})"));
    server->Connect(QStringLiteral("good"));
    const auto databases = server->Databases();
    // Read once at connect: the file is no longer needed.
    QFile::remove(path);
    EXPECT_EQ(server->Name(), QStringLiteral("S"));
    EXPECT_EQ(server->Databases()->Item(1)->Name(), QStringLiteral("D"));
    connectFailure(*server, QStringLiteral("bad"));
    connectFailure(*server, QStringLiteral("good"));
    EXPECT_EQ(server->Databases()->Count(), 1);
    EXPECT_EQ(databases->Item(QStringLiteral("D"))->Name(), QStringLiteral("D"));
}

TEST_F(ServerFiles, ListsTheDescriptionsABareNameReaches) {
    const QString second = Support::freshFolder();
    for (const char* name : {"b.json", "a.json", "Shadow.json", "notes.txt", ".json"})
        write(QLatin1String(name), "{}");
    for (const char* name : {"c.JSON", "shadow.json", "a.json"})
        write(QLatin1String(name), "{}", second);
    QDir(second).mkdir(QStringLiteral("d.json"));
    const Support::ScopedEnv env("LORVANTIC_SERVER_PATH", folder + u':' + second);
    QStringList found;
    for (const ServerDescriptionFile& file : ListServerDescriptions())
        found << file.name + u'=' + file.path;
    ASSERT_GE(found.size(), 5);
    EXPECT_EQ(found.mid(0, 4),
              (QStringList{u"Shadow="_s + folder + u"/Shadow.json"_s, u"a="_s + folder + u"/a.json"_s,
                           u"b="_s + folder + u"/b.json"_s, u"c="_s + second + u"/c.JSON"_s}));
    EXPECT_TRUE(found.back().startsWith(u"sample="_s));
}

} // namespace
