// The cube catalogue, its progress, its failure paths, the column arrays and the tree.

#include "fakeolap.h"
#include "testserver.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

std::shared_ptr<Olap::Server> serverWith(std::vector<Olap::DatabaseData> databases) {
    auto data = std::make_shared<Olap::ServerData>();
    data->name = QStringLiteral("S");
    data->databases = std::move(databases);
    return Olap::ServerFromModel(data);
}

Olap::DatabaseData database(const QString& name, const QStringList& cubes) {
    Olap::DatabaseData db;
    db.name = name;
    for (const QString& cube : cubes) {
        Olap::CubeData data;
        data.name = cube;
        data.estimatedSize = 0.0;
        db.cubes.push_back(data);
    }
    return db;
}

std::shared_ptr<FakeStore> fakeCube(const QString& name) {
    auto cube = std::make_shared<FakeStore>();
    cube->name = name;
    cube->state = 1;
    cube->estimatedSize = 2097152.0;
    return cube;
}

std::shared_ptr<FakeStore> fakeDatabase(const QString& name,
                                        std::vector<std::shared_ptr<Olap::Store>> cubes) {
    auto db = std::make_shared<FakeStore>();
    db->name = name;
    db->cubes = fakeList(std::move(cubes));
    return db;
}

std::shared_ptr<FakeServer> fakeServer(std::vector<std::shared_ptr<Olap::Store>> databases) {
    auto server = std::make_shared<FakeServer>();
    server->databases = fakeList(std::move(databases));
    return server;
}

QStringList column(const VariantGrid& rows, qint32 col) {
    QStringList texts;
    for (qint32 row = rows.lbound(2); row <= rows.ubound(2); ++row)
        texts << rows.at(col, row).toString();
    return texts;
}

TEST(CubeCatalogue, OneRowPerCubeInServerOrder) {
    CubeSelector selector(Olap::ServerFromModel(cubeTestModel()));
    selector.kind.GetCatalogue();
    const VariantGrid& rows = selector.state.catalogueRows;

    ASSERT_EQ(rows.dimensions(), 2);
    EXPECT_EQ(rows.lbound(1), 0);
    EXPECT_EQ(rows.ubound(1), 4);
    EXPECT_EQ(rows.lbound(2), 0);
    EXPECT_EQ(rows.ubound(2), 3);
    const QString food = QStringLiteral("FoodMart");
    const QString tom = QStringLiteral("Tom's & Jerry's");
    EXPECT_EQ(column(rows, 0), (QStringList{food, food, tom, tom}));
    EXPECT_EQ(column(rows, 1), (QStringList{QStringLiteral("Sales"), QStringLiteral("Budget <2027>"),
                                            QStringLiteral("Inventory"), QStringLiteral("Broken")}));
    // The size of a cube that does not answer is "0".
    EXPECT_EQ(column(rows, 2), (QStringList{QStringLiteral("1.00 MB"), QStringLiteral("0.00 MB"),
                                            QStringLiteral("0 MB"), QStringLiteral("0.00 MB")}));
    EXPECT_EQ(column(rows, 3), (QStringList{QStringLiteral("Processed"), QStringLiteral("Not Processed"),
                                            QStringLiteral("Processed"), QStringLiteral("Processed")}));
    for (qint32 row = 0; row <= 3; ++row) {
        EXPECT_EQ(rows.at(4, row).typeId(), QMetaType::Bool);
        EXPECT_FALSE(rows.at(4, row).toBool());
    }
}

