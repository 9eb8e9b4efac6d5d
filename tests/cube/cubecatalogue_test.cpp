// The cube catalogue, its progress, its quiet failures, the column arrays and the tree.

#include "cube/cubekind.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"
#include "tests/cube/testserver.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using CubeSelector = Selector<CubeKind>;

// The size of a cube that does not answer is "0".
TEST(CubeCatalogue, OneRowPerCubeInServerOrder) {
    CubeSelector selector(cubeTestModel());
    selector.kind.GetCatalogue();
    EXPECT_EQ(catalogueLines(selector.state.catalogueRows),
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
        {"empty slot", fakeServer({withGap}), {a1, u"-|-|-|-|-"_s, u"-|-|-|-|-"_s}},
        {"cube count past 16 bits", fakeServer({a, huge, c}), {a1}},
        {"database count past 16 bits", fakeServer({}, 40000), {}},
    };
    for (const auto& k : cases) {
        CubeSelector selector(k.server);
        EXPECT_EQ(failureOf([&] { selector.kind.GetCatalogue(); }), 0) << k.what;
        EXPECT_EQ(catalogueLines(selector.state.catalogueRows), k.lines) << k.what;
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

TEST(CubeCatalogue, ColumnArraysAndInfoTree) {
    CubeSelector selector;
    EXPECT_EQ(columnAndTreeLines(selector.kind, selector.state),
              (QStringList{
                  u"Database|Cube|Size|Status"_s, u"int:0|int:0|int:1|int:0"_s,
                  u"short:1600|short:3200|short:800|short:1600"_s, u"1:VOKKey1|Connected Roles||bool:false"_s,
                  u"2:VOKKey2|Partitions||bool:false"_s, u"3:VOKKey3|Data Sources|VOKKey2|bool:false"_s,
                  u"4:VOKKey4|Dimension||bool:false"_s, u"5:VOKKey5|Level Name|VOKKey4|bool:false"_s,
                  u"6:VOKKey6|Measures||bool:false"_s, u"7:VOKKey7|Calculated Members||bool:false"_s}));
}

} // namespace
} // namespace Lorvantic::Test
