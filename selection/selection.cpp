#include "selection/selection.h"

#include "model/error.h"

namespace Lorvantic {

namespace {
QString categoryKey(qint32 number) {
    return QStringLiteral("VOKKey") + QString::number(number);
}
} // namespace

QString ColumnText(const SelectionRow& row, std::size_t column) {
    switch (column) {
    case 0:
        return row.database;
    case 1:
        return row.name;
    case 2:
        return row.detail;
    case 3:
        return row.status;
    default:
        return {};
    }
}

SelectionCategory MakeCategory(qint32 number, const QString& caption, qint32 parentNumber) {
    return {categoryKey(number), caption, parentNumber == 0 ? QString() : categoryKey(parentNumber), false};
}

std::size_t GrowRows(std::vector<SelectionRow>& rows, qint32 count) {
    if (count < 0)
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    const std::size_t start = rows.size();
    rows.resize(start + static_cast<std::size_t>(count));
    return start;
}

bool CategoryChecked(const std::vector<SelectionCategory>& categories, qint32 number) {
    if (number < 1 || static_cast<std::size_t>(number) > categories.size())
        throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return categories[static_cast<std::size_t>(number) - 1].checked;
}

void Selection::checkAllRows(bool checked) {
    for (SelectionRow& row : rows)
        row.checked = checked;
}

bool Selection::checkRow(const QString& database, const QString& name) {
    bool found = false;
    for (SelectionRow& row : rows) {
        if (row.database == database && row.name == name) {
            row.checked = true;
            found = true;
        }
    }
    return found;
}

bool Selection::checkCategory(const QString& caption, bool checked) {
    bool found = false;
    for (SelectionCategory& category : categories) {
        if (!category.caption.isEmpty() && category.caption.compare(caption, Qt::CaseInsensitive) == 0) {
            category.checked = checked;
            found = true;
        }
    }
    return found;
}

void Selection::checkAllCategories() {
    for (SelectionCategory& category : categories)
        category.checked = !category.caption.isEmpty();
}

} // namespace Lorvantic
