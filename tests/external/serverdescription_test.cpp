#include "error.h"
#include "olap.h"
#include "serverdescription.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

QByteArray withDatabases(const QByteArray& databases) {
    return R"({"format": "olap-server/1", "name": "S", "databases": [)" + databases + "]}";
}

ServerData read(const QByteArray& json) {
    QBuffer buffer;
    buffer.setData(json);
    buffer.open(QIODevice::ReadOnly);
    return ReadJsonDescription(buffer, QStringLiteral("T"));
}

std::shared_ptr<Server> serverOf(const QByteArray& json) {
    return ServerFromModel(std::make_shared<const ServerData>(read(json)));
}

QString failureOf(const QByteArray& json) {
    try {
        read(json);
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::BadDescription);
        return e.description();
    }
    return QString();
}

template <class Read> void expectNotAnswered(Read read, const char* what) {
    try {
        read();
        ADD_FAILURE() << what << " answered";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::NotAnswered) << what;
    }
}

const QByteArray Minimal = withDatabases(R"({
    "name": "D",
    "dimensions": [{"name": "Dim", "levels": [{"name": "L", "memberProperties": [{"name": "P"}]}]}],
    "cubes": [{"name": "C", "partitions": [{"name": "Part"}], "measures": [{"name": "M"}],
               "commands": [{"name": "Cmd"}]}],
    "roles": [{"name": "R"}]
})");

TEST(ServerDescription, MissingMembersTakeTheirDefaults) {
    const auto db = serverOf(Minimal)->Databases()->Item(1);
    const auto cube = db->Cubes()->Item(1);
    EXPECT_EQ(cube->State(), 0);
    EXPECT_EQ(cube->Dimensions()->Count(), 0);
    EXPECT_EQ(cube->Roles()->Count(), 0);
    const auto partition = cube->Partitions()->Item(1);
    EXPECT_EQ(partition->StorageMode(), 0);
    EXPECT_EQ(partition->Aggregations()->Count(), 0);
    EXPECT_EQ(partition->DataSources()->Count(), 0);
    const auto measure = cube->Measures()->Item(1);
    EXPECT_EQ(measure->AggregateFunction(), 0);
    EXPECT_TRUE(measure->FormatString().isEmpty());
    EXPECT_FALSE(measure->IsInternal());
    EXPECT_TRUE(measure->SourceColumn().isEmpty());
    const auto command = cube->Commands()->Item(1);
    EXPECT_EQ(command->SolveOrder(), 0);
    EXPECT_TRUE(command->Statement().isEmpty());
    const auto dimension = db->Dimensions()->Item(1);
    EXPECT_FALSE(dimension->IsShared());
    EXPECT_EQ(dimension->State(), 0);
    EXPECT_EQ(dimension->DimensionType(), 0);
    EXPECT_EQ(dimension->VirtualCode(), 0);
    const auto level = dimension->Levels()->Item(1);
    EXPECT_EQ(level->LevelType(), 0);
    EXPECT_TRUE(level->MemberKeyColumn().isEmpty());
    EXPECT_TRUE(level->MemberNameColumn().isEmpty());
    EXPECT_FALSE(level->IsHidden());
    EXPECT_FALSE(level->EnableAggregations());
    EXPECT_TRUE(level->MemberProperties()->Item(1)->SourceColumn().isEmpty());
    const auto role = db->Roles()->Item(1);
    EXPECT_TRUE(role->Description().isEmpty());
    EXPECT_TRUE(role->UsersList().isEmpty());

    // Sizes and dates that are not written are not answered; neither are they when null.
    expectNotAnswered([&] { return cube->EstimatedSize(); }, "cube estimatedSize");
    expectNotAnswered([&] { return cube->LastProcessed(); }, "cube lastProcessed");
    expectNotAnswered([&] { return dimension->LastProcessed(); }, "dimension lastProcessed");
    expectNotAnswered([&] { return level->EstimatedSize(); }, "level estimatedSize");
    const auto nulls = serverOf(withDatabases(R"({"name": "D", "cubes": [{"name": "C", "state": null,
        "estimatedSize": null, "lastProcessed": null, "partitions": null}]})"));
    const auto nullCube = nulls->Databases()->Item(1)->Cubes()->Item(1);
    EXPECT_EQ(nullCube->State(), 0);
    EXPECT_EQ(nullCube->Partitions()->Count(), 0);
    expectNotAnswered([&] { return nullCube->EstimatedSize(); }, "null estimatedSize");
    expectNotAnswered([&] { return nullCube->LastProcessed(); }, "null lastProcessed");
}