TEST(CubeCatalogue, DatabasesWithoutCubesAddNoRows) {
    CubeSelector selector(serverWith(
        {database(QStringLiteral("Empty"), {}),
         database(QStringLiteral("A"), {QStringLiteral("a1"), QStringLiteral("a2")}),
         database(QStringLiteral("Empty2"), {}), database(QStringLiteral("B"), {QStringLiteral("b1")})}));
    selector.kind.GetCatalogue();
    EXPECT_EQ(column(selector.state.catalogueRows, 1),
              (QStringList{QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("b1")}));
    EXPECT_EQ(column(selector.state.catalogueRows, 0),
              (QStringList{QStringLiteral("A"), QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(CubeCatalogue, ServerWithoutCubesLeavesRowsWithoutBounds) {
    for (auto server : {serverWith({}), serverWith({database(QStringLiteral("Empty"), {})})}) {
        CubeSelector selector(server);
        selector.kind.GetCatalogue();
        EXPECT_TRUE(IsArrayEmpty(selector.state.catalogueRows));
    }
}

TEST(CubeCatalogue, SecondBuildReplacesFirst) {
    CubeSelector selector(Olap::ServerFromModel(cubeTestModel()));
    selector.kind.GetCatalogue();
    selector.state.catalogueRows.at(4, 0) = true;
    selector.kind.GetCatalogue();
    EXPECT_EQ(selector.state.catalogueRows.ubound(2), 3);
    EXPECT_FALSE(selector.state.catalogueRows.at(4, 0).toBool());
}

struct StepCase {
    int databases;
    float step;
};

class CatalogueProgress : public testing::TestWithParam<StepCase> {};

TEST_P(CatalogueProgress, StepIsRoundedHalfToEven) {
    std::vector<Olap::DatabaseData> databases;
    for (int i = 1; i <= GetParam().databases; ++i)
        databases.push_back(database(QStringLiteral("DB%1").arg(i), {QStringLiteral("c")}));
    CubeSelector selector(serverWith(databases));
    RecordingProgress& progress = selector.recordProgress();

    selector.kind.GetCatalogue();
    EXPECT_EQ(progress.steps,
              std::vector<float>(static_cast<std::size_t>(GetParam().databases), GetParam().step));
    ASSERT_EQ(progress.statuses.size(), GetParam().databases);
    EXPECT_EQ(progress.statuses.first(), QStringLiteral("Opening database: DB1\r\nThis may take a while"));
}

INSTANTIATE_TEST_SUITE_P(Steps, CatalogueProgress,
                         testing::Values(StepCase{1, 90.0f}, StepCase{4, 22.0f}, StepCase{5, 18.0f},
                                         StepCase{7, 13.0f}, StepCase{12, 8.0f}, StepCase{36, 2.0f},
                                         StepCase{100, 1.0f}));

TEST(CubeCatalogue, NoProgressOutsideApplicationMode) {
    CubeSelector selector(Olap::ServerFromModel(cubeTestModel()));
    RecordingProgress& progress = selector.recordProgress();
    selector.state.InitMode = imOLAPServer;
    selector.kind.GetCatalogue();
    EXPECT_TRUE(progress.steps.empty());
    EXPECT_TRUE(progress.statuses.empty());
}

TEST(CubeCatalogue, FailingDatabaseKeepsEarlierRows) {
    auto broken = std::make_shared<FakeStore>();
    broken->name = QStringLiteral("Broken"); // its cubes cannot be read
    CubeSelector selector(
        fakeServer({fakeDatabase(QStringLiteral("A"), {fakeCube(QStringLiteral("a1"))}), broken,
                    fakeDatabase(QStringLiteral("C"), {fakeCube(QStringLiteral("c1"))})}));
    selector.kind.GetCatalogue();
    EXPECT_EQ(column(selector.state.catalogueRows, 1), QStringList{QStringLiteral("a1")});
    EXPECT_EQ(column(selector.state.catalogueRows, 2), QStringList{QStringLiteral("2.00 MB")});
}

TEST(CubeCatalogue, RowsMadeRoomForStayEmpty) {
    CubeSelector selector(fakeServer({fakeDatabase(
        QStringLiteral("A"), {fakeCube(QStringLiteral("a1")), nullptr, fakeCube(QStringLiteral("a3"))})}));
    selector.kind.GetCatalogue();
    const VariantGrid& rows = selector.state.catalogueRows;
    ASSERT_EQ(rows.ubound(2), 2);
    EXPECT_EQ(rows.at(1, 0).toString(), QStringLiteral("a1"));
    for (qint32 row = 1; row <= 2; ++row)
        for (qint32 col = 0; col <= 4; ++col)
            EXPECT_FALSE(rows.at(col, row).isValid()) << row << ',' << col;
}

TEST(CubeCatalogue, CountsPastSixteenBitsEndIt) {
    auto huge = fakeDatabase(QStringLiteral("Huge"), {});
    auto cubes = fakeList<Olap::Store>({});
    cubes->reportedCount = 32768;
    huge->cubes = cubes;
    CubeSelector selector(
        fakeServer({fakeDatabase(QStringLiteral("A"), {fakeCube(QStringLiteral("a1"))}), huge,
                    fakeDatabase(QStringLiteral("C"), {fakeCube(QStringLiteral("c1"))})}));
    selector.kind.GetCatalogue();
    EXPECT_EQ(column(selector.state.catalogueRows, 1), QStringList{QStringLiteral("a1")});

    auto databases = fakeList<Olap::Store>({});
    databases->reportedCount = 40000;
    auto server = std::make_shared<FakeServer>();
    server->databases = databases;
    CubeSelector many(server);
    many.kind.GetCatalogue();
    EXPECT_TRUE(IsArrayEmpty(many.state.catalogueRows));
}

TEST(CubeCatalogue, NoServerObjectEndsQuietly) {
    CubeSelector selector(nullptr);
    selector.kind.GetCatalogue();
    EXPECT_TRUE(IsArrayEmpty(selector.state.catalogueRows));
}

TEST(CubeColumns, CaptionsAlignmentsAndWidthsWithTheirTypes) {
    CubeSelector selector(nullptr);
    VariantGrid heads, aligns, widths;
    selector.kind.GetColumnHeaders(heads);
    selector.kind.GetColumnAligns(aligns);
    selector.kind.GetColumnWidths(widths);
    const QStringList captions = {QStringLiteral("Database"), QStringLiteral("Cube"), QStringLiteral("Size"),
                                  QStringLiteral("Status")};
    const qint32 alignments[] = {0, 0, 1, 0};
    const qint16 twips[] = {1600, 3200, 800, 1600};
    for (const VariantGrid* grid : {&heads, &aligns, &widths}) {
        EXPECT_EQ(grid->dimensions(), 1);
        EXPECT_EQ(grid->lbound(), 0);
        EXPECT_EQ(grid->ubound(), 3);
    }
    for (qint32 i = 0; i <= 3; ++i) {
        EXPECT_EQ(heads.at(i).typeId(), QMetaType::QString);
        EXPECT_EQ(heads.at(i).toString(), captions.at(i));
        EXPECT_EQ(aligns.at(i).typeId(), QMetaType::Int);
        EXPECT_EQ(aligns.at(i).toInt(), alignments[i]);
        EXPECT_EQ(widths.at(i).typeId(), QMetaType::Short);
        EXPECT_EQ(widths.at(i).value<qint16>(), twips[i]);
    }
}

TEST(CubeInfoTree, SevenCategoriesUnchecked) {
    CubeSelector selector(nullptr);
    selector.kind.GetInfoTree();
    const VariantGrid& tree = selector.state.infoTreeRows;
    ASSERT_EQ(tree.dimensions(), 2);
    EXPECT_EQ(tree.lbound(1), 1);
    EXPECT_EQ(tree.ubound(1), 7);
    EXPECT_EQ(tree.lbound(2), 0);
    EXPECT_EQ(tree.ubound(2), 3);
    const char* expected[][3] = {
        {"VOKKey1", "Connected Roles", ""},     {"VOKKey2", "Partitions", ""},
        {"VOKKey3", "Data Sources", "VOKKey2"}, {"VOKKey4", "Dimension", ""},
        {"VOKKey5", "Level Name", "VOKKey4"},   {"VOKKey6", "Measures", ""},
        {"VOKKey7", "Calculated Members", ""},
    };
    for (qint32 row = 1; row <= 7; ++row) {
        for (qint32 col = 0; col <= 2; ++col) {
            EXPECT_EQ(tree.at(row, col).typeId(), QMetaType::QString);
            EXPECT_EQ(tree.at(row, col).toString(), QString::fromUtf8(expected[row - 1][col]))
                << row << ',' << col;
        }
        EXPECT_EQ(tree.at(row, 3).typeId(), QMetaType::Bool);
        EXPECT_FALSE(tree.at(row, 3).toBool());
    }
}

} // namespace
} // namespace Lorvantic::Test
