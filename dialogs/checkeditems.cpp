// The selection dialog's memory of check marks in the per-user settings: one value per tree
// node, per catalogue item and for the index box, keyed by the captions the user sees.

#include "dialogs/frminfo.h"
#include "dialogs/selectionmodels.h"
#include "settings/settingsstore.h"

#include <QCheckBox>
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
QString nodeKey(const CategoryModel& tree, int node) {
    const int parent = tree.parentNode(node);
    const QString prefix = parent >= 0 ? tree.caption(parent) : QStringLiteral("Root");
    return prefix + u'_' + tree.caption(node);
}

// The database + "_" + the item's name.
QString catalogueKey(const SelectionRow& row) {
    return row.database + u'_' + row.name;
}
} // namespace

void frmInfo::SaveCheckedItems(const QString& strRegSection) {
    BestEffort(SettingsAccess::Write, [&] {
        SettingsStore store(Application);
        for (int node = 0; node < m_categories->nodeCount(); ++node)
            store.save(strRegSection, nodeKey(*m_categories, node), mark(m_categories->isChecked(node)));
        for (const int row : m_shownOrder->sourceRowsShown()) {
            const SelectionRow& item = m_catalogue->row(row);
            store.save(strRegSection, catalogueKey(item), mark(item.checked));
        }
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
    for (int node = 0; node < m_categories->nodeCount(); ++node)
        m_categories->setChecked(node, isMarked(stored(nodeKey(*m_categories, node), CheckedMark)));
    for (const int row : m_shownOrder->sourceRowsShown())
        m_catalogue->setChecked(row, isMarked(stored(catalogueKey(m_catalogue->row(row)), UncheckedMark)));
    chkIndex->setChecked(isMarked(stored(IndexKey, UncheckedMark)));
}

} // namespace Lorvantic
