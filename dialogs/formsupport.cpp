#include "dialogs/formsupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Lorvantic {

void CenterForm(QWidget* form) {
    if (!form)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = form->frameGeometry().size();
    const int left = std::max(0, (area.width() - size.width()) / 2);
    const int top = std::max(0, (area.height() - size.height()) / 2);
    form->move(area.left() + left, area.top() + top);
}

int TwipsToPixels(double twips, int logicalDpi) {
    const double pixels = twips * logicalDpi / 1440.0;
    if (std::isnan(pixels))
        return 0;
    constexpr double limit = std::numeric_limits<int>::max();
    return static_cast<int>(std::lround(std::clamp(pixels, -limit, limit)));
}

int TwipsToPixelsX(double twips, const QWidget* widget) {
    return TwipsToPixels(twips, widget->logicalDpiX());
}

int TwipsToPixelsY(double twips, const QWidget* widget) {
    return TwipsToPixels(twips, widget->logicalDpiY());
}

} // namespace Lorvantic