TEST(ServerDescription, ReadsValuesAsWrittenAndIgnoresUnknownMembers) {
    const auto server = serverOf(withDatabases(R"({
      "name": "D", "comment": {"any": [1, "thing", {"deep": [[null]]}]},
      "dimensions": [{"name": "Time", "shared": true, "state": 3, "lastProcessed": "2026-11-30T14:05:09.25",
                      "dimensionType": 1, "virtualCode": 1.0, "x-origin": "import",
                      "levels": [{"name": "Year", "estimatedSize": 2147483647, "levelType": 2e1,
                                  "memberKeyColumn": "\"d\".\"y\"", "memberNameColumn": "n",
                                  "hidden": true, "aggregation": true,
                                  "memberProperties": [{"name": "Fiscal", "sourceColumn": "\"d\".\"f\""}]}]}],
      "cubes": [{"name": "Sales", "state": -7, "lastProcessed": "2026-02-28", "estimatedSize": 1.5e9,
                 "dimensions": ["Time"], "roles": ["All"],
                 "partitions": [{"name": "P", "storageMode": 15, "aggregations": [{"name": "A0"}, {"name": "A1"}],
                                 "dataSources": [{"name": "DS", "connectionString": "Provider=X;Data Source=Y"}]}],
                 "measures": [{"name": "M", "aggregateFunction": -1, "formatString": "#,#", "internal": true,
                               "sourceColumn": "\"f\".\"m\""}],
                 "commands": [{"name": "Profit", "solveOrder": -32768, "statement": "CREATE MEMBER x AS 'y'"}]}],
      "roles": [{"name": "All", "description": "Every user", "users": "CORP\\a;CORP\\b"},
                {"name": "Z\u00fcrich Analysts", "description": "R\u00e9gion \ud83d\ude00", "users": "EMEA\\müller"}]
    })"));
    EXPECT_EQ(server->Name(), QStringLiteral("S"));
    const auto db = server->Databases()->Item(1);
    const auto time = db->Dimensions()->Item(1);
    EXPECT_TRUE(time->IsShared());
    EXPECT_EQ(time->State(), 3);
    EXPECT_EQ(time->LastProcessed(), QDateTime(QDate(2026, 11, 30), QTime(14, 5, 9, 250)));
    EXPECT_EQ(time->LastProcessed().timeSpec(), Qt::LocalTime);
    EXPECT_EQ(time->DimensionType(), 1);
    EXPECT_EQ(time->VirtualCode(), 1);
    const auto year = time->Levels()->Item(1);
    EXPECT_EQ(year->EstimatedSize(), 2147483647);
    EXPECT_EQ(year->LevelType(), 20);
    EXPECT_EQ(year->MemberKeyColumn(), QStringLiteral("\"d\".\"y\""));
    EXPECT_EQ(year->MemberNameColumn(), QStringLiteral("n"));
    EXPECT_TRUE(year->IsHidden());
    EXPECT_TRUE(year->EnableAggregations());
    EXPECT_EQ(year->MemberProperties()->Item(1)->SourceColumn(), QStringLiteral("\"d\".\"f\""));
    const auto cube = db->Cubes()->Item(QStringLiteral("Sales"));
    EXPECT_EQ(cube->State(), -7);
    EXPECT_EQ(cube->LastProcessed(), QDateTime(QDate(2026, 2, 28), QTime(0, 0)));
    EXPECT_EQ(cube->EstimatedSize(), 1.5e9);
    EXPECT_EQ(cube->Dimensions()->Item(1)->Levels()->Item(1)->Name(), QStringLiteral("Year"));
    EXPECT_EQ(cube->Roles()->Item(1)->UsersList(), QStringLiteral("CORP\\a;CORP\\b"));
    const auto partition = cube->Partitions()->Item(1);
    EXPECT_EQ(partition->StorageMode(), 15);
    EXPECT_EQ(partition->Aggregations()->Count(), 2);
    EXPECT_EQ(partition->DataSources()->Item(1)->ConnectionString(),
              QStringLiteral("Provider=X;Data Source=Y"));
    const auto measure = cube->Measures()->Item(1);
    EXPECT_EQ(measure->AggregateFunction(), -1);
    EXPECT_EQ(measure->FormatString(), QStringLiteral("#,#"));
    EXPECT_TRUE(measure->IsInternal());
    const auto command = cube->Commands()->Item(1);
    EXPECT_EQ(command->SolveOrder(), -32768);
    EXPECT_EQ(command->Statement(), QStringLiteral("CREATE MEMBER x AS 'y'"));
    EXPECT_EQ(db->Roles()->Item(1)->Description(), QStringLiteral("Every user"));
    const auto zurich = db->Roles()->Item(QStringLiteral(u"Zürich Analysts"));
    EXPECT_EQ(zurich->Description(), QStringLiteral(u"Région \U0001F600"));
    EXPECT_EQ(zurich->UsersList(), QStringLiteral(u"EMEA\\müller"));
}

