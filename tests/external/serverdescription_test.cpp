#include "external/readers/serverdescription.h"
#include "model/olap.h"
#include "model/servermodel.h"
#include "tests/schemas/schematest.h"

using namespace Lorvantic;
using namespace Lorvantic::Olap;
using namespace Lorvantic::Test;
using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<Server> serverOf(const QByteArray& json) {
    return ServerFromModel(std::make_shared<const ServerData>(readText(ReadJsonDescription, json)));
}

} // namespace

// The values themselves: tests/schemas (written.json, missing.json).
TEST(ServerDescription, DatesAreLocalAndCubesShareTheirDatabasesDimensionsAndRoles) {
    const auto written = serverOf(readBytes(dataPath(u"schemas/written.json"_s)))->Databases()->Item(1);
    EXPECT_EQ(written->Dimensions()->Item(1)->LastProcessed().timeSpec(), Qt::LocalTime);
    EXPECT_EQ(written->Cubes()->Item(1)->Dimensions()->Item(1)->Levels()->Item(1)->Name(), u"Year"_s);
    EXPECT_EQ(written->Cubes()->Item(1)->Roles()->Item(1)->UsersList(), u"CORP\\a;CORP\\b"_s);
    EXPECT_EQ(written->Roles()->Item(u"Zürich Analysts"_s)->UsersList(), u"EMEA\\müller"_s);
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

    // Position 0 and past the end, another letter case, a trailing blank, a private name alone.
    const auto notFound = [](const std::function<void()>& lookup) {
        EXPECT_EQ(failureOf(lookup).number, ErrorNumber::ItemNotFound);
    };
    notFound([&] { databases->Item(0); });
    notFound([&] { databases->Item(3); });
    notFound([&] { databases->Item(u"zeta"_s); });
    notFound([&] { cubes->Item(u"Beta "_s); });
    notFound([&] { dims->Item(u"Three"_s); });
}

// The readers refuse a cube that names what its database lacks; the model's own check, which
// the schema and live-server readers run last, names it too.
TEST(ServerDescription, BrokenReferencesAreNamed) {
    const auto broken = [](std::vector<QString> dimensions, std::vector<QString> roles) {
        CubeData cube;
        cube.name = u"C"_s;
        cube.dimensions = std::move(dimensions);
        cube.roles = std::move(roles);
        DatabaseData database;
        database.name = u"D"_s;
        database.cubes = {cube};
        database.roles.resize(1);
        database.roles[0].name = u"R"_s;
        return FindBrokenReference(ServerData{u"S"_s, {database}});
    };
    EXPECT_EQ(broken({}, {u"R"_s}), QString());
    EXPECT_EQ(broken({u"Gone"_s}, {}),
              u"cube 'C' of database 'D' names dimension 'Gone', which the database does not have"_s);
    EXPECT_EQ(broken({}, {u"R"_s, u"Gone"_s}),
              u"cube 'C' of database 'D' names role 'Gone', which the database does not have"_s);
}

// Refused dates: tests/data/external/descriptions-bad.txt.
TEST(ServerDescription, ReadsLocalDates) {
    for (const char* date :
         {"2026-11-30", "2026-11-30T14:05", "2026-11-30T14:05:00", "2026-11-30T14:05:00.123456789"})
        EXPECT_EQ(failureOf(ReadJsonDescription,
                            withDatabases(R"({"name": "D", "cubes": [{"name": "C", "lastProcessed": ")" +
                                          QByteArray(date) + "\"}]}")),
                  QString())
            << date;
}
