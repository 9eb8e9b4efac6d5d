// Collection of the checked dimensions: progress, flags, cube matching and failures.

#include "dimensiontestdata.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;

TEST(DimensionCollection, EveryRowAdvancesTheBarCheckedOrNot) {
    ProgressLog log;
    Selector s(dimensionServer(), &log);
    s.tick({3});
    log = {};
    s.kind.RetrieveInfo();
    EXPECT_EQ(log.steps, std::vector<float>(5, 15.0f));
    EXPECT_EQ(log.statuses, QStringList(5, u"Retrieving Dimension information"_s));
    ASSERT_EQ(s.kind.infoList()->Count(), 1);
    EXPECT_EQ(s.item(1).Name, u"R&D <Labs>"_s);
}

TEST(DimensionCollection, OnlyBooleanTrueTicksARow) {
    Selector s(dimensionServer());
    s.state->catalogueRows.at(4, 0) = u"True"_s;
    s.state->catalogueRows.at(4, 1) = 1;
    s.state->catalogueRows.at(4, 2) = true;
    s.kind.RetrieveInfo();
    ASSERT_EQ(s.kind.infoList()->Count(), 1);
    EXPECT_EQ(s.item(1).Name, u"Store Size"_s);
}

// Levels and cubes are gathered on any flag that converts to true, member properties only on
// a Boolean true; the section shows only categories whose flag is a Boolean true.
TEST(DimensionCollection, LooseFlagsGatherButDoNotShow) {
    Selector s(dimensionServer());
    s.tick({0});
    s.state->infoTreeRows.at(dinLevel, 3) = 1;
    s.state->infoTreeRows.at(dinLevelProp, 3) = u"True"_s;
    s.state->infoTreeRows.at(dinCube, 3) = u"True"_s;
    s.kind.RetrieveInfo();
    const DimensionInfo& time = s.item(1);
    ASSERT_EQ(time.Levels.Count(), 10);
    EXPECT_EQ(time.Levels[2]->Properties.Count(), 0);
    EXPECT_EQ(time.Cubes.Count(), 3);

    const QList<QByteArray> lines = readBytes(s.writePage()).split('\n');
    ASSERT_EQ(lines.size(), 12); // header, section of two lines, "<P>", end, nothing after the last CR LF
    EXPECT_TRUE(lines[8].startsWith("<TR bgcolor='yellow'><TD vAlign='top'>FoodMart</TD>"));
}

TEST(DimensionCollection, CubeMatchIsExactAndStopsAtTheFirstMatch) {
    auto data = serverWithDimensions({0});
    Olap::DatabaseData& db = data->databases[0];
    db.dimensions = {dimensionNamed(u"Time"_s), dimensionNamed(u"time"_s)};
    db.cubes = {cubeUsing(u"A"_s, {u"time"_s}), cubeUsing(u"B"_s, {u"Time"_s, u"Time"_s}),
                // Its second dimension cannot be read: only a walk that stops at "Time" gets by.
                cubeUsing(u"C"_s, {u"Time"_s, u"Missing"_s})};
    const auto database = Olap::ServerFromModel(data)->Databases()->Item(1);

    QStringList names;
    for (const auto& cube : CubesUsingDimension(*database, u"Time"_s))
        names << cube->Name();
    EXPECT_EQ(names, (QStringList{u"B"_s, u"C"_s}));
    // "time" is used by A, and its search must read C's unreadable dimension.
    EXPECT_THROW(CubesUsingDimension(*database, u"time"_s), Error);
}

// Nothing in the collection is guarded: each failing read ends RetrieveInfo and reaches the
// caller; the dimensions gathered before stay in the list.
TEST(DimensionCollection, FailingReadsReachTheCaller) {
    struct Case {
        const char* what;
        std::function<void(Olap::ServerData&)> breakIt;
        qint32 number;
        qint32 gathered;
    };
    const Case cases[] = {
        {"no catalogue rows", [](Olap::ServerData& d) { d.databases.clear(); },
         ErrorNumber::SubscriptOutOfRange, 0},
        {"dimension gone", [](Olap::ServerData& d) { d.databases[0].dimensions.pop_back(); },
         ErrorNumber::ItemNotFound, 1},
        {"processing date missing",
         [](Olap::ServerData& d) { d.databases[0].dimensions[3].lastProcessed.reset(); },
         ErrorNumber::NotAnswered, 1},
        {"member count missing",
         [](Olap::ServerData& d) { d.databases[0].dimensions[3].levels[0].estimatedSize.reset(); },
         ErrorNumber::NotAnswered, 1},
        {"cube date missing", [](Olap::ServerData& d) { d.databases[1].cubes[0].lastProcessed.reset(); },
         ErrorNumber::NotAnswered, 2},
    };
    for (const Case& k : cases) {
        auto data = dimensionServer();
        k.breakIt(*data);
        Selector s(data);
        if (k.gathered > 0) {
            // The catalogue of the intact server; the broken one answers the collection.
            Selector intact(dimensionServer());
            s.state->catalogueRows = intact.state->catalogueRows;
            s.tick({0, 3, 4});
            s.check({dinLevel, dinCube});
        }
        try {
            s.kind.RetrieveInfo();
            ADD_FAILURE() << k.what << ": the failure was swallowed";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), k.number) << k.what;
        }
        EXPECT_EQ(s.kind.infoList()->Count(), k.gathered) << k.what;
    }
}

} // namespace
} // namespace Lorvantic::Test
