#include "dialogtestutil.h"

#include "testsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace Lorvantic::Test {

namespace {
VariantGrid columnArray(const QVariantList& values) {
    VariantGrid grid;
    grid.redim(0, static_cast<qint32>(values.size()) - 1);
    for (qint32 i = 0; i < values.size(); ++i)
        grid.at(i) = values[i];
    return grid;
}
} // namespace

VariantGrid catalogue(const std::vector<CatalogueRow>& rows) {
    VariantGrid grid;
    grid.redim(0, 4, 0, static_cast<qint32>(rows.size()) - 1);
    for (qint32 r = 0; r < static_cast<qint32>(rows.size()); ++r) {
        const CatalogueRow& row = rows[static_cast<std::size_t>(r)];
        grid.at(0, r) = row.database;
        grid.at(1, r) = row.name;
        grid.at(2, r) = row.size;
        grid.at(3, r) = row.status;
        grid.at(4, r) = row.checked;
    }
    return grid;
}

VariantGrid cubeHeaders() {
    return columnArray({QStringLiteral("Database"), QStringLiteral("Cube"), QStringLiteral("Size"),
                        QStringLiteral("Status")});
}

VariantGrid cubeAligns() {
    return columnArray({0, 0, 1, 0});
}

VariantGrid cubeWidths() {
    return columnArray({1600, 3200, 800, 1600});
}

VariantGrid infoTree(const std::vector<TreeRow>& rows) {
    VariantGrid grid;
    grid.redim(1, static_cast<qint32>(rows.size()), 0, 3);
    for (qint32 r = 1; r <= static_cast<qint32>(rows.size()); ++r) {
        const TreeRow& row = rows[static_cast<std::size_t>(r - 1)];
        grid.at(r, 0) = row.key;
        grid.at(r, 1) = row.text;
        grid.at(r, 2) = row.parentKey;
        grid.at(r, 3) = row.checked;
    }
    return grid;
}

VariantGrid cubeTree() {
    const auto key = [](int r) {
        return QStringLiteral("VOKKey%1").arg(r);
    };
    return infoTree({
        {key(1), QStringLiteral("Connected Roles"), QString()},
        {key(2), QStringLiteral("Partitions"), QString()},
        {key(3), QStringLiteral("Data Sources"), key(2)},
        {key(4), QStringLiteral("Dimension"), QString()},
        {key(5), QStringLiteral("Level Name"), key(4)},
        {key(6), QStringLiteral("Measures"), QString()},
        {key(7), QStringLiteral("Calculated Members"), QString()},
    });
}

VariantGrid roleTree() {
    return infoTree({
        {QStringLiteral("VOKKey1"), QStringLiteral("User"), QString()},
        {QStringLiteral("VOKKey2"), QStringLiteral("Cube"), QString()},
        {QVariant(), QVariant(), QVariant(), QVariant()},
    });
}

void loadDialog(frmInfo& dialog, const VariantGrid& rows, const VariantGrid& tree) {
    dialog.SetFirstTab(rows);
    dialog.ColumnHeaders(cubeHeaders());
    dialog.ColumnAlign(cubeAligns());
    dialog.ColumnWidth(cubeWidths());
    dialog.SetSecondTab(tree);
    dialog.setCaption(QStringLiteral("Cube Information"));
}

QStringList columnTexts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

std::vector<bool> checkMarks(const QTreeWidget* list) {
    std::vector<bool> marks;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        marks.push_back(list->topLevelItem(i)->checkState(0) == Qt::Checked);
    return marks;
}

QTreeWidgetItem* nodeByText(const QTreeWidget* tree, const QString& text) {
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

void clickHeader(QTreeWidget* list, int column) {
    QHeaderView* header = list->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void clickCheckBox(QTreeWidget* view, QTreeWidgetItem* item) {
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

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void pressMnemonic(QWidget* window, Qt::Key key, QAbstractButton* button) {
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::keyClick(window, key, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return clicks.count() > 0; })) << button->objectName().toStdString();
}

int runModal(frmInfo& dialog, const std::function<void()>& action) {
    bool acted = false;
    QTimer::singleShot(0, &dialog, [&] {
        // Mnemonics and shortcuts reach only the active window.
        dialog.activateWindow();
        EXPECT_TRUE(waitUntil([&] { return dialog.isVisible() && QApplication::activeWindow() == &dialog; }));
        action();
        acted = true;
    });
    // Safety net only: a working test closes the dialog long before.
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
