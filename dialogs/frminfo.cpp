#include "dialogs/frminfo.h"

#include "core/grids.h"
#include "dialogs/checkmarks.h"
#include "dialogs/formsupport.h"
#include "dialogs/gridcells.h"
#include "dialogs/sortkeys.h"
#include "dialogs/waitcursor.h"
#include "model/error.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace Lorvantic {

namespace {
// Failures of the list and tree controls, numbered as the controls number them.
constexpr qint32 IndexOutOfBounds = 35600;
constexpr qint32 ElementNotFound = 35601;
constexpr qint32 KeyNotUnique = 35602;

// Item data of the tree nodes: the node's key and the position of its row among the added ones.
constexpr int KeyRole = Qt::UserRole + 1;
constexpr int AddedOrderRole = Qt::UserRole + 2;

const QString AscendingIcon = QStringLiteral("asc");
const QString DescendingIcon = QStringLiteral("desc");

// Sub-item k is the list's column k; reading or writing past the columns fails.
void checkSubItem(const QTreeWidget* list, int k) {
    if (k < 1 || k >= list->columnCount())
        throw Error(IndexOutOfBounds, QStringLiteral("Index out of bounds"));
}

// Ranks hold only during the header sort they were given for: the number of that sort while
// it runs, 0 otherwise (one list sorts at a time, on the one GUI thread).
unsigned sortsRanked = 0;
unsigned rankedSort = 0;

// A catalogue item compares its texts in the sort column without regard to letter case, so
// "apple" sorts next to "Apple"; equal texts keep their order. A header sort ranks every item
// first (rankItems), so the list's own sort compares two numbers instead of two texts.
class CatalogueItem : public QTreeWidgetItem {
public:
    CatalogueItem()
        : QTreeWidgetItem(UserType) {
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
                 Qt::ItemNeverHasChildren);
    }

    bool operator<(const QTreeWidgetItem& other) const override {
        if (rankedSort != 0 && m_sort == rankedSort && other.type() == UserType) {
            const auto& item = static_cast<const CatalogueItem&>(other);
            if (item.m_sort == rankedSort)
                return m_rank < item.m_rank;
        }
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }

    void setRank(unsigned sort, int rank) {
        m_sort = sort;
        m_rank = rank;
    }

private:
    unsigned m_sort = 0;
    int m_rank = 0;
};

// Gives every catalogue item of the list its rank by the text in column, which keeps a header
// sort of a long list quick.
void rankItems(const QTreeWidget& list, int column) {
    const int count = list.topLevelItemCount();
    std::vector<CatalogueItem*> items;
    TextRanking ranking;
    items.reserve(static_cast<std::size_t>(count));
    ranking.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* item = list.topLevelItem(i);
        if (item->type() != QTreeWidgetItem::UserType)
            continue;
        items.push_back(static_cast<CatalogueItem*>(item));
        ranking.add(item->text(column));
    }
    rankedSort = ++sortsRanked;
    const std::vector<int> ranks = ranking.ranks();
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i]->setRank(rankedSort, ranks[i]);
}

// A triangle on light grey: pointing down for descending, up for ascending.
QPixmap sortMark(bool pointingDown) {
    constexpr int Size = 8;
    QPixmap image(Size, Size);
    image.fill(QColor(192, 192, 192));
    QPainter painter(&image);
    // Rows of 6, 4 and 2 dark pixels, centred.
    for (int step = 0; step < 3; ++step) {
        const int y = pointingDown ? 2 + step : 5 - step;
        painter.fillRect(1 + step, y, Size - 2 - 2 * step, 1, Qt::black);
    }
    return image;
}

// At its first showing the dialog grows wide enough for every column of the list (up to the
// screen's width) and is centred again, so that no column starts cut off. Only then are the
// sizes of the list and its frame known.
class FitToColumnsOnFirstShow : public QObject {
public:
    FitToColumnsOnFirstShow(QDialog* dialog, QTreeWidget* list)
        : QObject(dialog)
        , m_dialog(dialog)
        , m_list(list) {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            m_dialog->removeEventFilter(this);
            fit();
        }
        return false;
    }

