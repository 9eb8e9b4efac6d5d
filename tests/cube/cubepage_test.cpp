// Whole cube pages against the expected files, and the guarded run.

#include "core/grids.h"
#include "cube/cubekind.h"
#include "tests/cube/selectorfixture.h"
#include "tests/cube/testserver.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using CubeSelector = Selector<CubeKind>;

class CubePage : public testing::Test {
protected:
    void SetUp() override { presenter().clear(); }

    CubeSelector selector{cubeTestModel()};
};

// Rows: 0 Sales, 1 Budget <2027>, 2 Inventory, 3 Broken. "Broken" cannot be read and is left out.
TEST_F(CubePage, MatchesExpectedFiles) {
    const std::vector<qint32> all = {cinCubeRoles,    cinpart, cinDS,     cinDim,
                                     cinDimLevelName, cinMsr,  cinCalcMbr};
    const struct {
        const char* file;
        std::vector<qint32> categories, rows;
        bool index;
    } cases[] = {
        {"all_index.html", all, {0, 1, 2, 3}, true},
        {"all.html", all, {0, 1, 2, 3}, false},
        {"none.html", {}, {0, 2}, false},
        {"none.html", {cinDimLevelName}, {0, 2}, false},
        {"roles.html", {cinCubeRoles}, {0, 1}, false},
        {"partitions.html", {cinpart}, {0, 1}, false},
        {"datasources.html", {cinDS}, {0}, false},
        {"dimensions.html", {cinDim}, {0, 2}, false},
        {"measures.html", {cinMsr}, {0, 1}, false},
        {"calcmembers.html", {cinCalcMbr}, {0, 1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        selector.state.indexOption = c.index;
        selector.gather(c.rows, c.categories);
        expectPage(selector.runPage(), u"cube/"_s + QLatin1String(c.file));
    }
    EXPECT_TRUE(presenter().shown.empty());
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
    EXPECT_TRUE(IsArrayEmpty(selector.state.reportFiles));
}

// A section that fails ends the run quietly: the page keeps what was written, stays listed,
// and gets no end line.
TEST_F(CubePage, FailingSectionEndsRunQuietly) {
    selector.gather({0}, {});
    selector.state.infoTreeRows.erase();
    const QByteArray page = selector.runPage();
    const QList<QByteArray> lines = page.split('\n');
    ASSERT_EQ(lines.size(), 10); // seven header lines, cube header and cube row, nothing after
    EXPECT_TRUE(lines.at(7).startsWith("<table border='1' style='margin-left:10'"));
    EXPECT_TRUE(lines.at(8).startsWith("<TR bgcolor='yellow'><TD vAlign='top'>FoodMart</TD>"));
    EXPECT_FALSE(page.contains("</body></html>"));
    EXPECT_TRUE(presenter().shown.empty());
    EXPECT_EQ(selector.state.reportFiles.length(), 1);
}

TEST_F(CubePage, ProgressNamesEachCube) {
    selector.gather({0, 2}, {});
    RecordingProgress& progress = selector.useProgress();
    selector.runPage();
    EXPECT_EQ(progress.steps, (std::vector<float>{7.5f, 7.5f}));
    EXPECT_EQ(progress.statuses,
              (QStringList{u"Generating HTML for Cube: Sales"_s, u"Generating HTML for Cube: Inventory"_s}));
    EXPECT_EQ(progress.closed, 1);
}

// Partitions count only for a Boolean true; the level category counts for anything that
// converts to true, on the page though not in the collection.
TEST_F(CubePage, LooseLevelFlagShapesPageButGathersNoLevels) {
    selector.build().check({cinDim});
    selector.state.infoTreeRows.at(cinDimLevelName, 3) = 1;
    selector.state.infoTreeRows.at(cinpart, InfoTreeColumn::Checked) = 1;
    selector.tick({0});
    selector.kind.RetrieveInfo();
    const QByteArray page = selector.runPage();
    EXPECT_EQ(page.count("style='margin-left:110'"), 2); // one level table per dimension
    EXPECT_EQ(page.count("Shared</TD></TR></TABLE>"), 1);
    EXPECT_EQ(page.count("Private</TD></TR></TABLE>"), 1);
    EXPECT_FALSE(page.contains(">Year<"));
    EXPECT_FALSE(page.contains("Partition Name"));
}

} // namespace
} // namespace Lorvantic::Test
