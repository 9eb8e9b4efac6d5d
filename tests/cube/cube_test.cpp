// The cube kind: catalogue, text rules, collection and collectors (their guards first of all),
// and whole cube pages against the expected files.

#include "cube/cubekind.h"
#include "cube/cubetext.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using CubeSelector = Selector<CubeKind>;

// cubes.json: catalogue rows 0 Sales, 1 Budget <2027>, 2 Inventory, 3 Broken (processed, without
// a processing date).
const QString Cubes = u"cubes.json"_s;

// The size of a cube that does not answer is "0".
TEST(CubeCatalogue, OneRowPerCubeInServerOrder) {
    CubeSelector selector(serverFile(Cubes));
    EXPECT_EQ(catalogueLines(selector.kind.GetCatalogue()),
              (QStringList{u"FoodMart|Sales|1.00 MB|Processed|bool:false"_s,
                           u"FoodMart|Budget <2027>|0.00 MB|Not Processed|bool:false"_s,
                           u"Tom's & Jerry's|Inventory|0 MB|Processed|bool:false"_s,
                           u"Tom's & Jerry's|Broken|0.00 MB|Processed|bool:false"_s}));
    EXPECT_EQ(countedCatalogue<CubeKind>(22.0f), (QStringList{u"DB2|x1|0.00 MB|Processed|bool:false"_s,
                                                              u"DB2|x2|0.00 MB|Not Processed|bool:false"_s,
                                                              u"DB4|x1|0.00 MB|Processed|bool:false"_s}));
}

// A failure ends the catalogue quietly: rows filled so far stay, rows made room for stay empty.
TEST(CubeCatalogue, RowsOfWhatCanBeReadAndNoFailure) {
    auto unreadable = std::make_shared<FakeStore>(); // its cubes cannot be read
    unreadable->name = u"Broken"_s;
    auto a = fakeStore(u"A"_s, {fakeStore(u"a1"_s)}), c = fakeStore(u"C"_s, {fakeStore(u"c1"_s)});
    auto withGap = fakeStore(u"A"_s, {fakeStore(u"a1"_s), nullptr, fakeStore(u"a3"_s)});
    auto huge = fakeStore(u"Huge"_s, {}, 32768);
    const QString a1 = u"A|a1|2.00 MB|Processed|bool:false"_s;

    const struct {
        const char* what;
        std::shared_ptr<Olap::Server> server;
        QStringList lines;
    } cases[] = {
        {"no databases", Olap::ServerFromModel(countedServer({})), {}},
        {"no server object", nullptr, {}},
        {"unreadable database", fakeServer({a, unreadable, c}), {a1}},
        {"empty slot", fakeServer({withGap}), {a1, u"-|-|-|-|bool:false"_s, u"-|-|-|-|bool:false"_s}},
        {"cube count past 16 bits", fakeServer({a, huge, c}), {a1}},
        {"database count past 16 bits", fakeServer({}, 40000), {}},
    };
    for (const auto& k : cases) {
        CubeSelector selector(k.server);
        std::vector<SelectionRow> rows;
        EXPECT_EQ(failureOf([&] { rows = selector.kind.GetCatalogue(); }).number, 0) << k.what;
        EXPECT_EQ(catalogueLines(rows), k.lines) << k.what;
    }
}

TEST(CubeCatalogue, ProgressStepIsRoundedHalfToEven) {
    const std::pair<int, float> cases[] = {{1, 90.0f}, {5, 18.0f}, {7, 13.0f},
                                           {12, 8.0f}, {36, 2.0f}, {100, 1.0f}};
    for (const auto& [databases, step] : cases) {
        const auto count = static_cast<std::size_t>(databases);
        CubeSelector selector(countedServer(std::vector<int>(count, 1)));
        RecordingProgress& progress = selector.useProgress();
        selector.kind.GetCatalogue();
        EXPECT_EQ(progress.steps, std::vector<float>(count, step)) << databases;
    }
}

// The rules and their cases: tests/data/cube/texts.txt.
TEST(CubeTexts, CalculatedMembersPrivateDimensionsAndCodes) {
    for (const Case& c : cases(u"cube/texts.txt"_s)) {
        const QString made = c[0] == "statement" ? CalcMemberStatementText(text(c[1]))
                             : c[0] == "private" ? PrivateDimensionName(text(c[1]), text(c[2]))
                             : c[0] == "storage" ? CubeKind::GetStorageModeText(c[1].toInt())
                                                 : CubeKind::GetAggregateFunctionText(c[1].toInt());
        EXPECT_EQ(made, text(c.back())) << c.join('|').toStdString();
    }
}