private:
    void fit() const {
        const int scrollBar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
        const int wanted = m_list->header()->length() + 2 * m_list->frameWidth() + scrollBar;
        const QScreen* screen = m_dialog->screen();
        int width = m_dialog->width() + wanted - m_list->width();
        if (screen)
            width = std::min(width, screen->availableGeometry().width());
        if (width <= m_dialog->width())
            return;
        m_dialog->resize(width, m_dialog->height());
        CenterForm(m_dialog);
    }

    QDialog* m_dialog;
    QTreeWidget* m_list;
};

// Space toggles the check box of the current row whatever cell is current, as a click on the box
// does (the check rule follows from the change); the view itself toggles it only when the
// current cell is the box's own, in column 0.
class SpaceChecksTheRow : public QObject {
public:
    explicit SpaceChecksTheRow(QTreeWidget* view)
        : QObject(view)
        , m_view(view) {
        view->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_view || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<const QKeyEvent*>(event)->key();
        QTreeWidgetItem* item = m_view->currentItem();
        if ((key != Qt::Key_Space && key != Qt::Key_Select) || !item || m_view->currentColumn() == 0)
            return false;
        const Qt::ItemFlags flags = item->flags();
        if (!flags.testFlag(Qt::ItemIsUserCheckable) || !flags.testFlag(Qt::ItemIsEnabled) ||
            !item->data(0, Qt::CheckStateRole).isValid())
            return false;
        setChecked(item, !isChecked(item));
        return true;
    }

private:
    QTreeWidget* m_view;
};
} // namespace

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent) {
    buildControls();
    buildImages();
    connectControls();
    resize(TwipsToPixelsX(8400, this), TwipsToPixelsY(6600, this));
    new FitToColumnsOnFirstShow(this, lstCubes);
}

frmInfo::~frmInfo() = default;

void frmInfo::buildControls() {
    setObjectName(QStringLiteral("frmInfo"));
    setSizeGripEnabled(true);

    frConnection = new QGroupBox(QStringLiteral("Current Connection."), this);
    frConnection->setObjectName(QStringLiteral("frConnection"));
    lblServer = new QLabel(frConnection);
    lblServer->setObjectName(QStringLiteral("lblServer"));
    lblServer->setTextFormat(Qt::PlainText);
    lblServer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* connectionLayout = new QHBoxLayout(frConnection);
    connectionLayout->addWidget(lblServer);

    lstCubes = new QTreeWidget;
    lstCubes->setObjectName(QStringLiteral("lstCubes"));
    lstCubes->setColumnCount(0);
    lstCubes->setRootIsDecorated(false);
    lstCubes->setItemsExpandable(false);
    lstCubes->setUniformRowHeights(true);
    lstCubes->setAllColumnsShowFocus(true);
    lstCubes->setSelectionMode(QAbstractItemView::SingleSelection);
    lstCubes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstCubes->header()->setSectionsClickable(true);
    lstCubes->header()->setSectionsMovable(false);
    lstCubes->header()->setSortIndicatorShown(false);

    tvInformation = new QTreeWidget;
    tvInformation->setObjectName(QStringLiteral("tvInformation"));
    tvInformation->setColumnCount(1);
    tvInformation->setHeaderHidden(true);
    tvInformation->setRootIsDecorated(false);
    tvInformation->setUniformRowHeights(true);
    tvInformation->setSelectionMode(QAbstractItemView::SingleSelection);
    tvInformation->setEditTriggers(QAbstractItemView::NoEditTriggers);

    tabInfo = new QTabWidget(this);
    tabInfo->setObjectName(QStringLiteral("tabInfo"));
    tabInfo->addTab(lstCubes, QStringLiteral("C&ubes"));
    tabInfo->addTab(tvInformation, QStringLiteral("&Information"));

    imlSort = new ImageList(this);
    imlSort->setObjectName(QStringLiteral("imlSort"));

    // No button is the dialog's default: Enter presses the focused button only (keyPressEvent).
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdSelAll = button("cmdSelAll", QStringLiteral("Select &All"));
    cmdSelNone = button("cmdSelNone", QStringLiteral("Select &None"));
    chkIndex = new QCheckBox(QStringLiteral("Index in report"), this);
    chkIndex->setObjectName(QStringLiteral("chkIndex"));
    cmdReport = button("cmdReport", QStringLiteral("&Report"));
    cmdClose = button("cmdClose", QStringLiteral("&Close"));

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(cmdSelAll);
    bottomRow->addWidget(cmdSelNone);
    bottomRow->addSpacing(12);
    bottomRow->addWidget(chkIndex);
    bottomRow->addStretch(1);
    bottomRow->addWidget(cmdReport);
    bottomRow->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frConnection);
    layout->addWidget(tabInfo, 1);
    layout->addLayout(bottomRow);

    // Tab follows the order the controls are made in, which is the order they appear: the tab
    // bar, the page shown with its parts, the bottom row. setTabOrder would cut a view off from
    // its own viewport and make Shift+Tab skip the control put between them.
}

