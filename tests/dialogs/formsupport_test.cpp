#include "dialogs/formsupport.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Lorvantic;

namespace {

TEST(Forms, CenterFormCentresAndKeepsLargeWindowsOnScreen) {
    CenterForm(nullptr);
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    QWidget small;
    small.resize(200, 100);
    CenterForm(&small);
    EXPECT_EQ(small.pos(), area.topLeft() + QPoint((area.width() - 200) / 2, (area.height() - 100) / 2));

    QWidget wide;
    wide.resize(area.width() + 300, 100);
    CenterForm(&wide);
    EXPECT_EQ(wide.x(), area.left());
    EXPECT_EQ(wide.y(), area.top() + (area.height() - 100) / 2);
}

TEST(Forms, TwipsBecomePixelsAtTheLogicalDpi) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(1600, 96), 107);
    EXPECT_EQ(TwipsToPixels(800, 120), 67);
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
    EXPECT_EQ(TwipsToPixels(1e300, 96), std::numeric_limits<int>::max());
    EXPECT_EQ(TwipsToPixels(std::nan(""), 96), 0);
}

} // namespace
