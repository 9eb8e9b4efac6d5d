// The selection dialog's memory of check marks in the per-user settings: one value per tree
// node, per catalogue item and for the index box, keyed by the captions the user sees.

#include "dialogs/checkmarks.h"
#include "dialogs/frminfo.h"
#include "settings/settingsstore.h"

#include <QCheckBox>
#include <QScopedValueRollback>
#include <QTreeWidget>
#include <optional>

namespace Lorvantic {

namespace {
const QString Application = QStringLiteral("Kavenor");
const QString IndexKey = QStringLiteral("ReportPageWithIndex");
const QString CheckedMark = QStringLiteral("X");
const QString UncheckedMark = QStringLiteral(" ");

QString mark(bool checked) {
    return checked ? CheckedMark : UncheckedMark;
}

// Only the exact capital mark counts as checked.
bool isMarked(const QString& stored) {
    return stored == CheckedMark;
}

// "Root_" + text for a top-level node, else its direct parent's text + "_" + text.
QString nodeKey(const QTreeWidgetItem* node) {
    const QString prefix = node->parent() ? node->parent()->text(0) : QStringLiteral("Root");
    return prefix + u'_' + node->text(0);
}

// Item text + "_" + first sub-item: the database and the item's name.
QString catalogueKey(const QTreeWidgetItem* item) {
    return item->text(0) + u'_' + item->text(1);
}
} // namespace

void frmInfo::SaveCheckedItems(const QString& strRegSection) {
    BestEffort(SettingsAccess::Write, [&] {
        SettingsStore store(Application);
        for (const QTreeWidgetItem* node : nodesInAddedOrder())
            store.save(strRegSection, nodeKey(node), mark(isChecked(node)));
        for (const QTreeWidgetItem* item : listItems())
            store.save(strRegSection, catalogueKey(item), mark(isChecked(item)));
        store.save(strRegSection, IndexKey, mark(chkIndex->checkState() != Qt::Unchecked));
        store.commit();
    });
}

void frmInfo::LoadCheckedItems(const QString& strRegSection) {
    // A store that cannot be read leaves every item at its default.
    std::optional<SettingsStore> store;
    BestEffort(SettingsAccess::Read, [&] { store.emplace(Application); });
    const auto stored = [&](const QString& key, const QString& defaultValue) {
        return store ? store->get(strRegSection, key, defaultValue) : defaultValue;
    };
    const QScopedValueRollback<bool> program(m_programChecks, true);
    for (QTreeWidgetItem* node : nodesInAddedOrder())
        setChecked(node, isMarked(stored(nodeKey(node), CheckedMark)));
    for (QTreeWidgetItem* item : listItems())
        setChecked(item, isMarked(stored(catalogueKey(item), UncheckedMark)));
    chkIndex->setChecked(isMarked(stored(IndexKey, UncheckedMark)));
}

} // namespace Lorvantic
