#include "core/progressdisplay.h"
#include "dialogs/frmprogress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

TEST(ProgressWindow, AdvancesButNeverPassesTheEnd) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::string name;
        std::vector<float> steps;
        float expected;
    };
    std::vector<Case> cases = {
        {"one step", {10}, 10},
        {"eleven steps of ten", std::vector<float>(11, 10), 100},
        {"95 then 10", {95, 10}, 100},
        {"95, 10, then 1", {95, 10, 1}, 100},
        {"exactly full", {60, 40}, 100},
        {"nothing", {37.5f, 0}, 37.5f},
        {"back again", {50, -20}, 30},
        {"never below empty", {10, -20}, 0},
        {"not a number counts as full", {10, nan}, 100},
        {"full stays full", {100, inf, 5}, 100},
    };
    // Per-item steps add up to fifteen, and from 85 to full, not past it.
    for (int n : {1, 3, 7, 10, 33, 999}) {
        std::vector<float> steps(static_cast<std::size_t>(n), 15.0f / static_cast<float>(n));
        cases.push_back({"fifteen in " + std::to_string(n), steps, 15});
        steps.insert(steps.begin(), 85);
        cases.push_back({"85, then fifteen in " + std::to_string(n), steps, 100});
    }
    for (const Case& c : cases) {
        frmProgress window;
        for (float step : c.steps)
            window.Progress(step);
        EXPECT_NEAR(window.value(), c.expected, 1e-3f) << c.name;
        EXPECT_LE(window.value(), 100.0f) << c.name;
        EXPECT_EQ(window.prgBar->value(), static_cast<int>(std::lround(c.expected))) << c.name;
    }
}

TEST(ProgressWindow, StartsEmptyAsACentredToolWindowOfPlainTextThatOnlyItsUsersClose) {
    const frmProgress fresh;
    EXPECT_EQ(fresh.windowType(), Qt::Tool);
    EXPECT_EQ(fresh.prgBar->value(), 0);
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(fresh.geometry().center().x(), area.center().x(), 1);
    EXPECT_NEAR(fresh.geometry().center().y(), area.center().y(), 1);
    const std::unique_ptr<frmProgress> window = ShowProgressWindow();
    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_FALSE(window->close()) << "the frame's close box leaves it open";
    EXPECT_TRUE(window->isVisible());
    // The status is plain text; a long one (a live server's request names one) wraps inside the
    // fixed window.
    window->Status(u"<b>not markup</b>"_s);
    EXPECT_EQ(window->lblStatus->text(), u"<b>not markup</b>"_s);
    EXPECT_EQ(window->lblStatus->textFormat(), Qt::PlainText);
    window->Status(u"Reading MDSCHEMA_MEASURES of catalogue 'Enterprise Warehouse North America 0000'"_s);
    EXPECT_LE(window->lblStatus->sizeHint().width(), window->width());
    window->Close();
    EXPECT_FALSE(window->isVisible());
}

// The window opens at the first step and goes with the display; a request's start sets the
// status, and the bar follows answered of asked without going back when more are asked.
TEST(ProgressWindow, ShowsTheStepsOfALongReadWhileTheDisplayLives) {
    frmProgress* window = nullptr;
    std::vector<std::pair<QString, float>> seen;
    {
        const ScopedProgressDisplay display([&]() -> std::unique_ptr<ProgressWindow> {
            auto opened = ShowProgressWindow();
            window = opened.get();
            return opened;
        });
        EXPECT_EQ(window, nullptr);
        const ProgressStep steps[] = {
            {0, 2, u"A"_s, false}, {1, 2, u"A"_s, true}, {1, 4, u"B"_s, false}, {2, 4, u"B"_s, true}};
        for (const ProgressStep& step : steps) {
            ReportProgress(step);
            seen.emplace_back(window->lblStatus->text(), window->value());
        }
    }
    ReportProgress({3, 4, u"C"_s, false}); // nobody listens
    EXPECT_EQ(seen,
              (std::vector<std::pair<QString, float>>{
                  {u"Reading A"_s, 0}, {u"Reading A"_s, 50}, {u"Reading B"_s, 50}, {u"Reading B"_s, 50}}));
}

} // namespace
