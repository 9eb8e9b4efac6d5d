#pragma once

// Small helpers every form of the component shares: placing a window and sizes given in twips.

class QWidget;

namespace Lorvantic {

// Centres the window on the primary screen's available area; a window larger than that area
// is put at its left or top edge. Nothing happens without a window.
void CenterForm(QWidget* form);

// Twips are 1/1440 inch: pixels = twips x logical DPI / 1440, rounded.
int TwipsToPixels(double twips, int logicalDpi);
// The same for a widget's own logical DPI along x or y.
int TwipsToPixelsX(double twips, const QWidget* widget);
int TwipsToPixelsY(double twips, const QWidget* widget);

} // namespace Lorvantic
