// The collection step and the collectors, their guards first of all.

#include "fakeolap.h"
#include "testserver.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

QStringList cubeNames(const CubeInfoList& list) {
    QStringList names;
    for (const auto& cube : list)
        names << cube->Name;
    return names;
}

template <class List> QStringList namesOf(const List& list) {
    QStringList names;
    for (const auto& item : list)
        names << item->Name;
    return names;
}

class CubeCollection : public testing::Test {
protected:
    void SetUp() override {
        selector.kind.GetCatalogue();
        selector.kind.GetInfoTree();
    }
    const CubeInfoList& collected() const { return *selector.kind.infoList(); }
    const CubeInfo& collectedCube(qint32 index) const { return *collected()[index]; }

    CubeSelector selector{Olap::ServerFromModel(cubeTestModel())};
};

TEST_F(CubeCollection, CatalogueWithoutBoundsFails) {
    selector.state.catalogueRows.erase();
    EXPECT_THROW(selector.kind.RetrieveInfo(), Error);
}

TEST_F(CubeCollection, CubeBeforeAnyCollectionIsLeftOut) {
    selector.kind.GetCubeInfo(QStringLiteral("FoodMart"), QStringLiteral("Sales"));
    EXPECT_EQ(selector.kind.infoList(), nullptr);
}

TEST_F(CubeCollection, RowsPastSixteenBitsOverflow) {
    selector.state.catalogueRows.redim(0, 4, 0, 32768);
    try {
        selector.kind.RetrieveInfo();
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Overflow);
    }
}

TEST_F(CubeCollection, GathersCheckedRowsInCatalogueOrder) {
    selector.checkCubes({"Inventory", "Sales"});
    selector.kind.RetrieveInfo();
    EXPECT_EQ(cubeNames(collected()), (QStringList{QStringLiteral("Sales"), QStringLiteral("Inventory")}));
    EXPECT_EQ(collectedCube(2).DatabaseName, QStringLiteral("Tom's & Jerry's"));
}

TEST_F(CubeCollection, OnlyBooleanTrueChecksARow) {
    selector.checkCubes({"Sales"});
    selector.state.catalogueRows.at(4, 1) = 1;
    selector.state.catalogueRows.at(4, 2) = QStringLiteral("True");
    selector.state.catalogueRows.at(4, 3) = QVariant();
    selector.kind.RetrieveInfo();
    EXPECT_EQ(cubeNames(collected()), QStringList{QStringLiteral("Sales")});
}

TEST_F(CubeCollection, ProgressAdvancesForEveryRow) {
    RecordingProgress& progress = selector.recordProgress();
    selector.checkCubes({});
    selector.kind.RetrieveInfo();
    EXPECT_EQ(collected().Count(), 0);
    EXPECT_EQ(progress.steps, std::vector<float>(4, 18.75f));
    EXPECT_EQ(progress.statuses, QStringList(4, QStringLiteral("Retrieving Cube information")));
}

TEST_F(CubeCollection, EachRequestReplacesTheList) {
    selector.checkCubes({"Sales"});
    selector.kind.RetrieveInfo();
    const auto first = selector.kind.infoList();
    selector.checkCubes({"Inventory"});
    selector.kind.RetrieveInfo();
    EXPECT_NE(selector.kind.infoList(), first);
    EXPECT_EQ(cubeNames(collected()), QStringList{QStringLiteral("Inventory")});
}

TEST_F(CubeCollection, CubeValues) {
    selector.checkCubes({"Sales", "Budget <2027>", "Inventory"});
    selector.kind.RetrieveInfo();
    ASSERT_EQ(collected().Count(), 3);
    const struct {
        const char* size;
        const char* date;
    } expected[] = {{"1.00", "30 Nov 2026 14:05:00"}, {"0.00", "Not processed"}, {"0", "2 Jan 2026"}};
    for (qint32 i = 1; i <= 3; ++i) {
        EXPECT_EQ(collectedCube(i).Size, QString::fromUtf8(expected[i - 1].size)) << i;
        EXPECT_EQ(collectedCube(i).ProcessingDate, QString::fromUtf8(expected[i - 1].date)) << i;
    }
}

