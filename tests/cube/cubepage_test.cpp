// Whole cube pages against the expected files, and the guarded run.

#include "testserver.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

struct PageCase {
    const char* file;
    std::vector<CubeInfoNames> categories;
    std::vector<const char*> cubes;
    bool index;
};

const std::vector<CubeInfoNames> allCategories = {cinCubeRoles,    cinpart, cinDS,     cinDim,
                                                  cinDimLevelName, cinMsr,  cinCalcMbr};

void PrintTo(const PageCase& c, std::ostream* out) {
    *out << c.file;
}

std::string pageCaseName(const testing::TestParamInfo<PageCase>& info) {
    std::string name = info.param.file;
    name.resize(name.find('.'));
    return name + '_' + std::to_string(info.index);
}

class CubePage : public testing::TestWithParam<PageCase> {};

TEST_P(CubePage, MatchesExpectedFile) {
    const PageCase& c = GetParam();
    CubeSelector selector(Olap::ServerFromModel(cubeTestModel()));
    selector.kind.GetCatalogue();
    selector.kind.GetInfoTree();
    selector.checkCubes(c.cubes);
    selector.checkCategories(c.categories);
    selector.state.indexOption = c.index;
    selector.kind.RetrieveInfo();

    const QByteArray expected = readBytes(dataPath(QStringLiteral("cube/") + QLatin1String(c.file)));
    ASSERT_FALSE(expected.isEmpty()) << c.file;
    EXPECT_EQ(selector.runPage().toStdString(), expected.toStdString());
}

// "Broken" is checked where all cubes are: it cannot be read and is left out of the page.
INSTANTIATE_TEST_SUITE_P(
    Pages, CubePage,
    testing::Values(
        PageCase{"all_index.html", allCategories, {"Sales", "Budget <2027>", "Inventory", "Broken"}, true},
        PageCase{"all.html", allCategories, {"Sales", "Budget <2027>", "Inventory", "Broken"}, false},
        PageCase{"none.html", {}, {"Sales", "Inventory"}, false},
        PageCase{"none.html", {cinDimLevelName}, {"Sales", "Inventory"}, false},
        PageCase{"roles.html", {cinCubeRoles}, {"Sales", "Budget <2027>"}, false},
        PageCase{"partitions.html", {cinpart}, {"Sales", "Budget <2027>"}, false},
        PageCase{"datasources.html", {cinDS}, {"Sales"}, false},
        PageCase{"dimensions.html", {cinDim}, {"Sales", "Inventory"}, false},
        PageCase{"measures.html", {cinMsr}, {"Sales", "Budget <2027>"}, false},
        PageCase{"calcmembers.html", {cinCalcMbr}, {"Sales", "Budget <2027>"}, false}),
    pageCaseName);

class CubeRun : public testing::Test {
protected:
    void SetUp() override {
        presenter().clear();
        selector.kind.GetCatalogue();
        selector.kind.GetInfoTree();
        selector.checkCategories({});
    }

    CubeSelector selector{Olap::ServerFromModel(cubeTestModel())};
};

TEST_F(CubeRun, NothingCheckedShowsMessageAndMakesNoFile) {
    selector.checkCubes({});
    selector.kind.RetrieveInfo();
    bool asked = false;
    selector.state.pageFile = [&asked](QString&) {
        return asked = true;
    };
    selector.kind.CreateReport();
    EXPECT_FALSE(asked);
    EXPECT_EQ(presenter().texts(), QStringList{QStringLiteral("There is nothing to display!")});
    EXPECT_TRUE(IsArrayEmpty(selector.state.reportFiles));
}

TEST_F(CubeRun, WithoutCollectionEndsQuietly) {
    bool asked = false;
    selector.state.pageFile = [&asked](QString&) {
        return asked = true;
    };
    selector.kind.CreateReport();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(presenter().shown.empty());
}

// A section that fails ends the run quietly: the page keeps what was written, stays listed,
// and gets no end line.
TEST_F(CubeRun, FailingSectionEndsRunQuietly) {
    selector.checkCubes({"Sales"});
    selector.kind.RetrieveInfo();
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

TEST_F(CubeRun, ProgressNamesEachCube) {
    selector.checkCubes({"Sales", "Inventory"});
    selector.kind.RetrieveInfo();
    RecordingProgress& progress = selector.recordProgress();

    selector.runPage();
    EXPECT_EQ(progress.steps, (std::vector<float>{7.5f, 7.5f}));
    EXPECT_EQ(progress.statuses, (QStringList{QStringLiteral("Generating HTML for Cube: Sales"),
                                              QStringLiteral("Generating HTML for Cube: Inventory")}));
    EXPECT_EQ(progress.closed, 1);
}

// Partitions count only for a Boolean true; the level category counts for anything that
// converts to true, on the page though not in the collection.
TEST_F(CubeRun, LooseLevelFlagShapesPageButGathersNoLevels) {
    selector.checkCubes({"Sales"});
    selector.checkCategories({cinDim});
    selector.state.infoTreeRows.at(cinDimLevelName, 3) = 1;
    selector.state.infoTreeRows.at(cinpart, 3) = 1;
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
