// Whole dimension pages against hand-written files, and the dimension page run.

#include "dimensiontestdata.h"
#include "reportfile.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <ostream>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;

struct PageCase {
    const char* golden;
    std::initializer_list<qint32> rows; // ticked catalogue rows
    std::initializer_list<qint32> categories;
    bool index;
};

void PrintTo(const PageCase& c, std::ostream* os) {
    *os << c.golden;
}

// Catalogue rows: 0 Time, 1 Sales^Promotion Media, 2 Store Size, 3 R&D <Labs>, 4 Product.
const PageCase PageCases[] = {
    {"all_categories.html", {0, 1, 2, 3, 4}, {dinLevel, dinLevelProp, dinCube}, false},
    {"levels_cubes_index.html", {0, 1, 2, 3, 4}, {dinLevel, dinCube}, true},
    {"bare_index.html", {1, 4}, {}, true},
    {"bare_index.html", {1, 4}, {dinLevelProp}, true},
    {"cubes_only.html", {0, 3}, {dinCube}, false},
};

class DimensionPage : public testing::TestWithParam<PageCase> {};

TEST_P(DimensionPage, MatchesHandWrittenPage) {
    const PageCase& c = GetParam();
    ScopedEnv epoch("SOURCE_DATE_EPOCH", u"0"_s);
    Selector s(dimensionServer());
    s.tick(c.rows);
    s.check(c.categories);
    s.state->indexOption = c.index;
    s.kind.RetrieveInfo();
    const QString path = s.writePage();

    const QByteArray expected = readBytes(dataPath(u"dimension/"_s + QLatin1String(c.golden)));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(readBytes(path).toStdString(), expected.toStdString());
    EXPECT_EQ(s.state->reportFiles.at(0).toString(), path);
}

INSTANTIATE_TEST_SUITE_P(Pages, DimensionPage, testing::ValuesIn(PageCases));

TEST(DimensionPageRun, ReportsProgressPerDimensionAndClosesTheWindow) {
    ProgressLog log;
    Selector s(dimensionServer(), &log);
    s.tick({0, 3});
    s.kind.RetrieveInfo();
    log = {};
    s.writePage();
    EXPECT_EQ(log.steps, (std::vector<float>{7.5f, 7.5f}));
    EXPECT_EQ(log.statuses, (QStringList{u"Generating HTML for Dimension: Time"_s,
                                         u"Generating HTML for Dimension: R&D <Labs>"_s}));
    EXPECT_EQ(log.closes, 1);
}

TEST(DimensionPageRun, NothingCheckedMakesNoPage) {
    presenter().clear();
    Selector s(dimensionServer());
    s.kind.RetrieveInfo();
    s.kind.CreateReport();
    EXPECT_EQ(presenter().texts(), QStringList{u"There is nothing to display!"_s});
    EXPECT_TRUE(IsArrayEmpty(s.state->reportFiles));
}

// The run is not guarded: a failing section ends it and reaches the caller, leaving the page
// as far as it was written.
TEST(DimensionPageRun, FailureInTheRunReachesTheCaller) {
    Selector s(dimensionServer());
    s.tick({0});
    s.kind.RetrieveInfo();
    s.state->infoTreeRows.erase(); // the section's category reads now fail
    try {
        s.writePage();
        FAIL() << "the failure was swallowed";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::SubscriptOutOfRange);
    }
    const QByteArray page = readBytes(s.state->reportFiles.at(0).toString());
    EXPECT_TRUE(page.contains("<B>Time</B>"));
    EXPECT_FALSE(page.contains("</body></html>"));
}

} // namespace
} // namespace Lorvantic::Test