// A processed cube without a processing date, and rows whose names no longer lead to a cube,
// are left out; the next row is still gathered.
TEST_F(CubeCollection, UnreadableCubesAreLeftOut) {
    selector.checkCubes({"Broken", "Budget <2027>", "Sales"});
    selector.state.catalogueRows.at(0, 1) = QStringLiteral("Gone");
    selector.state.catalogueRows.at(1, 0) = QStringLiteral("sales"); // names are exact
    selector.state.catalogueRows.at(4, 0) = true;
    selector.kind.RetrieveInfo();
    EXPECT_EQ(collected().Count(), 0);

    selector.checkCubes({"Broken", "Inventory"});
    selector.kind.RetrieveInfo();
    EXPECT_EQ(cubeNames(collected()), QStringList{QStringLiteral("Inventory")});
}

TEST_F(CubeCollection, ChildCategoriesNeedTheirParents) {
    selector.checkCubes({"Sales"});
    selector.checkCategories({cinDS, cinDimLevelName});
    selector.kind.RetrieveInfo();
    EXPECT_EQ(collectedCube(1).Partitions.Count(), 0);
    EXPECT_EQ(collectedCube(1).Dimensions.Count(), 0);

    selector.checkCategories({cinpart, cinDim});
    selector.kind.RetrieveInfo();
    const CubeInfo& cube = collectedCube(1);
    ASSERT_EQ(cube.Partitions.Count(), 2);
    EXPECT_EQ(cube.Partitions[1]->DataSourceName, QString()); // data sources not asked for
    ASSERT_EQ(cube.Dimensions.Count(), 2);
    EXPECT_EQ(cube.Dimensions[1]->Levels.Count(), 0);
    EXPECT_EQ(cube.Roles.Count(), 0);
    EXPECT_EQ(cube.Measures.Count(), 0);
    EXPECT_EQ(cube.CalcMembers.Count(), 0);
}

// The collectors as a host calls them, on hand-set objects.
class Collectors : public testing::Test {
protected:
    void SetUp() override {
        selector.kind.GetInfoTree();
        tempCube.Name = QStringLiteral("Sales");
    }

    static std::shared_ptr<FakeStore> partition(const char* name, std::optional<qint32> storageMode) {
        auto p = std::make_shared<FakeStore>();
        p->name = QString::fromUtf8(name);
        p->storageMode = storageMode;
        p->aggregations =
            fakeList<Olap::Store>({std::make_shared<FakeStore>(), std::make_shared<FakeStore>()});
        p->dataSources = fakeList<Olap::DataSource>({});
        return p;
    }
    static std::shared_ptr<FakeDimension> dimension(const char* name, std::optional<bool> shared) {
        auto d = std::make_shared<FakeDimension>();
        d->name = QString::fromUtf8(name);
        d->shared = shared;
        d->levels = fakeList<Olap::Level>({});
        return d;
    }
    static std::shared_ptr<FakeLevel> level(const char* name, std::optional<bool> hidden, bool aggregation) {
        auto l = std::make_shared<FakeLevel>();
        l->name = QString::fromUtf8(name);
        l->hidden = hidden;
        l->aggregation = aggregation;
        return l;
    }
    static std::shared_ptr<FakeRole> role(const char* name) {
        auto r = std::make_shared<FakeRole>();
        r->name = QString::fromUtf8(name);
        return r;
    }
    static std::shared_ptr<FakeDataSource> dataSource(std::optional<QString> connection) {
        auto ds = std::make_shared<FakeDataSource>();
        ds->name = QStringLiteral("DS");
        ds->connectionString = std::move(connection);
        return ds;
    }

    CubeSelector selector{nullptr};
    CubeKind& kind = selector.kind;
    FakeStore cube;
    CubeInfo tempCube;
};

TEST_F(Collectors, RolesBeforeAFailingRoleStay) {
    cube.roles = fakeList<Olap::Role>({role("A"), nullptr, role("C")});
    kind.GetCubeRoles(cube, tempCube);
    EXPECT_EQ(namesOf(tempCube.Roles), QStringList{QStringLiteral("A")});

    auto many = fakeList<Olap::Role>({role("A")});
    many->reportedCount = 32768;
    cube.roles = many;
    CubeInfo other;
    kind.GetCubeRoles(cube, other);
    EXPECT_EQ(other.Roles.Count(), 0);
}

