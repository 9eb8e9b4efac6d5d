#include "external/olap.h"
#include "external/readers/serverfiles.h"
#include "tests/schemas/cases.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Qt::StringLiterals;
namespace Support = Lorvantic::Test;
using Support::withDatabases;

namespace {

struct Failure {
    qint32 number = 0;
    QString description;
};

Failure failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return {e.number(), e.description()};
    }
    return {};
}

Failure connectFailure(Server& server, const QString& name) {
    const Failure failure = failureOf([&] { server.Connect(name); });
    EXPECT_NE(failure.number, 0) << "connecting to '" << name.toStdString() << "' succeeded";
    return failure;
}

Failure connectFailure(const QString& name) {
    return connectFailure(*CreateServer(), name);
}

QString connectedName(const QString& name) {
    const auto server = CreateServer();
    server->Connect(name);
    return server->Name();
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

TEST_F(ServerFiles, FindsTheFileByPathOrByNamePreferringTheExactSpelling) {
    const QString path = write(u"Demo One.json"_s, described("OLAPTEST01"));
    write(u"MixedCase.json"_s, described("MIXED"));
    write(u"demo.json"_s, described("LOWER"));
    write(u"DEMO.json"_s, described("UPPER"));
    write(u"Other.JSON"_s, described("OTHER"));
    const std::pair<QString, const char*> cases[] = {
        {u"Demo One"_s, "OLAPTEST01"},
        {path, "OLAPTEST01"},
        {QDir::current().relativeFilePath(path), "OLAPTEST01"},
        {write(u"plain"_s, described("PLAIN")), "PLAIN"}, // a path is read whatever its suffix
        {u"MixedCase"_s, "MIXED"},
        {u"mixedcase"_s, "MIXED"},
        {u"MIXEDCASE"_s, "MIXED"},
        {u"demo"_s, "LOWER"},
        {u"DEMO"_s, "UPPER"},
        {u"Demo"_s, "UPPER"}, // no exact file: the first spelling in code order
        {u"other"_s, "OTHER"},
    };
    for (const auto& [name, server] : cases)
        EXPECT_EQ(connectedName(name), QLatin1String(server)) << name.toStdString();
}

TEST_F(ServerFiles, SearchesTheFoldersInOrder) {
    const QString first = Support::freshFolder();
    const QString second = Support::freshFolder();
    const QString user = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/lorvantic/servers");
    QDir().mkpath(user);
    write(QStringLiteral("x.json"), described("FIRST"), first);
    write(QStringLiteral("x.json"), described("SECOND"), second);
    write(QStringLiteral("Y.json"), described("FIRST-Y"), first);
    write(QStringLiteral("y.json"), described("SECOND-Y"), second);
    write(QStringLiteral("x.json"), described("USER"), user);
    write(QStringLiteral("u.json"), described("USER-U"), user);
    const auto connectVia = [](const QString& path, const char* name) {
        const Support::ScopedEnv env("LORVANTIC_SERVER_PATH", path);
        return connectedName(QLatin1String(name));
    };
    EXPECT_EQ(connectVia(first + u':' + second, "x"), QStringLiteral("FIRST"));
    EXPECT_EQ(connectVia(second + u':' + first, "x"), QStringLiteral("SECOND"));
    EXPECT_EQ(connectVia(QStringLiteral(":") + second + QStringLiteral("::") + first + u':', "x"),
              QStringLiteral("SECOND"));
    // The first folder with the name in any letter case wins over an exact match further on.
    EXPECT_EQ(connectVia(first + u':' + second, "y"), QStringLiteral("FIRST-Y"));
    EXPECT_EQ(connectVia(QString(), "x"), QStringLiteral("USER"));
    EXPECT_EQ(connectVia(QString(), "u"), QStringLiteral("USER-U"));
    EXPECT_EQ(connectVia(QString(), "sample"), QStringLiteral("OLAPDEMO01"));
    QFile::remove(user + QStringLiteral("/x.json"));
    QFile::remove(user + QStringLiteral("/u.json"));

    const Support::ScopedEnv env("LORVANTIC_SERVER_PATH", first + u':' + second + u':' + first);
    const QStringList folders = ServerSearchFolders();
    ASSERT_GE(folders.size(), 4);
    EXPECT_EQ(folders.mid(0, 3), (QStringList{first, second, user}));
    EXPECT_EQ(folders.back(), QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers"));
    const Support::ScopedEnv relativeData("XDG_DATA_HOME", QStringLiteral("relative/data"));
    EXPECT_EQ(ServerSearchFolders().at(2),
              QDir::homePath() + QStringLiteral("/.local/share/lorvantic/servers"));
}

TEST_F(ServerFiles, NamesThatLeadNowhereFail) {
    QDir(folder).mkdir(QStringLiteral("folder.json"));
    // A name with a slash is a path and is never looked for inside a search folder.
    QDir(folder).mkdir(QStringLiteral("inner"));
    write(QStringLiteral("outside.json"), described("OUTSIDE"));
    // A bare name reaches only files with a description suffix.
    write(QStringLiteral("bare"), described("BARE"), folder + QStringLiteral("/inner"));
    const Support::ScopedEnv innerPath("LORVANTIC_SERVER_PATH", folder + QStringLiteral("/inner"));
    const struct {
        QString name;
        const char* description;
    } cases[] = {
        {QString(), "Server '': no server name given"},
        {QStringLiteral("nothing"),
         "Server 'nothing': no server description named nothing (.json, .xml schema or .asdatabase) in "},
        {QStringLiteral("Bare"),
         "Server 'Bare': no server description named Bare (.json, .xml schema or .asdatabase) in "},
        {QStringLiteral("../folder"), "Server '../folder': no such file"},
        {QStringLiteral("../outside"), "Server '../outside': no such file"},
        {QStringLiteral("no/such/file.json"), "Server 'no/such/file.json': no such file"},
    };
    for (const auto& c : cases) {
        const Failure failure = connectFailure(c.name);
        EXPECT_EQ(failure.number, ErrorNumber::ServerNotFound) << c.description;
        EXPECT_TRUE(failure.description.startsWith(QString::fromUtf8(c.description)))
            << failure.description.toStdString();
    }
    EXPECT_TRUE(
        connectFailure(QStringLiteral("nothing")).description.contains(folder + QStringLiteral("/inner, ")));
    const Support::ScopedEnv outerPath("LORVANTIC_SERVER_PATH", folder);
    EXPECT_EQ(connectFailure(QStringLiteral("folder")).number, ErrorNumber::ServerNotFound);
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
