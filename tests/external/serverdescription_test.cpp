#include "external/olap.h"
#include "external/readers/serverdescription.h"
#include "tests/schemas/schematest.h"

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<Server> serverOf(const QByteArray& json) {
    return ServerFromModel(std::make_shared<const ServerData>(readText(ReadJsonDescription, json)));
}

const QByteArray Written = withDatabases(R"({
  "name": "D", "comment": {"any": [1, "thing", {"deep": [[null]]}]},
  "dimensions": [{"name": "Time", "shared": true, "state": 3, "lastProcessed": "2026-11-30T14:05:09.25",
                  "dimensionType": 1, "virtualCode": 1.0, "x-origin": "import",
                  "levels": [{"name": "Year", "estimatedSize": 2147483647, "levelType": 2e1,
                              "memberKeyColumn": "\"d\".\"y\"", "memberNameColumn": "n",
                              "hidden": true, "aggregation": true,
                              "memberProperties": [{"name": "Fiscal", "sourceColumn": "\"d\".\"f\""}]},
                             {"name": "Quarter", "hidden": true, "aggregation": false}]}],
  "cubes": [{"name": "Sales", "state": -7, "lastProcessed": "2026-02-28", "estimatedSize": 1.5e9,
             "dimensions": ["Time"], "roles": ["All"],
             "partitions": [{"name": "P", "storageMode": 15, "aggregations": [{"name": "A0"}, {"name": "A1"}],
                             "dataSources": [{"name": "DS", "connectionString": "Provider=X;Data Source=Y"}]}],
             "measures": [{"name": "M", "aggregateFunction": -1, "formatString": "#,#", "internal": true,
                           "sourceColumn": "\"f\".\"m\""}],
             "commands": [{"name": "Profit", "solveOrder": -32768, "statement": "CREATE MEMBER x AS 'y'"}]}],
  "roles": [{"name": "All", "description": "Every user", "users": "CORP\\a;CORP\\b"},
            {"name": "Z\u00fcrich Analysts", "description": "R\u00e9gion \ud83d\ude00", "users": "EMEA\\müller"}]
})");

// Everything that may be left out is; the second cube writes null instead.
const QByteArray Missing = withDatabases(R"({
  "name": "D",
  "dimensions": [{"name": "Dim", "levels": [{"name": "L", "memberProperties": [{"name": "P"}]}]}],
  "cubes": [{"name": "C", "partitions": [{"name": "Part"}], "measures": [{"name": "M"}],
             "commands": [{"name": "Cmd"}]},
            {"name": "N", "state": null, "estimatedSize": null, "lastProcessed": null, "partitions": null}],
  "roles": [{"name": "R"}]
})");

} // namespace

TEST(ServerDescription, ReadsValuesAsWrittenAndDefaultsForMissingOnes) {
    const auto written = serverOf(Written)->Databases()->Item(1);
    EXPECT_EQ(describe(*written), uR"(database D
dimension Time shared=true state=3 processed=2026-11-30T14:05:09.250 type=1 virtual=1
 level Year size=2147483647 type=20 key="d"."y" name=n hidden=true aggregation=true
  property Fiscal="d"."f"
 level Quarter size=- type=0 key= name= hidden=true aggregation=false
cube Sales state=-7 processed=2026-02-28T00:00:00.000 size=1.5e+09 dimensions=Time roles=All
 partition P storage=15 aggregations=A0,A1 sources=DS=Provider=X;Data Source=Y
 measure M function=-1 format=#,# internal=true column="f"."m"
 command Profit order=-32768 CREATE MEMBER x AS 'y'
role All (Every user) users=CORP\a;CORP\b
role Zürich Analysts (Région 😀) users=EMEA\müller)"_s);
    EXPECT_EQ(written->Dimensions()->Item(1)->LastProcessed().timeSpec(), Qt::LocalTime);
    // The cube's dimensions and roles are the database's.
    EXPECT_EQ(written->Cubes()->Item(1)->Dimensions()->Item(1)->Levels()->Item(1)->Name(), u"Year"_s);
    EXPECT_EQ(written->Cubes()->Item(1)->Roles()->Item(1)->UsersList(), u"CORP\\a;CORP\\b"_s);
    EXPECT_EQ(written->Roles()->Item(u"Zürich Analysts"_s)->UsersList(), u"EMEA\\müller"_s);

    EXPECT_EQ(describe(*serverOf(Missing)->Databases()->Item(1)), uR"(database D
dimension Dim shared=false state=0 processed=- type=0 virtual=0
 level L size=- type=0 key= name= hidden=false aggregation=false
  property P=
cube C state=0 processed=- size=- dimensions= roles=
 partition Part storage=0 aggregations= sources=
 measure M function=0 format= internal=false column=
 command Cmd order=0 
cube N state=0 processed=- size=- dimensions= roles=
role R () users=)"_s);
}