TEST_F(Collectors, FailingPartitionIsSkipped) {
    cube.partitions =
        fakeList<Olap::Store>({partition("P1", 0), partition("Bad", std::nullopt), partition("P3", 3)});
    EXPECT_TRUE(kind.GetCubePartitions(cube, tempCube));
    EXPECT_EQ(namesOf(tempCube.Partitions), (QStringList{QStringLiteral("P1"), QStringLiteral("P3")}));
    EXPECT_EQ(tempCube.Partitions[2]->Type, QStringLiteral("ROLAP"));
    EXPECT_EQ(tempCube.Partitions[2]->AggregationCount, QStringLiteral("2"));

    FakeStore noPartitions;
    EXPECT_FALSE(kind.GetCubePartitions(noPartitions, tempCube));
    EXPECT_EQ(tempCube.Partitions.Count(), 2);
}

TEST_F(Collectors, PartitionWithoutDataSourceIsStillAppended) {
    selector.checkCategories({cinpart, cinDS});
    auto p = partition("P", 1);
    PartitionInfo part;
    EXPECT_FALSE(kind.GetCubeDataSources(*p, part));
    EXPECT_TRUE(kind.GetPartitionInfo(*p, tempCube));
    ASSERT_EQ(tempCube.Partitions.Count(), 1);
    EXPECT_EQ(tempCube.Partitions[1]->DataSourceName, QString());

    p->dataSources = fakeList<Olap::DataSource>(
        {dataSource(QStringLiteral("Provider=First")), dataSource(QStringLiteral("Provider=Second"))});
    EXPECT_TRUE(kind.GetCubeDataSources(*p, part));
    EXPECT_EQ(part.Driver, QStringLiteral("First"));
}

TEST_F(Collectors, DataSourceMembersStayAsFarAsSet) {
    PartitionInfo part;
    auto ds = dataSource(std::nullopt);
    EXPECT_FALSE(kind.GetDataSourceInfo(*ds, part));
    EXPECT_EQ(part.DataSourceName, QStringLiteral("DS"));
    EXPECT_EQ(part.Driver, QString());
}

