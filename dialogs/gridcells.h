#pragma once

// Cells of the grids the selection dialog is handed, read as its list and tree take them. A cell
// that does not convert throws Error.

#include <QVariant>
#include <Qt>

class QWidget;

namespace Lorvantic {

// The text of a cell as the controls show it; a cell that holds nothing is "".
QString cellText(const QVariant& cell);

// A cell read as a number: numbers and numeric texts; anything else does not convert.
double cellNumber(const QVariant& cell);

// A cell read as a Boolean where the check box takes it: nothing is false, numbers are true
// unless zero, texts "True"/"False" or numeric; anything else does not convert.
bool cellBoolean(const QVariant& cell);

// Alignment codes 0 left, 1 right, 2 centre; a cell that holds nothing is left.
Qt::Alignment columnAlignment(const QVariant& code);

// A column's width in pixels from twips; a cell that holds nothing gives one inch, and any
// number gives a width a header can take.
int columnWidth(const QVariant& twips, const QWidget* list);

// The fills and the tree read-back count rows in 16 bits: a range beyond that fails at once.
void checkRowCounter(qint32 lower, qint32 upper);

} // namespace Lorvantic