TEST(ServerDescription, CollectionsKeepFileOrderCountFromOneAndFindExactNames) {
    // The cube names its dimensions before the database lists them, in an order of its own.
    const auto server = serverOf(withDatabases(R"(
      {"name": "Zeta", "cubes": [{"name": "Beta", "dimensions": ["Two", "One", "Beta^Three"], "roles": ["B", "A"]},
                                 {"name": "Alpha"}],
       "dimensions": [{"name": "One"}, {"name": "Two"}, {"name": "Beta^Three", "shared": false}],
       "roles": [{"name": "A"}, {"name": "B"}]},
      {"name": "Alpha"})"));
    EXPECT_EQ(server->Name(), u"S"_s);
    const auto databases = server->Databases();
    ASSERT_EQ(databases->Count(), 2);
    EXPECT_EQ(databases->Item(1)->Name(), u"Zeta"_s);
    EXPECT_EQ(databases->Item(2)->Name(), u"Alpha"_s);
    EXPECT_EQ(databases->Item(u"Alpha"_s)->Cubes()->Count(), 0);
    const auto cubes = databases->Item(1)->Cubes();
    EXPECT_EQ(cubes->Item(1)->Name(), u"Beta"_s);
    EXPECT_EQ(cubes->Item(2)->Name(), u"Alpha"_s);
    const auto dims = cubes->Item(1)->Dimensions();
    ASSERT_EQ(dims->Count(), 3);
    EXPECT_EQ(dims->Item(1)->Name(), u"Two"_s);
    EXPECT_EQ(dims->Item(3)->Name(), u"Beta^Three"_s);
    EXPECT_FALSE(dims->Item(u"Beta^Three"_s)->IsShared());
    EXPECT_EQ(cubes->Item(1)->Roles()->Item(1)->Name(), u"B"_s);

    const std::pair<const char*, std::function<void()>> lookups[] = {
        {"position 0",
         [&] {
             databases->Item(0);
         }},
        {"position past the end",
         [&] {
             databases->Item(3);
         }},
        {"other letter case",
         [&] {
             databases->Item(u"zeta"_s);
         }},
        {"trailing blank",
         [&] {
             cubes->Item(u"Beta "_s);
         }},
        {"private name without its cube",
         [&] {
             dims->Item(u"Three"_s);
         }},
    };
    for (const auto& [what, lookup] : lookups)
        EXPECT_EQ(errorNumberOf(lookup), ErrorNumber::ItemNotFound) << what;
}

TEST(ServerDescription, ReadsLocalDatesAndRefusesOthers) {
    const auto failure = [](const char* date) {
        return failureOf(ReadJsonDescription,
                         withDatabases(R"({"name": "D", "cubes": [{"name": "C", "lastProcessed": ")" +
                                       QByteArray(date) + "\"}]}"));
    };
    for (const char* date : {"2026-11-30 14:05:00", "2026-11-30T14:05:00Z", "2026-11-30T14:05:00+01:00",
                             "2026-02-30T00:00:00", "2026-11-30T24:00:00", "2026-11-30T14", "26-11-30",
                             "2026-11-30T14:05:00.", "2026-11-30T14:05:00.1234567890", "", "2026-1-30"})
        EXPECT_TRUE(failure(date).contains(u"is not a local date and time like 2026-11-30T14:05:00"_s))
            << date << ": " << failure(date).toStdString();
    for (const char* date :
         {"2026-11-30", "2026-11-30T14:05", "2026-11-30T14:05:00", "2026-11-30T14:05:00.123456789"})
        EXPECT_TRUE(failure(date).isEmpty()) << date;
}