void frmInfo::keyPressEvent(QKeyEvent* event) {
    // Escape leaves as Close does; the close box, which also ends in reject(), does not.
    if (event->matches(QKeySequence::Cancel)) {
        closeWithoutReport();
        return;
    }
    // Enter presses the focused push button and nothing else, so moving through the list or the
    // tree never starts a report.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
            button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmInfo::buildImages() {
    imlSort->add(DescendingIcon, sortMark(true));
    imlSort->add(AscendingIcon, sortMark(false));
}

void frmInfo::connectControls() {
    new SpaceChecksTheRow(lstCubes);
    new SpaceChecksTheRow(tvInformation);
    connect(lstCubes->header(), &QHeaderView::sectionClicked, this, &frmInfo::sortByColumn);
    connect(tvInformation, &QTreeWidget::itemChanged, this, &frmInfo::nodeChanged);
    // The tree always shows every node: a collapsed node opens again at once.
    connect(tvInformation, &QTreeWidget::itemCollapsed, this,
            [](QTreeWidgetItem* node) { node->setExpanded(true); });
    connect(cmdSelAll, &QPushButton::clicked, this, [this] { checkCurrentTab(true); });
    connect(cmdSelNone, &QPushButton::clicked, this, [this] { checkCurrentTab(false); });
    connect(cmdReport, &QPushButton::clicked, this, &frmInfo::report);
    connect(cmdClose, &QPushButton::clicked, this, &frmInfo::closeWithoutReport);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { Q_EMIT helpRequested(m_helpContextId); });
}

qint32 frmInfo::LastAction() const {
    return m_lastAction;
}

void frmInfo::LastAction(qint32 vData) {
    m_lastAction = vData;
}

void frmInfo::SetFirstTab(const VariantGrid& aFirstTab) {
    m_firstTab = aFirstTab;
}

void frmInfo::GetFirstTab(VariantGrid& aFirstTab) const {
    if (!IsArrayEmpty(m_firstTab))
        aFirstTab = m_firstTab;
}

void frmInfo::SetSecondTab(const VariantGrid& aSecondTab) {
    m_secondTab = aSecondTab;
}

void frmInfo::GetSecondTab(VariantGrid& aSecondTab) const {
    if (m_secondTab)
        aSecondTab = *m_secondTab;
}

void frmInfo::ColumnHeaders(const VariantGrid& aColHead) {
    m_colHead = aColHead;
}

void frmInfo::ColumnAlign(const VariantGrid& aColAlign) {
    m_colAlign = aColAlign;
}

void frmInfo::ColumnWidth(const VariantGrid& aColWidth) {
    m_colWidth = aColWidth;
}

void frmInfo::setCaption(const QString& caption) {
    if (!m_loaded)
        load();
    setWindowTitle(caption);
}

int frmInfo::exec() {
    if (!m_loaded)
        load();
    return QDialog::exec();
}

void frmInfo::setHelpContextID(qint32 id) {
    m_helpContextId = id;
}

qint32 frmInfo::helpContextID() const {
    return m_helpContextId;
}

void frmInfo::load() {
    m_loaded = true;
    const WaitCursor wait;
    CenterForm(this);
    m_lastAction = laNone;
    tabInfo->setCurrentIndex(0);
    fillList();
    fillTree();
}

void frmInfo::fillList() {
    m_sortColumn = -1;
    QList<QTreeWidgetItem*> items;
    try {
        for (qint32 i = m_colHead.lbound(); i <= m_colHead.ubound(); ++i)
            addColumn(i);
        const qint32 first = m_firstTab.lbound(2);
        const qint32 last = m_firstTab.ubound(2);
        checkRowCounter(first, last);
        QSet<QString> keys;
        for (qint32 row = first; row <= last; ++row)
            addCatalogueRow(row, keys, items);
    } catch (const Error&) {
        // The list shows what was added before the failure.
    }
    lstCubes->addTopLevelItems(items);
    widenColumnsToContents();
}

