// The text rules, the collection step and the collectors, their guards first of all. The
// values the collectors write are checked by the expected pages.

#include "core/grids.h"
#include "cube/cubekind.h"
#include "cube/cubetext.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"
#include "tests/cube/testserver.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using CubeSelector = Selector<CubeKind>;

TEST(CalcMemberStatement, CutsCreateMemberAndExpression) {
    const std::pair<const char*, const char*> cases[] = {
        {"CREATE MEMBER [Sales].[Measures].[Profit] AS '[Measures].[Store Sales]-[Measures].[Store Cost]'",
         "[Sales].[Measures].[Profit] "},
        {"create member [x] AS 'y'", "create member [x] "},     // only capitals begin a cut
        {"CREATE MEMBER [a] as 'b'", "[a] as 'b'"},             // only "AS '" in capitals ends it
        {"CREATE MEMBER  [a] AS 'b'", " [a] "},                 // not trimmed
        {"CREATE MEMBER", ""},                                  // nothing after the keyword
        {"CREATE MEMBERX", ""},                                 // the character after it is dropped
        {"CREATE MEMBER_[a]", "[a]"},                           // whatever that character is
        {"  CREATE MEMBER [a] AS 'b'", "  CREATE MEMBER [a] "}, // must begin at the first character
        {"[x] AS 'y' AS 'z'", "[x] "},                          // the first occurrence cuts
        {"AS 'x'", ""},
        {"CREATE MEMBER [a] AS", "[a] AS"},                         // no quote after AS
        {"[Measures].[Quantity] / 2", "[Measures].[Quantity] / 2"}, // nothing to cut
        {"", ""},
        {"CREATE MEMBER [Ä é] AS 'ü'", "[Ä é] "},
    };
    for (const auto& [statement, text] : cases)
        EXPECT_EQ(CalcMemberStatementText(QString::fromUtf8(statement)), QString::fromUtf8(text))
            << statement;
}