class CubeCollection : public testing::Test {
protected:
    void SetUp() override { selector.build(); }
    void retrieve() { selector.retrieve(); }
    const CubeInfo& cube(qint32 index) const { return *(*selector.kind.infoList())[index]; }
    // "database/cube" per collected cube.
    QStringList collected() const {
        QStringList names;
        for (const auto& info : *selector.kind.infoList())
            names << info->DatabaseName + u'/' + info->Name;
        return names;
    }

    CubeSelector selector{serverFile(Cubes)};
};

TEST_F(CubeCollection, CatalogueWithoutRowsOrPastSixteenBitsFails) {
    selector.kind.GetCubeInfo(u"FoodMart"_s, u"Sales"_s); // before any collection: left out
    EXPECT_EQ(selector.kind.infoList(), nullptr);
    selector.selection.rows.resize(32769);
    EXPECT_EQ(failureOf([&] { retrieve(); }).number, ErrorNumber::Overflow);
    selector.selection.rows.clear();
    EXPECT_EQ(failureOf([&] { retrieve(); }).number, ErrorNumber::SubscriptOutOfRange);
}

// A cube that cannot be read (processed without a date, or a row whose names, compared exactly,
// lead to no cube) is left out. Each request makes a new list.
TEST_F(CubeCollection, GathersReadableCheckedCubesInCatalogueOrder) {
    std::vector<SelectionRow>& rows = selector.selection.rows;
    const auto gather = [&](const std::vector<bool>& flags) {
        for (std::size_t row = 0; row < 4; ++row)
            rows[row].checked = flags[row];
        const auto previous = selector.kind.infoList();
        retrieve();
        EXPECT_NE(selector.kind.infoList(), previous);
        return collected();
    };
    const QString sales = u"FoodMart/Sales"_s, inventory = u"Tom's & Jerry's/Inventory"_s;
    EXPECT_EQ(gather({true, false, true, false}), (QStringList{sales, inventory}));
    EXPECT_EQ(gather({false, false, true, true}), QStringList{inventory});
    rows[1].database = u"Gone"_s;
    rows[0].name = u"sales"_s;
    EXPECT_EQ(gather({true, true, false, true}), QStringList());
}

TEST_F(CubeCollection, ProgressAdvancesForEveryRow) {
    RecordingProgress& progress = selector.useProgress();
    retrieve();
    EXPECT_EQ(selector.kind.infoList()->Count(), 0);
    EXPECT_EQ(progress.steps, std::vector<float>(4, 18.75f));
    EXPECT_EQ(progress.statuses, QStringList(4, u"Retrieving Cube information"_s));
}

TEST_F(CubeCollection, ChildCategoriesNeedTheirParents) {
    selector.tick({0});
    selector.check({cinDS, cinDimLevelName});
    retrieve();
    EXPECT_EQ(cube(1).Partitions.Count(), 0);
    EXPECT_EQ(cube(1).Dimensions.Count(), 0);

    selector.check({cinpart, cinDim});
    retrieve();
    ASSERT_EQ(cube(1).Partitions.Count(), 2);
    EXPECT_EQ(cube(1).Partitions[1]->DataSourceName, QString()); // data sources not asked for
    ASSERT_EQ(cube(1).Dimensions.Count(), 2);
    EXPECT_EQ(cube(1).Dimensions[1]->Levels.Count(), 0);
    EXPECT_EQ(cube(1).Roles.Count() + cube(1).Measures.Count() + cube(1).CalcMembers.Count(), 0);
}

// The collectors as a host calls them, on hand-set objects.
enum class Middle { Unreadable, EmptySlot, NoCollection, CountPastSixteenBits };

// Items "A" and "C" around an item "B" whose value spoilt is unset, or an empty slot; no
// collection; or "A" alone in a collection that reports 32768 items.
template <class Base, class Fake, class Value>
Olap::CollectionPtr<Base> around(Middle middle, std::optional<Value> Fake::*spoilt) {
    if (middle == Middle::NoCollection)
        return nullptr;
    const auto make = [&](const QString& name) {
        auto item = std::make_shared<Fake>();
        item->name = name;
        return item;
    };
    auto bad = make(u"B"_s);
    ((*bad).*spoilt).reset();
    auto list = fakeList<Base>({make(u"A"_s), middle == Middle::EmptySlot ? nullptr : bad, make(u"C"_s)});
    if (middle == Middle::CountPastSixteenBits) {
        list->items.resize(1);
        list->reportedCount = 32768;
    }
    return list;
}

