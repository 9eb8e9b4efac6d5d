#pragma once

// The item models behind the selection dialog: the catalogue as a checkable table, the order a
// header click gives it, and the information categories as a checkable tree.

#include "selection/selection.h"

#include <QAbstractItemModel>
#include <QAbstractTableModel>
#include <QIcon>
#include <QSortFilterProxyModel>
#include <string>
#include <vector>

namespace Lorvantic {

// Column k of a row is its k-th text (database, name, detail, status); column 0 carries the
// check box. Rows end before the first one whose key (database and name) repeats an earlier
// one; columns end before the first with an alignment code other than 0, 1 and 2, and such a
// column leaves the table without rows. A catalogue longer than a 16-bit counter shows no row.
class CatalogueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CatalogueModel(QObject* parent = nullptr);

    void setCatalogue(const std::vector<SelectionRow>& rows, const std::vector<SelectionColumn>& columns);
    const SelectionRow& row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    void setChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<SelectionRow> m_rows;
    std::vector<SelectionColumn> m_columns;
};

// A text's key for sorting without regard to letter case: the values QString::compare with
// Qt::CaseInsensitive compares, one per code unit, so that keys compare as the texts do.
std::u32string CaseInsensitiveKey(QStringView text);

// Sorts by a column's text without regard to letter case; rows with equal texts keep the order
// they were shown in before the sort, either way round. A marked column shows an icon in its
// header.
class DisplayOrderSort : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit DisplayOrderSort(QObject* parent = nullptr);

    void sortShown(int column, Qt::SortOrder order);
    void markColumn(int column, const QIcon& icon);
    // The source row shown at each position.
    std::vector<int> sourceRowsShown() const;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    // By source row, for the sort of the last click: the clicked column's keys and the
    // positions shown before it.
    std::vector<std::u32string> m_keys;
    std::vector<std::size_t> m_position;
    bool m_descending = false;
    int m_markedColumn = -1;
    QIcon m_mark;
};

// The categories as a tree, in the order given. The tree ends before a category whose key
// (when not empty) repeats an earlier one or whose parent's key is not that of a category
// before it. A user's change of a check box (setData) follows the rule: unchecking a node
// unchecks its direct children, checking one checks its parent; setChecked does not.
class CategoryModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit CategoryModel(QObject* parent = nullptr);

    void setCategories(const std::vector<SelectionCategory>& categories);
    // Nodes are numbered in the order their categories came.
    int nodeCount() const { return static_cast<int>(m_nodes.size()); }
    QString caption(int node) const { return at(node).caption; }
    QString key(int node) const { return at(node).key; }
    // -1 at the top level.
    int parentNode(int node) const { return at(node).parent; }
    bool isChecked(int node) const { return at(node).checked; }
    void setChecked(int node, bool checked);
    QModelIndex indexOf(int node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node {
        QString key;
        QString caption;
        int parent = -1;
        int row = 0; // among its parent's children
        std::vector<int> children;
        bool checked = false;
    };
    const Node& at(int node) const { return m_nodes[static_cast<std::size_t>(node)]; }
    const std::vector<int>& childrenOf(const QModelIndex& parent) const;

    std::vector<Node> m_nodes;
    std::vector<int> m_topLevel;
};

} // namespace Lorvantic
