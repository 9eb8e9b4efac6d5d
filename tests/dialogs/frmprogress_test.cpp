#include "frmprogress.h"
#include "testsupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Lorvantic;

namespace {

TEST(ProgressWindow, StartsEmptyAsASmallCentredToolWindow) {
    frmProgress window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Work in progress"));
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.findChild<QProgressBar*>(QStringLiteral("prgBar")), window.prgBar);
    EXPECT_EQ(window.findChild<QGroupBox*>(QStringLiteral("frStatus")), window.frStatus);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblStatus")), window.lblStatus);
    EXPECT_EQ(window.lblStatus->parentWidget(), window.frStatus);
    EXPECT_EQ(window.frStatus->title(), QStringLiteral("Status:"));
    EXPECT_EQ(window.prgBar->minimum(), 0);
    EXPECT_EQ(window.prgBar->maximum(), 100);
    EXPECT_EQ(window.prgBar->value(), 0);
    EXPECT_EQ(window.value(), 0.0f);
    EXPECT_EQ(window.lblStatus->text(), QString());

    const QRect area = QApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(window.geometry().center().x(), area.center().x(), 1);
    EXPECT_NEAR(window.geometry().center().y(), area.center().y(), 1);
}

TEST(ProgressWindow, AdvancesButNeverPassesTheEnd) {
    struct Case {
        const char* name;
        std::vector<float> steps;
        float expected;
    };
    const Case cases[] = {
        {"one step", {10}, 10},
        {"eleven steps of ten", std::vector<float>(11, 10), 100},
        {"95 then 10", {95, 10}, 100},
        {"95, 10, then 1", {95, 10, 1}, 100},
        {"exactly full", {60, 40}, 100},
        {"nothing", {37.5f, 0}, 37.5f},
        {"back again", {50, -20}, 30},
        {"never below empty", {10, -20}, 0},
        {"not a number counts as full", {10, std::numeric_limits<float>::quiet_NaN()}, 100},
        {"full stays full", {100, std::numeric_limits<float>::infinity(), 5}, 100},
    };
    for (const Case& c : cases) {
        frmProgress window;
        for (float step : c.steps)
            window.Progress(step);
        EXPECT_EQ(window.value(), c.expected) << c.name;
        EXPECT_EQ(window.prgBar->value(), static_cast<int>(std::lround(c.expected))) << c.name;
    }
}

TEST(ProgressWindow, PerItemStepsAddUpToFifteen) {
    for (int n : {1, 3, 7, 10, 33, 999}) {
        frmProgress fresh;
        frmProgress nearlyFull;
        nearlyFull.Progress(85);
        for (int i = 0; i < n; ++i) {
            fresh.Progress(15.0f / static_cast<float>(n));
            nearlyFull.Progress(15.0f / static_cast<float>(n));
        }
        EXPECT_NEAR(fresh.value(), 15.0f, 1e-3f) << n;
        EXPECT_LE(nearlyFull.value(), 100.0f) << n;
        EXPECT_NEAR(nearlyFull.value(), 100.0f, 1e-3f) << n;
        EXPECT_EQ(nearlyFull.prgBar->value(), 100) << n;
    }
}

TEST(ProgressWindow, ShowsTheStatusTextUnchanged) {
    frmProgress window;
    for (const QString& text : {QStringLiteral("Opening database: FoodMart\r\nThis may take a while"),
                                QStringLiteral("<b>not markup</b>"), QString()}) {
        window.Status(text);
        EXPECT_EQ(window.lblStatus->text(), text);
    }
    EXPECT_EQ(window.lblStatus->textFormat(), Qt::PlainText);
}

TEST(ProgressWindow, OnlyItsUsersCloseIt) {
    const std::unique_ptr<frmProgress> window = ShowProgressWindow();
    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_FALSE(window->close()) << "the frame's close box leaves it open";
    EXPECT_TRUE(window->isVisible());
    window->Close();
    EXPECT_FALSE(window->isVisible());
}

} // namespace