TEST_F(Collectors, ConnectionStrings) {
    const struct {
        const char* connection;
        const char* driver;
        const char* source;
    } cases[] = {
        {"Provider=MSDASQL.1;Data Source=FoodMart 2000", "MSDASQL.1", "FoodMart 2000"},
        {"provider = SQLOLEDB ;DATA SOURCE= wh01 ", "SQLOLEDB", "wh01"},
        {"Data Source=stock;Initial Catalog=inv", "", "stock"},
        {"Provider;Data Source=x", "x", "x"}, // the first "=" after the key decides
        {"Extended Data Source=x;Data Source=y", "", "x"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        PartitionInfo part;
        auto ds = dataSource(QString::fromUtf8(c.connection));
        EXPECT_TRUE(kind.GetDataSourceInfo(*ds, part));
        EXPECT_EQ(part.Driver, QString::fromUtf8(c.driver)) << c.connection;
        EXPECT_EQ(part.Source, QString::fromUtf8(c.source)) << c.connection;
    }
}

TEST_F(Collectors, DimensionsNamesAndFailures) {
    cube.dimensions = fakeList<Olap::Dimension>(
        {dimension("Sales^X", true), dimension("Bad", std::nullopt), dimension("Sales^Promotion", false)});
    EXPECT_TRUE(kind.GetCubeDimensions(cube, tempCube));
    EXPECT_EQ(namesOf(tempCube.Dimensions),
              (QStringList{QStringLiteral("Sales^X"), QStringLiteral("Promotion")}));
    EXPECT_EQ(tempCube.Dimensions[1]->Type, QStringLiteral("Shared"));
    EXPECT_EQ(tempCube.Dimensions[2]->Type, QStringLiteral("Private"));

    // A dimension that cannot be taken from the collection ends the walk.
    cube.dimensions = fakeList<Olap::Dimension>({dimension("Sales^Y", false), nullptr, dimension("Z", true)});
    CubeInfo walked;
    walked.Name = QStringLiteral("Sales");
    EXPECT_FALSE(kind.GetCubeDimensions(cube, walked));
    EXPECT_EQ(namesOf(walked.Dimensions), QStringList{QStringLiteral("Y")});
}

TEST_F(Collectors, DimensionFailsWhenItsCollectionDoes) {
    EXPECT_FALSE(kind.GetCubeDimensions(cube, tempCube));
    EXPECT_FALSE(kind.GetCubeMeasures(cube, tempCube));
    EXPECT_FALSE(kind.GetCubeCalcMbrs(cube, tempCube));
}

TEST_F(Collectors, LevelsVisibleAndAggregation) {
    selector.checkCategories({cinDim, cinDimLevelName});
    auto d = dimension("Time", true);
    d->levels = fakeList<Olap::Level>({level("A", false, true), level("B", true, false),
                                       level("Bad", std::nullopt, true), level("D", true, true)});
    EXPECT_TRUE(kind.GetDimensionInfo(*d, tempCube));
    const LevelInfoList& levels = tempCube.Dimensions[1]->Levels;
    ASSERT_EQ(levels.Count(), 3);
    const char* expected[][3] = {{"A", "Yes", "Yes"}, {"B", "No", "No"}, {"D", "No", "Yes"}};
    for (qint32 i = 1; i <= 3; ++i) {
        EXPECT_EQ(levels[i]->Name, QString::fromUtf8(expected[i - 1][0]));
        EXPECT_EQ(levels[i]->Visible, QString::fromUtf8(expected[i - 1][1]));
        EXPECT_EQ(levels[i]->AvailableForAggregation, QString::fromUtf8(expected[i - 1][2]));
    }

    DimensionInfo noLevels;
    auto broken = dimension("X", true);
    broken->levels = nullptr;
    kind.GetDimLevelInfo(*broken, noLevels); // fails quietly
    EXPECT_EQ(noLevels.Levels.Count(), 0);
}

TEST_F(Collectors, MeasuresFormatAndFailures) {
    auto m1 = std::make_shared<FakeMeasure>();
    m1->name = QStringLiteral("Empty format");
    m1->formatString = QString();
    m1->internal = true;
    m1->sourceColumn = QStringLiteral("\"t\".\"c\"");
    m1->aggregateFunction = 2;
    auto bad = std::make_shared<FakeMeasure>(*m1);
    bad->aggregateFunction.reset();
    auto m3 = std::make_shared<FakeMeasure>(*m1);
    m3->name = QStringLiteral("Formatted");
    m3->formatString = QStringLiteral("Currency");
    m3->internal = false;
    cube.measures = fakeList<Olap::Measure>({m1, bad, m3});

    EXPECT_TRUE(kind.GetCubeMeasures(cube, tempCube));
    ASSERT_EQ(tempCube.Measures.Count(), 2);
    const MeasureInfo& first = *tempCube.Measures[1];
    EXPECT_EQ(first.DisplayFormat, QStringLiteral("Not available"));
    EXPECT_EQ(first.Internal, QStringLiteral("Yes"));
    EXPECT_EQ(first.WarehouseTable, QStringLiteral("\"t\".\"c\""));
    EXPECT_EQ(first.AppliedFunction, QStringLiteral("MIN"));
    EXPECT_EQ(tempCube.Measures[2]->DisplayFormat, QStringLiteral("Currency"));
    EXPECT_EQ(tempCube.Measures[2]->Internal, QStringLiteral("No"));
}

TEST_F(Collectors, CalculatedMembersAndFailures) {
    auto c1 = std::make_shared<FakeCommand>();
    c1->name = QStringLiteral("Profit");
    c1->statement = QStringLiteral("CREATE MEMBER [M].[Profit] AS '1'");
    c1->solveOrder = -32768;
    auto bad = std::make_shared<FakeCommand>(*c1);
    bad->statement.reset();
    auto c3 = std::make_shared<FakeCommand>(*c1);
    c3->name = QStringLiteral("Next");
    c3->solveOrder = 7;
    cube.commands = fakeList<Olap::Command>({c1, bad, c3});

    EXPECT_TRUE(kind.GetCubeCalcMbrs(cube, tempCube));
    EXPECT_EQ(namesOf(tempCube.CalcMembers), (QStringList{QStringLiteral("Profit"), QStringLiteral("Next")}));
    EXPECT_EQ(tempCube.CalcMembers[1]->Statement, QStringLiteral("[M].[Profit] "));
    EXPECT_EQ(tempCube.CalcMembers[1]->SolveOrder, QStringLiteral("-32768"));
    EXPECT_EQ(tempCube.CalcMembers[2]->SolveOrder, QStringLiteral("7"));
}

} // namespace
} // namespace Lorvantic::Test