TEST(ServerDescription, CollectionsKeepFileOrderCountFromOneAndFindExactNames) {
    // The cube names its dimensions before the database lists them, in an order of its own.
    const auto server = serverOf(withDatabases(R"(
      {"name": "Zeta", "cubes": [{"name": "Beta", "dimensions": ["Two", "One", "Beta^Three"], "roles": ["B", "A"]},
                                 {"name": "Alpha"}],
       "dimensions": [{"name": "One"}, {"name": "Two"}, {"name": "Beta^Three", "shared": false}],
       "roles": [{"name": "A"}, {"name": "B"}]},
      {"name": "Alpha"})"));
    const auto databases = server->Databases();
    ASSERT_EQ(databases->Count(), 2);
    EXPECT_EQ(databases->Item(1)->Name(), QStringLiteral("Zeta"));
    EXPECT_EQ(databases->Item(2)->Name(), QStringLiteral("Alpha"));
    EXPECT_EQ(databases->Item(QStringLiteral("Alpha"))->Cubes()->Count(), 0);
    const auto cubes = databases->Item(1)->Cubes();
    EXPECT_EQ(cubes->Item(1)->Name(), QStringLiteral("Beta"));
    EXPECT_EQ(cubes->Item(2)->Name(), QStringLiteral("Alpha"));
    const auto dims = cubes->Item(1)->Dimensions();
    ASSERT_EQ(dims->Count(), 3);
    EXPECT_EQ(dims->Item(1)->Name(), QStringLiteral("Two"));
    EXPECT_EQ(dims->Item(3)->Name(), QStringLiteral("Beta^Three"));
    EXPECT_FALSE(dims->Item(QStringLiteral("Beta^Three"))->IsShared());
    EXPECT_EQ(cubes->Item(1)->Roles()->Item(1)->Name(), QStringLiteral("B"));

    const auto expectNoItem = [](auto lookup, const char* what) {
        try {
            lookup();
            ADD_FAILURE() << what << " found";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), ErrorNumber::ItemNotFound) << what;
        }
    };
    expectNoItem([&] { return databases->Item(0); }, "position 0");
    expectNoItem([&] { return databases->Item(3); }, "position past the end");
    expectNoItem([&] { return databases->Item(QStringLiteral("zeta")); }, "other letter case");
    expectNoItem([&] { return cubes->Item(QStringLiteral("Beta ")); }, "trailing blank");
    expectNoItem([&] { return dims->Item(QStringLiteral("Three")); }, "private name without its cube");
}

TEST(ServerDescription, ReportsTheFirstFaultWithItsPosition) {
    const struct {
        QByteArray json;
        const char* expected;
    } cases[] = {
        {R"({"format": "olap-server/1", "name": "S", "databases": [{"name": "D", "cubes": [{"name": "C",
 "commands": [{"name": "X", "solveOrder": 32768}]}]}]})",
         "T:2:43: \"solveOrder\" 32768 is out of range (-32768 to 32767)"},
        {R"({"format": "olap-server/1", "name": "S", "databases": [{"name": "D",
  "dimensions": [{"name": "L", "levels": [{"name": "Y", "estimatedSize": -2147483649}]}]}]})",
         "T:2:74: \"estimatedSize\" -2147483649 is out of range (-2147483648 to 2147483647)"},
        {R"({"format": "olap-server/1", "name": "S", "databases": [{"name": "D", "cubes": [{"name": "C", "state": 1e10}]}]})",
         "T:1:103: \"state\" 1e10 is out of range (-2147483648 to 2147483647)"},
        {R"({"format": "olap-server/1", "name": "S", "databases": [{"name": "D", "cubes": [{"name": "C", "state": 99999999999999999999999}]}]})",
         "T:1:103: \"state\" 99999999999999999999999 is out of range"},
        {R"({"format": "olap-server/1", "name": "S", "databases": [{"name": "D", "cubes": [{"name": "C", "estimatedSize": 1e999}]}]})",
         "T:1:111: \"estimatedSize\" 1e999 is out of range"},
        {R"({"format": "olap-server/1", "name": "S", "databases": [{"name": "D", "cubes": [{"name": "C", "state": 0.5}]}]})",
         "T:1:103: \"state\" must be a whole number, not 0.5"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(failureOf(c.json).startsWith(QString::fromUtf8(c.expected)))
            << failureOf(c.json).toStdString() << "\n  expected: " << c.expected;
}

