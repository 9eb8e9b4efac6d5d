#pragma once

// Selections for the selection dialog and simulated user input on its widgets.

#include "dialogs/frminfo.h"
#include "selection/selection.h"
#include "tests/support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QTreeView>
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
    bool checked = false;
};

inline std::vector<SelectionRow> catalogue(const std::vector<CatalogueRow>& rows) {
    std::vector<SelectionRow> selection;
    for (const CatalogueRow& row : rows)
        selection.push_back({row.database, row.name, row.size, row.status, row.checked});
    return selection;
}

// The columns of the cube catalogue.
inline std::vector<SelectionColumn> cubeColumns() {
    return {{u"Database"_s, 0, 1600}, {u"Cube"_s, 0, 3200}, {u"Size"_s, 1, 800}, {u"Status"_s, 0, 1600}};
}

// One category: key, text, parent key, checked.
struct TreeRow {
    QString key, text, parentKey;
    bool checked = false;
};

inline std::vector<SelectionCategory> infoTree(const std::vector<TreeRow>& rows) {
    std::vector<SelectionCategory> categories;
    for (const TreeRow& row : rows)
        categories.push_back({row.key, row.text, row.parentKey, row.checked});
    return categories;
}

// Connected Roles, Partitions > Data Sources, Dimension > Level Name, Measures, Calculated
// Members; keys "VOKKey1".."VOKKey7", all unchecked.
inline std::vector<SelectionCategory> cubeTree() {
    return infoTree({{u"VOKKey1"_s, u"Connected Roles"_s, QString()},
                     {u"VOKKey2"_s, u"Partitions"_s, QString()},
                     {u"VOKKey3"_s, u"Data Sources"_s, u"VOKKey2"_s},
                     {u"VOKKey4"_s, u"Dimension"_s, QString()},
                     {u"VOKKey5"_s, u"Level Name"_s, u"VOKKey4"_s},
                     {u"VOKKey6"_s, u"Measures"_s, QString()},
                     {u"VOKKey7"_s, u"Calculated Members"_s, QString()}});
}

inline Selection selectionOf(std::vector<SelectionRow> rows, std::vector<SelectionCategory> tree = cubeTree(),
                             std::vector<SelectionColumn> columns = cubeColumns()) {
    return {std::move(rows), std::move(columns), std::move(tree)};
}

// Hands the dialog its selection and loads it by setting its caption.
inline void loadDialog(frmInfo& dialog, const Selection& selection) {
    dialog.setSelection(selection);
    dialog.setCaption(u"Cube Information"_s);
}

// The dialog's control of that name.
template <typename Control> Control* part(const QWidget& dialog, const char* name) {
    auto* control = dialog.findChild<Control*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

inline QStringList columnTexts(const QTreeView* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        texts << list->model()->index(i, column).data().toString();
    return texts;
}

inline bool isChecked(const QModelIndex& index) {
    return index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

inline std::vector<bool> checkMarks(const QTreeView* list) {
    std::vector<bool> marks;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        marks.push_back(isChecked(list->model()->index(i, 0)));
    return marks;
}

// Every node of a tree, parents before their children.
inline QModelIndexList allNodes(const QTreeView* tree, const QModelIndex& parent = {}) {
    QModelIndexList nodes;
    for (int i = 0; i < tree->model()->rowCount(parent); ++i) {
        const QModelIndex node = tree->model()->index(i, 0, parent);
        nodes << node << allNodes(tree, node);
    }
    return nodes;
}

inline QModelIndex nodeByText(const QTreeView* tree, const QString& text) {
    for (const QModelIndex& node : allNodes(tree)) {
        if (node.data().toString() == text)
            return node;
    }
    return {};
}

inline bool isChecked(const QTreeView* tree, const char* text) {
    return isChecked(nodeByText(tree, QString::fromUtf8(text)));
}

inline QVariant headerData(const QTreeView* list, int column, int role) {
    return list->model()->headerData(column, Qt::Horizontal, role);
}

inline void clickHeader(QTreeView* list, int column) {
    QHeaderView* header = list->header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

inline void clickCheckBox(QTreeView* view, const QModelIndex& index) {
    view->scrollTo(index);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = index.data().toString();
    option.widget = view;
    const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
}

inline void clickCheckBox(QTreeView* tree, const char* text) {
    clickCheckBox(tree, nodeByText(tree, QString::fromUtf8(text)));
}

inline void clickRowCheckBox(QTreeView* list, int row) {
    clickCheckBox(list, list->model()->index(row, 0));
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
