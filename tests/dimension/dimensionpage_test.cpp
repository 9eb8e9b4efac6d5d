// Whole dimension pages against hand-written files, and the dimension page run.

#include "dimension/dimensionkind.h"
#include "tests/cube/selectorfixture.h"
#include "tests/dimension/dimensiontestdata.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using DimensionSelector = Selector<DimensionKind>;

// A selector on the test server that has gathered these catalogue rows and categories.
std::unique_ptr<DimensionSelector> gathered(const std::vector<qint32>& rows,
                                            const std::vector<qint32>& categories = {}) {
    auto s = std::make_unique<DimensionSelector>(dimensionServer());
    s->gather(rows, categories);
    return s;
}

TEST(DimensionPage, MatchesHandWrittenPages) {
    const struct {
        const char* file;
        std::vector<qint32> rows, categories;
        bool index;
    } cases[] = {
        {"all_categories.html", {0, 1, 2, 3, 4}, {dinLevel, dinLevelProp, dinCube}, false},
        {"levels_cubes_index.html", {0, 1, 2, 3, 4}, {dinLevel, dinCube}, true},
        {"bare_index.html", {1, 4}, {}, true},
        {"bare_index.html", {1, 4}, {dinLevelProp}, true},
        {"cubes_only.html", {0, 3}, {dinCube}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto s = gathered(c.rows, c.categories);
        s->state.indexOption = c.index;
        expectPage(s->runPage(), u"dimension/"_s + QLatin1String(c.file));
        EXPECT_EQ(s->state.reportFiles.at(0).toString(), s->pagePath);
    }
}

TEST(DimensionPage, ReportsProgressPerDimensionAndClosesTheWindow) {
    auto s = gathered({0, 3});
    RecordingProgress& progress = s->useProgress();
    s->runPage();
    EXPECT_EQ(progress.steps, (std::vector<float>{7.5f, 7.5f}));
    EXPECT_EQ(progress.statuses, (QStringList{u"Generating HTML for Dimension: Time"_s,
                                              u"Generating HTML for Dimension: R&D <Labs>"_s}));
    EXPECT_EQ(progress.closed, 1);
}

TEST(DimensionPage, NothingCheckedMakesNoPage) {
    presenter().clear();
    auto s = gathered({});
    s->kind.CreateReport();
    EXPECT_EQ(presenter().texts(), QStringList{u"There is nothing to display!"_s});
    EXPECT_TRUE(IsArrayEmpty(s->state.reportFiles));
    presenter().clear();
}

// The run is not guarded: a failing section ends it and reaches the caller, leaving the page
// as far as it was written.
TEST(DimensionPage, FailureInTheRunReachesTheCaller) {
    auto s = gathered({0});
    s->state.infoTreeRows.erase(); // the section's category reads now fail
    EXPECT_EQ(failureOf([&] { s->runPage(); }), ErrorNumber::SubscriptOutOfRange);
    const QByteArray page = readBytes(s->state.reportFiles.at(0).toString());
    EXPECT_TRUE(page.contains("<B>Time</B>"));
    EXPECT_FALSE(page.contains("</body></html>"));
}

} // namespace
} // namespace Lorvantic::Test
