#include "dialogs/gridcells.h"

#include "dialogs/formsupport.h"
#include "model/error.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Lorvantic {

namespace {
// The failure of a property the controls refuse, numbered as they number it.
constexpr qint32 InvalidPropertyValue = 380;

bool isNumber(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void typeMismatch() {
    throw Error(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}
} // namespace

QString cellText(const QVariant& cell) {
    if (cell.typeId() == QMetaType::Bool)
        return cell.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return cell.toString();
}

double cellNumber(const QVariant& cell) {
    if (isNumber(cell))
        return cell.toDouble();
    bool ok = false;
    const double value = cell.typeId() == QMetaType::QString ? cell.toString().trimmed().toDouble(&ok) : 0.0;
    if (!ok)
        typeMismatch();
    return value;
}

bool cellBoolean(const QVariant& cell) {
    if (!cell.isValid())
        return false;
    if (cell.typeId() == QMetaType::Bool)
        return cell.toBool();
    if (cell.typeId() == QMetaType::QString) {
        const QString text = cell.toString().trimmed();
        if (text.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
    }
    return cellNumber(cell) != 0.0;
}

Qt::Alignment columnAlignment(const QVariant& code) {
    const double value = code.isValid() ? std::round(cellNumber(code)) : 0.0;
    if (value == 0.0)
        return Qt::AlignLeft | Qt::AlignVCenter;
    if (value == 1.0)
        return Qt::AlignRight | Qt::AlignVCenter;
    if (value == 2.0)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    throw Error(InvalidPropertyValue, QStringLiteral("Invalid property value"));
}

int columnWidth(const QVariant& twips, const QWidget* list) {
    constexpr double DefaultTwips = 1440;
    constexpr int MaximumPixels = 32767;
    const int pixels = TwipsToPixelsX(twips.isValid() ? cellNumber(twips) : DefaultTwips, list);
    return std::clamp(pixels, 0, MaximumPixels);
}

void checkRowCounter(qint32 lower, qint32 upper) {
    const auto fits = [](qint32 row) {
        return row >= std::numeric_limits<qint16>::min() && row <= std::numeric_limits<qint16>::max();
    };
    if (!fits(lower) || !fits(upper))
        throw Error(ErrorNumber::Overflow, QStringLiteral("Overflow"));
}

} // namespace Lorvantic
