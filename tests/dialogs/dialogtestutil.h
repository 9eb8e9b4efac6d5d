#pragma once

// Grids for the selection dialog and simulated user input on its widgets.

#include "core/grids.h"
#include "core/variantgrid.h"
#include "dialogs/frminfo.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace Lorvantic::Test {

using namespace Qt::StringLiterals;

// One catalogue row as the selectors build it.
struct CatalogueRow {
    QString database, name, size = {}, status = {};
    QVariant checked = false;
};

// Catalogue rows (every column, row 0-n-1).
inline VariantGrid catalogue(const std::vector<CatalogueRow>& rows) {
    VariantGrid grid;
    grid.redim(CatalogueColumn::Database, CatalogueColumn::Checked, 0, static_cast<qint32>(rows.size()) - 1);
    for (qint32 r = 0; r < static_cast<qint32>(rows.size()); ++r) {
        const CatalogueRow& row = rows[static_cast<std::size_t>(r)];
        grid.at(CatalogueColumn::Database, r) = row.database;
        grid.at(CatalogueColumn::Name, r) = row.name;
        grid.at(CatalogueColumn::Size, r) = row.size;
        grid.at(CatalogueColumn::Status, r) = row.status;
        grid.at(CatalogueColumn::Checked, r) = row.checked;
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

// A damaged settings file that cannot be moved aside, not even by root: the name it would be
// moved to passes the system's limit of 4095 bytes for a path, which the file itself keeps. Every
// read and every save of the store fails.
struct StuckSettings {
    QString configHome, file;
    QByteArray damaged = "[Cubes\nRoot_Measures=X\n";
};

inline StuckSettings damagedFileStuckInPlace() {
    constexpr qsizetype FileLength = 4095 - 10;
    const QString tail = u"/Kavenor/Kavenor.conf"_s;
    StuckSettings settings{freshFolder(), QString()};
    while (settings.configHome.size() + tail.size() < FileLength) {
        const qsizetype room = FileLength - settings.configHome.size() - tail.size() - 1;
        settings.configHome += u'/' + QString(std::clamp<qsizetype>(room, 1, 200), u'd');
    }
    settings.file = settings.configHome + tail;
    QDir().mkpath(settings.configHome + u"/Kavenor"_s);
    writeBytes(settings.file, settings.damaged);
    return settings;
}

// What the process writes to standard error while the object lives.
class CapturedStderr {
public:
    CapturedStderr() {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int file = ::open(m_path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~CapturedStderr() { restore(); }
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;

    // Ends the capture; the lines that contain the text.
    QStringList lines(const QString& containing) {
        restore();
        return QString::fromUtf8(readBytes(m_path)).split(u'\n').filter(containing);
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QString m_path = freshFolder() + u"/stderr";
    int m_saved = -1;
};

// Each kind of failure is told once, on one line that names the file, however often it fails;
// the damaged file stays as it was.
inline void expectEachFailureToldOnce(const QStringList& told, const StuckSettings& settings) {
    EXPECT_EQ(told.size(), 2) << told.join(u'\n').toStdString();
    for (const char* kind : {"settings not saved: ", "settings not read: "})
        EXPECT_EQ(told.filter(QLatin1String(kind) + settings.file).size(), 1) << kind;
    EXPECT_EQ(readBytes(settings.file), settings.damaged);
}

} // namespace Lorvantic::Test