TEST(PrivateDimension, DropsCubeNameAndOneSeparator) {
    const char* const cases[][3] = {
        // full name, cube, name
        {"Sales^Promotion Media", "Sales", "Promotion Media"},
        {"Sales:Promotion", "Sales", "Promotion"}, // any separator
        {"Other^Name", "Sales", "Name"},           // the cube's name is not compared
        {"Sales^", "Sales", ""},
        {"Sales", "Sales", ""},
        {"Sal", "Sales", ""},
        {"^Name", "", "Name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrivateDimensionName(QString::fromUtf8(c[0]), QString::fromUtf8(c[1])),
                  QString::fromUtf8(c[2]))
            << c[0];
}

TEST(CodeTexts, StorageModesAndAggregateFunctions) {
    const char* const unknown = "Unable to determine";
    const std::pair<qint32, const char*> modes[] = {{0, "MOLAP"},  {1, "HOLAP"},  {2, unknown},
                                                    {3, "ROLAP"},  {4, unknown},  {14, unknown},
                                                    {15, "ROLAP"}, {16, unknown}, {-1, unknown}};
    for (const auto& [code, text] : modes)
        EXPECT_EQ(CubeKind::GetStorageModeText(code), QString::fromUtf8(text)) << code;
    const std::pair<qint32, const char*> functions[] = {{0, "SUM"},  {1, "COUNT"}, {2, "MIN"},   {3, "MAX"},
                                                        {4, "NONE"}, {-1, "NONE"}, {127, "NONE"}};
    for (const auto& [code, text] : functions)
        EXPECT_EQ(CubeKind::GetAggregateFunctionText(code), QString::fromUtf8(text)) << code;
}

class CubeCollection : public testing::Test {
protected:
    void SetUp() override { selector.build(); }
    void retrieve() { selector.kind.RetrieveInfo(); }
    const CubeInfo& cube(qint32 index) const { return *(*selector.kind.infoList())[index]; }
    // "database/cube" per collected cube.
    QStringList collected() const {
        QStringList names;
        for (const auto& info : *selector.kind.infoList())
            names << info->DatabaseName + u'/' + info->Name;
        return names;
    }

    CubeSelector selector{cubeTestModel()};
};

TEST_F(CubeCollection, CatalogueWithoutBoundsOrPastSixteenBitsFails) {
    selector.kind.GetCubeInfo(u"FoodMart"_s, u"Sales"_s); // before any collection: left out
    EXPECT_EQ(selector.kind.infoList(), nullptr);
    selector.state.catalogueRows.redim(CatalogueColumn::Database, CatalogueColumn::Checked, 0, 32768);
    EXPECT_EQ(failureOf([&] { retrieve(); }), ErrorNumber::Overflow);
    selector.state.catalogueRows.erase();
    EXPECT_EQ(failureOf([&] { retrieve(); }), ErrorNumber::SubscriptOutOfRange);
}

// Only a Boolean true checks a row. A cube that cannot be read (processed without a date, or a
// row whose names, compared exactly, lead to no cube) is left out. Each request makes a new list.
TEST_F(CubeCollection, GathersReadableCheckedCubesInCatalogueOrder) {
    VariantGrid& rows = selector.state.catalogueRows;
    const auto gather = [&](const std::vector<QVariant>& flags) {
        for (qint32 row = 0; row < 4; ++row)
            rows.at(CatalogueColumn::Checked, row) = flags[static_cast<std::size_t>(row)];
        const auto previous = selector.kind.infoList();
        retrieve();
        EXPECT_NE(selector.kind.infoList(), previous);
        return collected();
    };
    const QString sales = u"FoodMart/Sales"_s, inventory = u"Tom's & Jerry's/Inventory"_s;
    EXPECT_EQ(gather({true, false, true, false}), (QStringList{sales, inventory}));
    EXPECT_EQ(gather({true, 1, u"True"_s, QVariant()}), QStringList{sales});
    EXPECT_EQ(gather({false, false, true, true}), QStringList{inventory});
    rows.at(CatalogueColumn::Database, 1) = u"Gone"_s;
    rows.at(CatalogueColumn::Name, 0) = u"sales"_s;
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
// collection; or "A" alone in a collection that reports 32768 items. fill sets readable values.
template <class Base, class Fake, class Fill, class Value>
Olap::CollectionPtr<Base> around(Middle middle, Fill fill, std::optional<Value> Fake::*spoilt) {
    if (middle == Middle::NoCollection)
        return nullptr;
    const auto make = [&](const QString& name) {
        auto item = std::make_shared<Fake>();
        item->name = name;
        fill(*item);
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
    store.roles = around<Olap::Role, FakeRole>(
        m, [](FakeRole&) {}, &FakeRole::name);
    store.partitions = around<Olap::Store, FakeStore>(
        m, [](FakeStore& p) { p.aggregations = fakeList<Olap::Store>({}), p.storageMode = 0; },
        &FakeStore::storageMode);
    store.dimensions = around<Olap::Dimension, FakeDimension>(
        m, [](FakeDimension& d) { d.shared = true; }, &FakeDimension::shared);
    store.measures = around<Olap::Measure, FakeMeasure>(
        m,
        [](FakeMeasure& x) {
            x.formatString = x.sourceColumn = QString(), x.internal = false, x.aggregateFunction = 0;
        },
        &FakeMeasure::aggregateFunction);
    store.commands = around<Olap::Command, FakeCommand>(
        m, [](FakeCommand& c) { c.solveOrder = 0, c.statement = QString(); }, &FakeCommand::statement);
    FakeDimension withLevels;
    withLevels.levels = around<Olap::Level, FakeLevel>(
        m, [](FakeLevel& l) { l.aggregation = l.hidden = false; }, &FakeLevel::hidden);

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

// The first "=" after the key decides; a failing read keeps what was read before it.
TEST(Collectors, DataSourceMembersAsFarAsTheyRead) {
    CubeSelector selector;
    FakeDataSource source;
    source.name = u"DS"_s;
    source.connectionString = u"Provider;Data Source=x"_s;
    PartitionInfo part, partial;
    EXPECT_TRUE(selector.kind.GetDataSourceInfo(source, part));
    EXPECT_EQ((QStringList{part.DataSourceName, part.Driver, part.Source}),
              (QStringList{u"DS"_s, u"x"_s, u"x"_s}));
    source.connectionString.reset();
    EXPECT_FALSE(selector.kind.GetDataSourceInfo(source, partial));
    EXPECT_EQ((QStringList{partial.DataSourceName, partial.Driver, partial.Source}),
              (QStringList{u"DS"_s, {}, {}}));
}

} // namespace
} // namespace Lorvantic::Test
