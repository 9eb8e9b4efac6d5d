#pragma once

// Check marks of list items and tree nodes, which carry their check box in column 0.

#include <QTreeWidgetItem>

namespace Lorvantic {

inline bool isChecked(const QTreeWidgetItem* item) {
    return item->checkState(0) == Qt::Checked;
}

inline void setChecked(QTreeWidgetItem* item, bool checked) {
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace Lorvantic
