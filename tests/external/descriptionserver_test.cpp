#include "error.h"
#include "olap.h"
#include "serverfiles.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
namespace Support = Lorvantic::Test;

namespace {

struct Failure {
    qint32 number = 0;
    QString description;
};

Failure connectFailure(Server& server, const QString& name) {
    try {
        server.Connect(name);
    } catch (const Error& e) {
        return {e.number(), e.description()};
    }
    ADD_FAILURE() << "connecting to '" << name.toStdString() << "' succeeded";
    return {};
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

QByteArray withDatabases(const QByteArray& databases) {
    return R"({"format": "olap-server/1", "name": "S", "databases": [)" + databases + "]}";
}

// "line:column" of marker's first occurrence (moved on by skip bytes); columns count characters.
QString positionOf(const QByteArray& json, const QByteArray& marker, qsizetype skip) {
    const qsizetype found = json.indexOf(marker);
    EXPECT_GE(found, 0) << marker.toStdString();
    const QByteArray before = json.left(found + skip);
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

TEST_F(ServerFiles, EveryBadFileNamesServerFileLineColumnAndCause) {
    const struct {
        QByteArray json;
        QByteArray marker; // where the fault is reported
        qsizetype skip;
        const char* message;
    } cases[] = {
        {"{\"format\": \"olap-server/1\"\n  \"name\": \"S\"}", "\"name\"", 0,
         "expected ',' or '}' after a member, found '\"'"},
        {R"({"format": "olap-server/1", "name": "S", "databases": [)", "", 55,
         "the file ends inside a list (missing ']')"},
        {"", "", 0, "the file ends where a value is expected"},
        {R"(["olap-server/1"])", "[", 0, "a server description is an object, not a list"},
        {R"({"name": "S"})", "{", 0, "this server description has no \"format\""},
        {R"({"format": "olap-server/2", "name": "S"})", "\"olap-server/2\"", 0,
         "\"format\" \"olap-server/2\" is not supported (expected \"olap-server/1\")"},
        {R"({"format": "olap-server/1", "name": "S", "name": "T"})", "\"name\": \"T\"", 0,
         "\"name\" appears twice"},
        {withDatabases(R"({"cubes": []})"), "{\"cubes\"", 0, "this database has no \"name\""},
        {withDatabases(R"({"name": "D", "roles": [{"name": ""}]})"), "\"\"", 0, "\"name\" must not be empty"},
        {withDatabases("{\"name\": \"D\", \"dimensions\": [{\"name\": \"Time\"}],\n"
                       " \"cubes\": [{\"name\": \"C\", \"dimensions\": [\"Time\", \"Tme\"]}]}"),
         "\"Tme\"", 0, "database \"D\" has no dimension named \"Tme\""},
        {withDatabases("{\"name\": \"D\", \"cubes\": [{\"name\": \"C\", \"dimensions\": [\"Tme\"]}],\n"
                       " \"dimensions\": [{\"name\": \"Time\"}]}"),
         "\"Tme\"", 0, "database \"D\" has no dimension named \"Tme\""},
        {withDatabases(R"({"name": "D", "cubes": [{"name": "C", "roles": ["Admins"]}], "roles": []})"),
         "\"Admins\"", 0, "database \"D\" has no role named \"Admins\""},
        {withDatabases(R"({"name": "A", "dimensions": [{"name": "Time"}]},
                          {"name": "B", "cubes": [{"name": "C", "dimensions": ["Time"]}]})"),
         "[\"Time\"]", 1, "database \"B\" has no dimension named \"Time\""},
        {withDatabases(R"({"name": "D", "cubes": [{"name": "C"}, {"name": "C"}]})"), "\"C\"}]", 0,
         "another cube of this database is also named \"C\""},
        {withDatabases(R"({"name": "D"}, {"name": "D"})"), "\"D\"}]", 0,
         "another database of this server is also named \"D\""},
        {withDatabases("{\"name\": \"D\", \"cubes\": [{\"name\": \"C\",\n"
                       "  \"commands\": [{\"name\": \"X\", \"solveOrder\": 40000}]}]}"),
         "40000", 0, "\"solveOrder\" 40000 is out of range (-32768 to 32767)"},
        {withDatabases(R"({"name": "D", "cubes": [{"name": "C", "state": "1"}]})"), "\"1\"", 0,
         "\"state\" must be a number, not a text"},
        {withDatabases(R"({"name": "D", "dimensions": [{"name": "T", "shared": 1}]})"), "1}", 0,
         "\"shared\" must be true or false, not a number"},
        {R"({"format": "olap-server/1", "name": "S", "databases": {}})", "{}", 0,
         "\"databases\" must be a list, not an object"},
        {withDatabases(R"({"name": "D", "cubes": ["Sales"]})"), "\"Sales\"", 0,
         "each entry of \"cubes\" must be an object, not a text"},
        {withDatabases(R"({"name": 5})"), "5", 0, "\"name\" must be a text, not a number"},
        {withDatabases(R"({"name": "D", "cubes": [{"name": "C", "lastProcessed": "2026-11-31T00:00:00"}]})"),
         "\"2026-11-31", 0,
         "\"lastProcessed\" \"2026-11-31T00:00:00\" is not a local date and time like 2026-11-30T14:05:00"},
        {withDatabases("{\"name\": \"Caf\xE9\"}"), "\xE9", 0,
         "invalid UTF-8: the character starting with byte 0xE9 is malformed"},
        {withDatabases("{\"name\": \"Z\xC3\xBCrich\", \"cubes\": [{\"name\": \"a\tb\"}]}"), "\t", 0,
         "control character U+0009 inside a text"},
        {R"({"format": "olap-server/1", "name": "S", "extra": )" + QByteArray(100, '[') +
             QByteArray(100, ']') + "}",
         "\"extra\"", 9 + 63, "objects and lists are nested more than 64 deep"},
        {R"({"format": "olap-server/1", "name": "S"})"
         "\n}",
         "\n}", 1, "unexpected '}' after the end of the data"},
    };
    for (const auto& c : cases) {
        const QString path = write(QStringLiteral("x.json"), c.json);
        const Failure failure = connectFailure(QStringLiteral("x"));
        EXPECT_EQ(failure.number, ErrorNumber::BadDescription) << c.message;
        const QString expected = QStringLiteral("Server 'x': ") + path + u':' +
                                 positionOf(c.json, c.marker, c.skip) + QStringLiteral(": ") +
                                 QString::fromUtf8(c.message);
        EXPECT_TRUE(failure.description.startsWith(expected))
            << "got:      " << failure.description.toStdString() << "\nexpected: " << expected.toStdString();
    }
}

TEST_F(ServerFiles, ConnectsByBareNameAndByPath) {
    const QString path = write(QStringLiteral("Demo One.json"), described("OLAPTEST01"));
    EXPECT_EQ(connectedName(QStringLiteral("Demo One")), QStringLiteral("OLAPTEST01"));
    EXPECT_EQ(connectedName(path), QStringLiteral("OLAPTEST01"));
    // A path is read whatever its suffix.
    EXPECT_EQ(connectedName(write(QStringLiteral("plain"), described("PLAIN"))), QStringLiteral("PLAIN"));
    const QString relative = QDir::current().relativeFilePath(path);
    EXPECT_EQ(connectedName(relative), QStringLiteral("OLAPTEST01"));
}

TEST_F(ServerFiles, PrefersTheExactNameThenIgnoresLetterCase) {
    write(QStringLiteral("MixedCase.json"), described("MIXED"));
    write(QStringLiteral("demo.json"), described("LOWER"));
    write(QStringLiteral("DEMO.json"), described("UPPER"));
    write(QStringLiteral("Other.JSON"), described("OTHER"));
    const struct {
        const char* name;
        const char* server;
    } cases[] = {
        {"MixedCase", "MIXED"}, {"mixedcase", "MIXED"}, {"MIXEDCASE", "MIXED"}, {"demo", "LOWER"},
        {"DEMO", "UPPER"},      {"Demo", "UPPER"}, // no exact file: the first spelling in code order
        {"other", "OTHER"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(connectedName(QLatin1String(c.name)), QLatin1String(c.server)) << c.name;
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
    const Support::ScopedEnv innerPath("LORVANTIC_SERVER_PATH", folder + QStringLiteral("/inner"));
    const struct {
        QString name;
        const char* description;
    } cases[] = {
        {QString(), "Server '': no server name given"},
        {QStringLiteral("nothing"),
         "Server 'nothing': no server description named nothing (.json, .xml schema or .asdatabase) in "},
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
        for (const auto& read : std::initializer_list<std::function<void()>>{[&server] { server->Name(); },
                                                                             [&server] {
                                                                                 server->Databases();
                                                                             }}) {
            try {
                read();
                ADD_FAILURE() << "a read before connecting answered";
            } catch (const Error& e) {
                EXPECT_EQ(e.number(), ErrorNumber::NotConnected);
                EXPECT_FALSE(e.description().isEmpty());
            }
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
    write(QStringLiteral("b.json"), "{}");
    write(QStringLiteral("a.json"), "{}");
    write(QStringLiteral("Shadow.json"), "{}");
    write(QStringLiteral("notes.txt"), "{}");
    write(QStringLiteral(".json"), "{}");
    write(QStringLiteral("c.JSON"), "{}", second);
    write(QStringLiteral("shadow.json"), "{}", second);
    write(QStringLiteral("a.json"), "{}", second);
    QDir(second).mkdir(QStringLiteral("d.json"));
    const Support::ScopedEnv env("LORVANTIC_SERVER_PATH", folder + u':' + second);
    const std::vector<ServerDescriptionFile> found = ListServerDescriptions();
    ASSERT_GE(found.size(), 5u);
    const std::pair<QString, QString> expected[] = {
        {QStringLiteral("Shadow"), folder + QStringLiteral("/Shadow.json")},
        {QStringLiteral("a"), folder + QStringLiteral("/a.json")},
        {QStringLiteral("b"), folder + QStringLiteral("/b.json")},
        {QStringLiteral("c"), second + QStringLiteral("/c.JSON")},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(found[i].name, expected[i].first);
        EXPECT_EQ(found[i].path, expected[i].second);
    }
    EXPECT_EQ(found.back().name, QStringLiteral("sample"));
}

// The demo server of the README shows every kind of value the reports interpret.
TEST_F(ServerFiles, TheSampleServerCoversEveryInterpretedCode) {
    const auto server = CreateServer();
    server->Connect(QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/sample.json"));
    EXPECT_EQ(server->Name(), QStringLiteral("OLAPDEMO01"));
    QSet<qint32> storageModes, functions, levelTypes, cubeStates;
    QStringList names;
    int cubes = 0, databasesWithoutCubes = 0, unsized = 0, privateDims = 0, virtualDims = 0, timeDims = 0;
    int memberCommands = 0, otherCommands = 0, multiUserRoles = 0;
    const auto databases = server->Databases();
    ASSERT_GE(databases->Count(), 3);
    for (qint32 d = 1; d <= databases->Count(); ++d) {
        const auto db = databases->Item(d);
        databasesWithoutCubes += db->Cubes()->Count() == 0;
        for (qint32 i = 1; i <= db->Dimensions()->Count(); ++i) {
            const auto dim = db->Dimensions()->Item(i);
            names << dim->Name();
            privateDims += !dim->IsShared() && dim->Name().contains(u'^');
            virtualDims += dim->VirtualCode() == 1;
            timeDims += dim->DimensionType() == 1;
            for (qint32 l = 1; l <= dim->Levels()->Count(); ++l)
                levelTypes << dim->Levels()->Item(l)->LevelType();
        }
        for (qint32 i = 1; i <= db->Roles()->Count(); ++i)
            multiUserRoles += db->Roles()->Item(i)->UsersList().contains(u';');
        for (qint32 c = 1; c <= db->Cubes()->Count(); ++c, ++cubes) {
            const auto cube = db->Cubes()->Item(c);
            names << cube->Name();
            cubeStates << (cube->State() == 0 ? 0 : 1);
            try {
                cube->EstimatedSize();
            } catch (const Error&) {
                ++unsized;
            }
            for (qint32 p = 1; p <= cube->Partitions()->Count(); ++p)
                storageModes << cube->Partitions()->Item(p)->StorageMode();
            for (qint32 m = 1; m <= cube->Measures()->Count(); ++m)
                functions << cube->Measures()->Item(m)->AggregateFunction();
            for (qint32 k = 1; k <= cube->Commands()->Count(); ++k) {
                const QString statement = cube->Commands()->Item(k)->Statement();
                if (statement.startsWith(QStringLiteral("CREATE MEMBER [") + cube->Name() + u']') &&
                    statement.contains(QStringLiteral(" AS '")))
                    ++memberCommands;
                else
                    ++otherCommands;
            }
        }
    }
    EXPECT_GE(cubes, 8);
    EXPECT_GE(databasesWithoutCubes, 1);
    EXPECT_GE(unsized, 1);
    EXPECT_EQ(cubeStates, (QSet<qint32>{0, 1}));
    EXPECT_GE(privateDims, 2);
    EXPECT_GE(virtualDims, 1);
    EXPECT_GE(timeDims, 1);
    EXPECT_GE(memberCommands, 3);
    EXPECT_GE(otherCommands, 1);
    EXPECT_GE(multiUserRoles, 2);
    EXPECT_TRUE(storageModes.contains(QSet<qint32>{0, 1, 3, 15}));
    EXPECT_GT(storageModes.size(), 4);
    EXPECT_TRUE(functions.contains(QSet<qint32>{0, 1, 2, 3}));
    EXPECT_GT(functions.size(), 4);
    EXPECT_TRUE(levelTypes.contains(QSet<qint32>{20, 36, 68, 132, 260, 516}));
    const QString all = names.join(u'|');
    EXPECT_TRUE(all.contains(u'&'));
    for (const QString& name : names)
        EXPECT_FALSE(name.trimmed().isEmpty());
}

} // namespace