// The widths in twips do not know the desktop's font: a column whose texts or caption do not
// fit grows to fit them with a small gap, up to three times its width, so that nothing is cut
// off.
void frmInfo::widenColumnsToContents() {
    QHeaderView* header = lstCubes->header();
    for (int column = 0; column < lstCubes->columnCount(); ++column) {
        const int width = header->sectionSize(column);
        lstCubes->resizeColumnToContents(column);
        const int contents = header->sectionSize(column);
        const int needed = contents > width ? contents + lstCubes->fontMetrics().averageCharWidth() : width;
        header->resizeSection(column, std::min(needed, 3 * width));
    }
}

void frmInfo::addColumn(qint32 index) {
    const QString caption = cellText(m_colHead.at(index));
    const int width = columnWidth(m_colWidth.at(index), lstCubes);
    const Qt::Alignment alignment = columnAlignment(m_colAlign.at(index));

    const int column = lstCubes->columnCount();
    lstCubes->setColumnCount(column + 1);
    lstCubes->headerItem()->setText(column, caption);
    lstCubes->headerItem()->setTextAlignment(column, alignment);
    lstCubes->header()->resizeSection(column, width);
    m_columnAlignment.push_back(alignment);
}

void frmInfo::addCatalogueRow(qint32 row, QSet<QString>& keys, QList<QTreeWidgetItem*>& items) {
    // The first column is the lowest, the check column the highest, sub-items lie between.
    const qint32 first = m_firstTab.lbound(1);
    const qint32 last = m_firstTab.ubound(1);
    const QString text = cellText(m_firstTab.at(first, row));
    const QString key = text + cellText(m_firstTab.at(first + 1, row));
    // An empty key is no key, as for the tree's nodes.
    if (!key.isEmpty() && keys.contains(key))
        throw Error(KeyNotUnique, QStringLiteral("Key is not unique in collection"));

    auto* item = new CatalogueItem;
    item->setText(0, text);
    item->setCheckState(0, Qt::Unchecked);
    items.append(item);
    keys.insert(key);
    for (std::size_t column = 0; column < m_columnAlignment.size(); ++column)
        item->setTextAlignment(static_cast<int>(column), m_columnAlignment[column]);

    for (qint32 column = first + 1; column < last; ++column) {
        checkSubItem(lstCubes, column - first);
        item->setText(column - first, cellText(m_firstTab.at(column, row)));
    }
    const QVariant& checked = m_firstTab.at(last, row);
    setChecked(item, checked.typeId() == QMetaType::Bool && checked.toBool());
}

void frmInfo::fillTree() {
    if (!m_secondTab)
        return;
    const QScopedValueRollback<bool> program(m_programChecks, true);
    QHash<QString, QTreeWidgetItem*> nodes;
    try {
        const qint32 first = m_secondTab->lbound(1);
        const qint32 last = m_secondTab->ubound(1);
        checkRowCounter(first, last);
        for (qint32 row = first; row <= last; ++row)
            addTreeRow(row, nodes);
    } catch (const Error&) {
        // The tree shows the rows added before the failure.
    }
}

void frmInfo::addTreeRow(qint32 row, QHash<QString, QTreeWidgetItem*>& nodes) {
    const VariantGrid& rows = *m_secondTab;
    const QString key = cellText(rows.at(row, InfoTreeColumn::Key));
    const QString text = cellText(rows.at(row, InfoTreeColumn::Caption));
    const QString parentKey = cellText(rows.at(row, InfoTreeColumn::ParentKey));
    if (!key.isEmpty() && nodes.contains(key))
        throw Error(KeyNotUnique, QStringLiteral("Key is not unique in collection"));
    QTreeWidgetItem* parent = nullptr;
    if (!parentKey.isEmpty()) {
        parent = nodes.value(parentKey);
        if (!parent)
            throw Error(ElementNotFound, QStringLiteral("Element not found"));
    }

    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    node->setData(0, KeyRole, key);
    node->setData(0, AddedOrderRole, m_nodesAdded++);
    node->setCheckState(0, Qt::Unchecked);
    if (parent)
        parent->addChild(node);
    else
        tvInformation->addTopLevelItem(node);
    if (!key.isEmpty())
        nodes.insert(key, node);

    setChecked(node, cellBoolean(rows.at(row, InfoTreeColumn::Checked)));
    node->setExpanded(true);
    tvInformation->scrollToItem(node);
}