template <class List> QString walked(const char* what, const List& list, bool done = true) {
    QStringList names;
    for (const auto& item : list)
        names << item->Name;
    return QLatin1String(what) + u'=' + names.join(u',') + (done ? u""_s : u"!"_s);
}

// Every collector over its items: "name=A,C" per collector, with "!" where it returned false.
QString collectAll(Middle m) {
    CubeSelector selector;
    CubeKind& kind = selector.kind;
    kind.GetInfoTree();
    FakeStore store;
    store.roles = around<Olap::Role>(m, &FakeRole::name);
    store.partitions = around<Olap::Store>(m, &FakeStore::storageMode);
    store.dimensions = around<Olap::Dimension>(m, &FakeDimension::shared);
    store.measures = around<Olap::Measure>(m, &FakeMeasure::aggregateFunction);
    store.commands = around<Olap::Command>(m, &FakeCommand::statement);
    FakeDimension withLevels;
    withLevels.levels = around<Olap::Level>(m, &FakeLevel::hidden);

    CubeInfo info;
    DimensionInfo levels;
    kind.GetCubeRoles(store, info);
    const bool partitions = kind.GetCubePartitions(store, info);
    const bool dimensions = kind.GetCubeDimensions(store, info);
    kind.GetDimLevelInfo(withLevels, levels);
    const bool measures = kind.GetCubeMeasures(store, info);
    const bool members = kind.GetCubeCalcMbrs(store, info);
    return QStringList{walked("roles", info.Roles),
                       walked("partitions", info.Partitions, partitions),
                       walked("dimensions", info.Dimensions, dimensions),
                       walked("levels", levels.Levels),
                       walked("measures", info.Measures, measures),
                       walked("members", info.CalcMembers, members)}
        .join(u' ');
}

// Roles are read under one guard; every other item under its own, inside the guard of its walk.
TEST(Collectors, UnreadableItemIsSkippedEmptySlotOrCountEndsTheWalk) {
    EXPECT_EQ(collectAll(Middle::Unreadable),
              u"roles=A partitions=A,C dimensions=A,C levels=A,C measures=A,C members=A,C"_s);
    EXPECT_EQ(collectAll(Middle::EmptySlot),
              u"roles=A partitions=A! dimensions=A! levels=A measures=A! members=A!"_s);
    EXPECT_EQ(collectAll(Middle::NoCollection),
              u"roles= partitions=! dimensions=! levels= measures=! members=!"_s);
    EXPECT_EQ(collectAll(Middle::CountPastSixteenBits),
              u"roles= partitions=! dimensions=A! levels=A measures=A! members=A!"_s);
}

class CubePage : public testing::Test {
protected:
    void SetUp() override { presenter().clear(); }

    CubeSelector selector{serverFile(Cubes)};
};

// "Broken" cannot be read and is left out.
TEST_F(CubePage, MatchesExpectedFiles) {
    expectPages<CubeKind>(u"cube"_s, Cubes);
}

// Without a collection there is nothing to count and the run ends quietly; with an empty one the
// run says so. Neither asks for a file.
TEST_F(CubePage, NoCubesNoFile) {
    bool asked = false;
    selector.state.pageFile = [&asked](QString&) {
        return asked = true;
    };
    selector.kind.CreateReport();
    EXPECT_TRUE(presenter().shown.empty());
    selector.gather({}, {});
    selector.kind.CreateReport();
    EXPECT_FALSE(asked);
    EXPECT_EQ(presenter().texts(), QStringList{u"There is nothing to display!"_s});
    EXPECT_TRUE(selector.state.reportFiles.isEmpty());
}

// A section that fails ends the run quietly: the page keeps what was written, stays listed,
// and gets no end line.
TEST_F(CubePage, FailingSectionEndsRunQuietly) {
    selector.gather({0}, {});
    selector.kind.followCategories({});
    const QByteArray page = selector.runPage();
    const QList<QByteArray> lines = page.split('\n');
    ASSERT_EQ(lines.size(), 10); // seven header lines, cube header and cube row, nothing after
    EXPECT_TRUE(lines.at(7).startsWith("<table border='1' style='margin-left:10'"));
    EXPECT_TRUE(lines.at(8).startsWith("<TR bgcolor='yellow'><TD vAlign='top'>FoodMart</TD>"));
    EXPECT_FALSE(page.contains("</body></html>"));
    EXPECT_TRUE(presenter().shown.empty());
    EXPECT_EQ(selector.state.reportFiles.size(), 1);
}

} // namespace
} // namespace Lorvantic::Test
