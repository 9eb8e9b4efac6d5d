#pragma once

// Grids for the selection dialog and simulated user input on its widgets.

#include "frminfo.h"
#include "testsupport.h"
#include "variantgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace Lorvantic::Test {

using namespace Qt::StringLiterals;

// One catalogue row as the selectors build it.
struct CatalogueRow {
    QString database, name, size = {}, status = {};
    QVariant checked = false;
};

// Catalogue rows (column 0-4, row 0-n-1).
inline VariantGrid catalogue(const std::vector<CatalogueRow>& rows) {
    VariantGrid grid;
    grid.redim(0, 4, 0, static_cast<qint32>(rows.size()) - 1);
    for (qint32 r = 0; r < static_cast<qint32>(rows.size()); ++r) {
        const CatalogueRow& row = rows[static_cast<std::size_t>(r)];
        const QVariant cells[] = {row.database, row.name, row.size, row.status, row.checked};
        for (qint32 c = 0; c < 5; ++c)
            grid.at(c, r) = cells[c];
    }
    return grid;
}

// A column array 0 To n-1.
inline VariantGrid columnArray(const QVariantList& values) {
    VariantGrid grid;
    grid.redim(0, static_cast<qint32>(values.size()) - 1);
    for (qint32 i = 0; i < values.size(); ++i)
        grid.at(i) = values[i];
    return grid;
}

// The column arrays of the cube catalogue.
inline VariantGrid cubeHeaders() {
    return columnArray({u"Database"_s, u"Cube"_s, u"Size"_s, u"Status"_s});
}
inline VariantGrid cubeAligns() {
    return columnArray({0, 0, 1, 0});
}
inline VariantGrid cubeWidths() {
    return columnArray({1600, 3200, 800, 1600});
}

// One information-tree row: key, text, parent key, checked.
struct TreeRow {
    QVariant key, text, parentKey, checked = false;
};

// Information-tree rows (row 1-m, column 0-3).
inline VariantGrid infoTree(const std::vector<TreeRow>& rows) {
    VariantGrid grid;
    grid.redim(1, static_cast<qint32>(rows.size()), 0, 3);
    for (qint32 r = 1; r <= static_cast<qint32>(rows.size()); ++r) {
        const TreeRow& row = rows[static_cast<std::size_t>(r - 1)];
        const QVariant cells[] = {row.key, row.text, row.parentKey, row.checked};
        for (qint32 c = 0; c < 4; ++c)
            grid.at(r, c) = cells[c];
    }
    return grid;
}

// Connected Roles, Partitions > Data Sources, Dimension > Level Name, Measures, Calculated
// Members; keys "VOKKey1".."VOKKey7", all unchecked.
inline VariantGrid cubeTree() {
    return infoTree({{u"VOKKey1"_s, u"Connected Roles"_s, QString()},
                     {u"VOKKey2"_s, u"Partitions"_s, QString()},
                     {u"VOKKey3"_s, u"Data Sources"_s, u"VOKKey2"_s},
                     {u"VOKKey4"_s, u"Dimension"_s, QString()},
                     {u"VOKKey5"_s, u"Level Name"_s, u"VOKKey4"_s},
                     {u"VOKKey6"_s, u"Measures"_s, QString()},
                     {u"VOKKey7"_s, u"Calculated Members"_s, QString()}});
}

// Hands the dialog its grids and loads it by setting its caption.
inline void loadDialog(frmInfo& dialog, const VariantGrid& rows, const VariantGrid& tree = cubeTree(),
                       const VariantGrid& aligns = cubeAligns(), const VariantGrid& widths = cubeWidths(),
                       const VariantGrid& headers = cubeHeaders()) {
    dialog.SetFirstTab(rows);
    dialog.ColumnHeaders(headers);
    dialog.ColumnAlign(aligns);
    dialog.ColumnWidth(widths);
    dialog.SetSecondTab(tree);
    dialog.setCaption(u"Cube Information"_s);
}

inline QStringList columnTexts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

inline std::vector<bool> checkMarks(const QTreeWidget* list) {
    std::vector<bool> marks;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        marks.push_back(list->topLevelItem(i)->checkState(0) == Qt::Checked);
    return marks;
}

inline QTreeWidgetItem* nodeByText(const QTreeWidget* tree, const QString& text) {
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

inline bool isChecked(const QTreeWidget* tree, const char* text) {
    return nodeByText(tree, QString::fromUtf8(text))->checkState(0) == Qt::Checked;
}

inline void clickHeader(QTreeWidget* list, int column) {
    QHeaderView* header = list->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

inline void clickCheckBox(QTreeWidget* view, QTreeWidgetItem* item) {
    view->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(view->indexFromItem(item, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = item->text(0);
    option.widget = view;
    const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
}

inline void clickCheckBox(QTreeWidget* tree, const char* text) {
    clickCheckBox(tree, nodeByText(tree, QString::fromUtf8(text)));
}

inline void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Alt + the key, then waits for the button's click, which a mnemonic delivers a moment later.
inline void pressMnemonic(QWidget* window, Qt::Key key, QAbstractButton* button) {
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::keyClick(window, key, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return clicks.count() > 0; })) << button->objectName().toStdString();
}

// Runs the dialog modally with the action inside the modal loop; a dialog the action leaves open
// is closed after a while so that a failing test cannot hang. Returns what exec() returned.
inline int runModal(frmInfo& dialog, const std::function<void()>& action) {
    bool acted = false;
    QTimer::singleShot(0, &dialog, [&] {
        // Mnemonics and shortcuts reach only the active window.
        dialog.activateWindow();
        EXPECT_TRUE(waitUntil([&] { return dialog.isVisible() && QApplication::activeWindow() == &dialog; }));
        action();
        acted = true;
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
        ADD_FAILURE() << "the dialog was still open";
        dialog.done(QDialog::Rejected);
    });
    watchdog.start(20000);
    const int result = dialog.exec();
    EXPECT_TRUE(acted);
    return result;
}

} // namespace Lorvantic::Test