void frmInfo::sortByColumn(int column) {
    const auto header = static_cast<qint16>(column + 1);
    QTreeWidgetItem* headers = lstCubes->headerItem();
    if (header != m_sortColumn) {
        if (m_sortColumn != -1)
            headers->setIcon(m_sortColumn - 1, QIcon());
        m_sortDescending = false;
    } else {
        m_sortDescending = !m_sortDescending;
    }
    headers->setIcon(column, imlSort->icon(m_sortDescending ? DescendingIcon : AscendingIcon));
    m_sortColumn = header;
    rankItems(*lstCubes, column);
    const Qt::SortOrder order = m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder;
    // What sortItems does, without visiting every item again for children it never has.
    lstCubes->header()->setSortIndicator(column, order);
    lstCubes->invisibleRootItem()->sortChildren(column, order);
    rankedSort = 0;
}

void frmInfo::nodeChanged(QTreeWidgetItem* node, int column) {
    if (m_programChecks || column != 0)
        return;
    const QScopedValueRollback<bool> program(m_programChecks, true);
    if (!isChecked(node)) {
        for (int i = 0; i < node->childCount(); ++i)
            setChecked(node->child(i), false);
    } else if (node->parent()) {
        setChecked(node->parent(), true);
    }
}

void frmInfo::checkCurrentTab(bool checked) {
    const QScopedValueRollback<bool> program(m_programChecks, true);
    const QList<QTreeWidgetItem*> items = tabInfo->currentIndex() == 1 ? nodesInAddedOrder() : listItems();
    for (QTreeWidgetItem* item : items)
        setChecked(item, checked);
}

void frmInfo::report() {
    readBack();
    m_lastAction = laReport;
    done(QDialog::Accepted);
}

void frmInfo::closeWithoutReport() {
    m_lastAction = laCancel;
    done(QDialog::Rejected);
}

void frmInfo::readBack() {
    try {
        readBackList();
        readBackTree();
    } catch (const Error&) {
        // Rows read before the failure keep their new values, the others their old ones.
    }
}

void frmInfo::readBackList() {
    const QList<QTreeWidgetItem*> items = listItems();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QTreeWidgetItem* item = items[i];
        const auto row = static_cast<qint32>(i);
        m_firstTab.at(CatalogueColumn::Database, row) = item->text(0);
        for (int k = CatalogueColumn::Name; k <= CatalogueColumn::Status; ++k) {
            checkSubItem(lstCubes, k);
            m_firstTab.at(k, row) = item->text(k);
        }
        m_firstTab.at(CatalogueColumn::Checked, row) = isChecked(item);
    }
}

void frmInfo::readBackTree() {
    if (!m_secondTab)
        return;
    VariantGrid& rows = *m_secondTab;
    QHash<QString, QTreeWidgetItem*> nodes;
    for (QTreeWidgetItem* node : nodesInAddedOrder()) {
        const QString key = node->data(0, KeyRole).toString();
        if (!key.isEmpty())
            nodes.insert(key, node);
    }
    const qint32 first = rows.lbound(1);
    const qint32 last = rows.ubound(1);
    checkRowCounter(first, last);
    for (qint32 row = first; row <= last; ++row) {
        const QTreeWidgetItem* node = nodes.value(cellText(rows.at(row, InfoTreeColumn::Key)));
        if (!node)
            throw Error(ElementNotFound, QStringLiteral("Element not found"));
        QVariant& checked = rows.at(row, InfoTreeColumn::Checked);
        if (checked.typeId() == QMetaType::Bool)
            checked = isChecked(node);
    }
}

QList<QTreeWidgetItem*> frmInfo::nodesInAddedOrder() const {
    QList<QTreeWidgetItem*> nodes;
    for (QTreeWidgetItemIterator it(tvInformation); *it; ++it)
        nodes.append(*it);
    std::stable_sort(nodes.begin(), nodes.end(), [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return a->data(0, AddedOrderRole).toInt() < b->data(0, AddedOrderRole).toInt();
    });
    return nodes;
}

QList<QTreeWidgetItem*> frmInfo::listItems() const {
    QList<QTreeWidgetItem*> items;
    items.reserve(lstCubes->topLevelItemCount());
    for (int i = 0; i < lstCubes->topLevelItemCount(); ++i)
        items.append(lstCubes->topLevelItem(i));
    return items;
}

} // namespace Lorvantic
