#include "dialogs/selectionmodels.h"

#include <QChar>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>

namespace Lorvantic {

namespace {
QVariant checkState(bool checked) {
    return checked ? Qt::Checked : Qt::Unchecked;
}

bool isCheckedState(const QVariant& value) {
    return value.toInt() == Qt::Checked;
}

// Alignment codes 0 left, 1 right, 2 centre.
bool isAlignmentCode(qint32 code) {
    return code >= 0 && code <= 2;
}

int alignment(qint32 code) {
    static constexpr Qt::Alignment Horizontal[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    return static_cast<int>(Horizontal[code] | Qt::AlignVCenter);
}
} // namespace

CatalogueModel::CatalogueModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void CatalogueModel::setCatalogue(const std::vector<SelectionRow>& rows,
                                  const std::vector<SelectionColumn>& columns) {
    beginResetModel();
    m_rows.clear();
    m_columns.clear();
    const auto badColumn = std::find_if(columns.begin(), columns.end(), [](const SelectionColumn& c) {
        return !isAlignmentCode(c.alignment);
    });
    m_columns.assign(columns.begin(), badColumn);
    // The list counts its rows in 16 bits: a longer catalogue shows no row at all.
    const bool countable = rows.size() <= std::size_t{std::numeric_limits<qint16>::max()} + 1;
    QSet<QString> keys;
    for (auto row = rows.begin(); countable && badColumn == columns.end() && row != rows.end(); ++row) {
        const QString key = row->database + row->name;
        // An empty key is no key: it never repeats.
        if (!key.isEmpty() && keys.contains(key))
            break;
        keys.insert(key);
        m_rows.push_back(*row);
    }
    endResetModel();
}

void CatalogueModel::setChecked(int row, bool checked) {
    m_rows[static_cast<std::size_t>(row)].checked = checked;
    const QModelIndex box = index(row, 0);
    Q_EMIT dataChanged(box, box, {Qt::CheckStateRole});
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CatalogueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const SelectionRow& shown = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ColumnText(shown, static_cast<std::size_t>(index.column()));
    case Qt::TextAlignmentRole:
        return alignment(m_columns[static_cast<std::size_t>(index.column())].alignment);
    case Qt::CheckStateRole:
        return index.column() == 0 ? checkState(shown.checked) : QVariant();
    default:
        return {};
    }
}

bool CatalogueModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    setChecked(index.row(), isCheckedState(value));
    return true;
}

Qt::ItemFlags CatalogueModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return index.column() == 0 ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const SelectionColumn& column = m_columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return column.caption;
    if (role == Qt::TextAlignmentRole)
        return alignment(column.alignment);
    return {};
}

// The comparison folds code units one by one, a low surrogate together with the high one
// before it.
std::u32string CaseInsensitiveKey(QStringView text) {
    std::u32string key;
    key.reserve(static_cast<std::size_t>(text.size()));
    char16_t last = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const char32_t point = QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last)
                                   ? QChar::surrogateToUcs4(last, unit)
                                   : char32_t(unit);
        key.push_back(QChar::toCaseFolded(point));
        last = unit;
    }
    return key;
}

DisplayOrderSort::DisplayOrderSort(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(false);
}

std::vector<int> DisplayOrderSort::sourceRowsShown() const {
    std::vector<int> rows(static_cast<std::size_t>(rowCount()));
    for (int shown = 0; shown < rowCount(); ++shown)
        rows[static_cast<std::size_t>(shown)] = mapToSource(index(shown, 0)).row();
    return rows;
}

// Each row's key and its position now are worked out once per click; the proxy's own sort then
// compares keys, and positions where the keys are equal. A descending sort asks the other way
// round, so there equal texts compare in reverse to come out in the order shown.
void DisplayOrderSort::sortShown(int column, Qt::SortOrder order) {
    const std::vector<int> shown = sourceRowsShown();
    m_position.assign(shown.size(), 0);
    m_keys.assign(shown.size(), {});
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto row = static_cast<std::size_t>(shown[i]);
        m_position[row] = i;
        m_keys[row] = CaseInsensitiveKey(sourceModel()->index(shown[i], column).data().toString());
    }
    m_descending = order == Qt::DescendingOrder;
    sort(column, order);
}

