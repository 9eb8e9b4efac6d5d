// The dimension catalogue, the collection of the checked dimensions (progress, flags, cube
// matching, failures) and whole dimension pages against hand-written files.

#include "dimension/dimensionkind.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using DimensionSelector = Selector<DimensionKind>;

// dimensions.json: "FoodMart" (dimensions Time, Sales^Promotion Media, Store Size, R&D <Labs>;
// cubes Sales, Budget, Warehouse) and "Lab & <Test>" (dimension Product; cube Trials). Catalogue
// rows: 0 Time, 1 Sales^Promotion Media, 2 Store Size, 3 R&D <Labs>, 4 Product.
std::shared_ptr<Olap::ServerData> dimensionServer() {
    return serverFile(u"dimensions.json"_s);
}

// Each database advances the bar by an unrounded share.
TEST(DimensionCatalogue, RowsFollowDatabasesAndSkipEmptyOnes) {
    EXPECT_EQ(countedCatalogue<DimensionKind>(22.5f),
              (QStringList{u"DB2|x1|N/A|Processed|bool:false"_s, u"DB2|x2|N/A|Not Processed|bool:false"_s,
                           u"DB4|x1|N/A|Processed|bool:false"_s}));
}

// Nothing is guarded: the failure reaches the caller and the rows filled before it stay.
TEST(DimensionCatalogue, FailuresReachTheCaller) {
    auto db = fakeStore(u"DB1"_s);
    auto dimension = std::make_shared<FakeDimension>();
    dimension->name = u"D1"_s;
    db->dimensions = fakeList<Olap::Dimension>({dimension});
    DimensionSelector s(fakeServer({db}, 2)); // the second database cannot be had
    EXPECT_EQ(failureOf([&] { s.kind.GetCatalogue(); }).number, ErrorNumber::ItemNotFound);

    s.state.DSOServer = fakeServer({}, 32768); // the database counter has 16 bits
    EXPECT_EQ(failureOf([&] { s.kind.GetCatalogue(); }).number, ErrorNumber::Overflow);
    s.state.DSOServer.reset();
    EXPECT_EQ(failureOf([&] { s.kind.GetCatalogue(); }).number, ErrorNumber::ObjectNotSet);
}

// The list's columns: the size is the one right-aligned.
TEST(DimensionCatalogue, OnlyTheSizeIsRightAligned) {
    DimensionSelector s(dimensionServer());
    QStringList values;
    for (const SelectionColumn& column : s.kind.GetColumns())
        values << QString::number(column.alignment);
    EXPECT_EQ(values, (QStringList{u"0"_s, u"0"_s, u"1"_s, u"0"_s}));
}

QStringList collected(const DimensionKind& kind) {
    QStringList names;
    for (const auto& item : *kind.infoList())
        names << item->DatabaseName + u'/' + item->Name;
    return names;
}

TEST(DimensionCollection, EveryRowAdvancesTheBarCheckedOrNot) {
    DimensionSelector s(dimensionServer());
    s.build().tick({3});
    RecordingProgress& progress = s.useProgress();
    s.retrieve();
    EXPECT_EQ(progress.steps, std::vector<float>(5, 15.0f));
    EXPECT_EQ(progress.statuses, QStringList(5, u"Retrieving Dimension information"_s));
    EXPECT_EQ(collected(s.kind), QStringList{u"FoodMart/R&D <Labs>"_s});
}

TEST(DimensionCollection, CubeMatchIsExactAndStopsAtTheFirstMatch) {
    // Cube C's second dimension cannot be read: only a walk that stops at "Time" gets by.
    const auto data = serverFile(u"cubematch.json"_s);
    data->databases[0].cubes[2].dimensions[1] = u"Missing"_s;
    const auto database = Olap::ServerFromModel(data)->Databases()->Item(1);
    QStringList names;
    for (const auto& found : CubesUsingDimension(*database, u"Time"_s))
        names << found->Name();
    EXPECT_EQ(names, (QStringList{u"B"_s, u"C"_s}));
    // "time" is used by A, and its search must read C's unreadable dimension.
    EXPECT_EQ(failureOf([&] { CubesUsingDimension(*database, u"time"_s); }).number,
              ErrorNumber::ItemNotFound);
}

// Nothing in the collection is guarded: each failing read ends RetrieveInfo and reaches the
// caller; the dimensions gathered before stay in the list.
TEST(DimensionCollection, FailingReadsReachTheCaller) {
    const struct {
        const char* what;
        std::function<void(Olap::ServerData&)> breakIt;
        qint32 number;
        QStringList gathered;
    } cases[] = {
        {"no catalogue rows",
         [](Olap::ServerData& d) { d.databases.clear(); },
         ErrorNumber::SubscriptOutOfRange,
         {}},
        {"dimension gone",
         [](Olap::ServerData& d) { d.databases[0].dimensions.pop_back(); },
         ErrorNumber::ItemNotFound,
         {u"FoodMart/Time"_s}},
        {"processing date missing",
         [](Olap::ServerData& d) { d.databases[0].dimensions[3].lastProcessed.reset(); },
         ErrorNumber::NotAnswered,
         {u"FoodMart/Time"_s}},
        {"member count missing",
         [](Olap::ServerData& d) { d.databases[0].dimensions[3].levels[0].estimatedSize.reset(); },
         ErrorNumber::NotAnswered,
         {u"FoodMart/Time"_s}},
        {"cube date missing",
         [](Olap::ServerData& d) { d.databases[1].cubes[0].lastProcessed.reset(); },
         ErrorNumber::NotAnswered,
         {u"FoodMart/Time"_s, u"FoodMart/R&D <Labs>"_s}},
    };
    for (const auto& c : cases) {
        auto data = dimensionServer();
        c.breakIt(*data);
        DimensionSelector s(data);
        s.selection.categories = s.kind.GetInfoTree();
        if (!c.gathered.isEmpty()) {
            // The catalogue of the intact server; the broken one answers the collection.
            DimensionSelector intact(dimensionServer());
            s.selection.rows = intact.kind.GetCatalogue();
            s.tick({0, 3, 4});
            s.check({dinLevel, dinCube});
        }
        EXPECT_EQ(failureOf([&] { s.retrieve(); }).number, c.number) << c.what;
        EXPECT_EQ(collected(s.kind), c.gathered) << c.what;
    }
}

TEST(DimensionPage, MatchesHandWrittenPages) {
    expectPages<DimensionKind>(u"dimension"_s, u"dimensions.json"_s);
}

// The run is not guarded: a failing section ends it and reaches the caller, leaving the page
// as far as it was written.
TEST(DimensionPage, FailureInTheRunReachesTheCaller) {
    DimensionSelector s(dimensionServer());
    s.gather({0}, {});
    s.kind.followCategories({}); // the section's category reads now fail
    EXPECT_EQ(failureOf([&] { s.runPage(); }).number, ErrorNumber::SubscriptOutOfRange);
    const QByteArray page = readBytes(s.state.reportFiles.value(0));
    EXPECT_TRUE(page.contains("<B>Time</B>"));
    EXPECT_FALSE(page.contains("</body></html>"));
}

} // namespace
} // namespace Lorvantic::Test