TEST(ServerDescription, RejectsBadDates) {
    for (const char* date : {"2026-11-30 14:05:00", "2026-11-30T14:05:00Z", "2026-11-30T14:05:00+01:00",
                             "2026-02-30T00:00:00", "2026-11-30T24:00:00", "2026-11-30T14", "26-11-30",
                             "2026-11-30T14:05:00.", "2026-11-30T14:05:00.1234567890", "", "2026-1-30"}) {
        const QByteArray json = withDatabases(R"({"name": "D", "cubes": [{"name": "C", "lastProcessed": ")" +
                                              QByteArray(date) + "\"}]}");
        EXPECT_TRUE(
            failureOf(json).contains(QStringLiteral("is not a local date and time like 2026-11-30T14:05:00")))
            << date << ": " << failureOf(json).toStdString();
    }
    for (const char* date :
         {"2026-11-30", "2026-11-30T14:05", "2026-11-30T14:05:00", "2026-11-30T14:05:00.123456789"})
        EXPECT_TRUE(failureOf(withDatabases(R"({"name": "D", "cubes": [{"name": "C", "lastProcessed": ")" +
                                            QByteArray(date) + "\"}]}"))
                        .isEmpty())
            << date;
}

// Linear work only: a quadratic step would take minutes here.
TEST(ServerDescription, ReadsManyCubesAndHugeNamesInBoundedTime) {
    constexpr int Cubes = 100'000;
    QByteArray cubes;
    cubes.reserve(Cubes * 60);
    for (int i = 0; i < Cubes; ++i)
        cubes +=
            R"({"name": "Cube )" + QByteArray::number(i) + R"(", "dimensions": ["Time"], "roles": ["All"]},)";
    cubes.chop(1);
    QElapsedTimer timer;
    timer.start();
    const ServerData many =
        read(withDatabases(R"({"name": "D", "cubes": [)" + cubes +
                           R"(], "dimensions": [{"name": "Time"}], "roles": [{"name": "All"}]})"));
    ASSERT_EQ(many.databases.front().cubes.size(), std::size_t(Cubes));
    EXPECT_EQ(many.databases.front().cubes.back().name, QStringLiteral("Cube 99999"));
    EXPECT_EQ(ServerFromModel(std::make_shared<const ServerData>(many))
                  ->Databases()
                  ->Item(1)
                  ->Cubes()
                  ->Item(QStringLiteral("Cube 12345"))
                  ->Roles()
                  ->Item(1)
                  ->Name(),
              QStringLiteral("All"));

    const QByteArray hugeName = QByteArray(1 << 20, 'n').replace("nn", "\xC3\xA9");
    const ServerData huge =
        read(withDatabases(R"({"name": ")" + hugeName + R"(", "dimensions": [{"name": ")" + hugeName +
                           R"("}], "cubes": [{"name": "C", "dimensions": [")" + hugeName + R"("]}]})"));
    EXPECT_EQ(huge.databases.front().name.size(), 1 << 19);
    EXPECT_EQ(huge.databases.front().cubes.front().dimensions.front(), huge.databases.front().name);
    // A message naming a huge name stays readable.
    const QString failure = failureOf(
        withDatabases(R"({"name": "D", "cubes": [{"name": "C", "dimensions": [")" + hugeName + R"("]}]})"));
    EXPECT_TRUE(failure.startsWith(QStringLiteral("T:1:109: database \"D\" has no dimension named \"")))
        << failure.left(200).toStdString();
    EXPECT_LT(failure.size(), 200);
    EXPECT_LT(timer.elapsed(), 60'000);
}

} // namespace