bool DisplayOrderSort::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto l = static_cast<std::size_t>(left.row());
    const auto r = static_cast<std::size_t>(right.row());
    if (l >= m_keys.size() || r >= m_keys.size())
        return left.row() < right.row();
    if (const int difference = m_keys[l].compare(m_keys[r]); difference != 0)
        return difference < 0;
    return m_descending ? m_position[l] > m_position[r] : m_position[l] < m_position[r];
}

void DisplayOrderSort::markColumn(int column, const QIcon& icon) {
    const int previous = m_markedColumn;
    m_markedColumn = column;
    m_mark = icon;
    if (previous >= 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, previous, previous);
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QVariant DisplayOrderSort::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DecorationRole && orientation == Qt::Horizontal && section == m_markedColumn)
        return m_mark;
    return QSortFilterProxyModel::headerData(section, orientation, role);
}

CategoryModel::CategoryModel(QObject* parent)
    : QAbstractItemModel(parent) {}

void CategoryModel::setCategories(const std::vector<SelectionCategory>& categories) {
    beginResetModel();
    m_nodes.clear();
    m_topLevel.clear();
    QHash<QString, int> nodesByKey;
    for (const SelectionCategory& category : categories) {
        if (!category.key.isEmpty() && nodesByKey.contains(category.key))
            break;
        const int parent = category.parent.isEmpty() ? -1 : nodesByKey.value(category.parent, -2);
        if (parent == -2)
            break;
        const int node = nodeCount();
        std::vector<int>& siblings =
            parent < 0 ? m_topLevel : m_nodes[static_cast<std::size_t>(parent)].children;
        const int row = static_cast<int>(siblings.size());
        siblings.push_back(node);
        m_nodes.push_back({category.key, category.caption, parent, row, {}, category.checked});
        if (!category.key.isEmpty())
            nodesByKey.insert(category.key, node);
    }
    endResetModel();
}

void CategoryModel::setChecked(int node, bool checked) {
    Node& changed = m_nodes[static_cast<std::size_t>(node)];
    if (changed.checked == checked)
        return;
    changed.checked = checked;
    const QModelIndex box = indexOf(node);
    Q_EMIT dataChanged(box, box, {Qt::CheckStateRole});
}

QModelIndex CategoryModel::indexOf(int node) const {
    return createIndex(at(node).row, 0, static_cast<quintptr>(node));
}

const std::vector<int>& CategoryModel::childrenOf(const QModelIndex& parent) const {
    return parent.isValid() ? at(static_cast<int>(parent.internalId())).children : m_topLevel;
}

QModelIndex CategoryModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || parent.column() > 0 || row < 0)
        return {};
    const std::vector<int>& children = childrenOf(parent);
    if (static_cast<std::size_t>(row) >= children.size())
        return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<std::size_t>(row)]));
}

QModelIndex CategoryModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    const int parentNode = at(static_cast<int>(child.internalId())).parent;
    return parentNode < 0 ? QModelIndex() : indexOf(parentNode);
}

int CategoryModel::rowCount(const QModelIndex& parent) const {
    return parent.column() > 0 ? 0 : static_cast<int>(childrenOf(parent).size());
}

int CategoryModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

QVariant CategoryModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Node& node = at(static_cast<int>(index.internalId()));
    if (role == Qt::DisplayRole)
        return node.caption;
    if (role == Qt::CheckStateRole)
        return checkState(node.checked);
    return {};
}

bool CategoryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int node = static_cast<int>(index.internalId());
    const bool checked = isCheckedState(value);
    if (at(node).checked == checked)
        return true;
    setChecked(node, checked);
    if (!checked) {
        for (const int child : at(node).children)
            setChecked(child, false);
    } else if (at(node).parent >= 0) {
        setChecked(at(node).parent, true);
    }
    return true;
}

Qt::ItemFlags CategoryModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled
                           : Qt::NoItemFlags;
}

} // namespace Lorvantic
