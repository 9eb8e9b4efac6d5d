#include "dialogs/frminfo.h"

#include "dialogs/formsupport.h"
#include "dialogs/imagelist.h"
#include "dialogs/selectionmodels.h"
#include "dialogs/waitcursor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace Lorvantic {

namespace {
const QString AscendingIcon = QStringLiteral("asc");
const QString DescendingIcon = QStringLiteral("desc");

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
    FitToColumnsOnFirstShow(QDialog* dialog, QTreeView* list)
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
    QTreeView* m_list;
};

// Space toggles the check box of the current row whatever cell is current, as a click on the box
// does (a tree's check rule follows from the change); the view itself toggles it only when the
// current cell is the box's own, in column 0.
class SpaceChecksTheRow : public QObject {
public:
    explicit SpaceChecksTheRow(QAbstractItemView* view)
        : QObject(view)
        , m_view(view) {
        view->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_view || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<const QKeyEvent*>(event)->key();
        const QModelIndex current = m_view->currentIndex();
        if ((key != Qt::Key_Space && key != Qt::Key_Select) || !current.isValid() || current.column() == 0)
            return false;
        const QModelIndex box = current.siblingAtColumn(0);
        const Qt::ItemFlags flags = box.flags();
        const QVariant state = box.data(Qt::CheckStateRole);
        if (!flags.testFlag(Qt::ItemIsUserCheckable) || !flags.testFlag(Qt::ItemIsEnabled) ||
            !state.isValid())
            return false;
        const bool checked = state.toInt() == Qt::Checked;
        m_view->model()->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return true;
    }

private:
    QAbstractItemView* m_view;
};

// A column's width in pixels from twips, one a header can take.
int columnPixels(qint32 twips, const QWidget* list) {
    constexpr int MaximumPixels = 32767;
    return std::clamp(TwipsToPixelsX(twips, list), 0, MaximumPixels);
}
// A view of check boxes the user ticks but never edits, one row selected at a time, without
// the decoration of a tree's top level.
QTreeView* checkableView(const QString& name, QAbstractItemModel* model) {
    auto* view = new QTreeView;
    view->setObjectName(name);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

} // namespace

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent)
    , m_catalogue(new CatalogueModel(this))
    , m_shownOrder(new DisplayOrderSort(this))
    , m_categories(new CategoryModel(this)) {
    m_shownOrder->setSourceModel(m_catalogue);
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

    lstCubes = buildList();
    tvInformation = buildTree();

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

QTreeView* frmInfo::buildList() {
    QTreeView* list = checkableView(QStringLiteral("lstCubes"), m_shownOrder);
    list->setItemsExpandable(false);
    list->setAllColumnsShowFocus(true);
    list->header()->setSectionsClickable(true);
    list->header()->setSectionsMovable(false);
    list->header()->setSortIndicatorShown(false);
    return list;
}

QTreeView* frmInfo::buildTree() {
    QTreeView* tree = checkableView(QStringLiteral("tvInformation"), m_categories);
    tree->setHeaderHidden(true);
    return tree;
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
    // The tree always shows every node: a collapsed node opens again at once.
    connect(tvInformation, &QTreeView::collapsed, tvInformation, &QTreeView::expand);
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

void frmInfo::setSelection(const Selection& selection) {
    m_selection = selection;
}

Selection frmInfo::selection() const {
    return m_selection;
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

void frmInfo::setServerText(const QString& text) {
    lblServer->setText(text);
}

void frmInfo::setFirstTabCaption(const QString& caption) {
    tabInfo->setTabText(0, caption);
}

bool frmInfo::indexChecked() const {
    return chkIndex->checkState() != Qt::Unchecked;
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
    m_catalogue->setCatalogue(m_selection.rows, m_selection.columns);
    sizeColumns();
}

// The widths in twips do not know the desktop's font: a column whose texts or caption do not
// fit grows to fit them with a small gap, up to three times its width, so that nothing is cut
// off.
void frmInfo::sizeColumns() {
    QHeaderView* header = lstCubes->header();
    for (int column = 0; column < m_catalogue->columnCount(); ++column) {
        const int width = columnPixels(m_selection.columns[static_cast<std::size_t>(column)].width, lstCubes);
        lstCubes->resizeColumnToContents(column);
        const int contents = header->sectionSize(column);
        const int needed = contents > width ? contents + lstCubes->fontMetrics().averageCharWidth() : width;
        header->resizeSection(column, std::min(needed, 3 * width));
    }
}

void frmInfo::fillTree() {
    m_categories->setCategories(m_selection.categories);
    tvInformation->expandAll();
    if (m_categories->nodeCount() > 0)
        tvInformation->scrollTo(m_categories->indexOf(m_categories->nodeCount() - 1));
}

void frmInfo::sortByColumn(int column) {
    m_sortDescending = column == m_sortColumn && !m_sortDescending;
    m_sortColumn = column;
    m_shownOrder->markColumn(column, imlSort->icon(m_sortDescending ? DescendingIcon : AscendingIcon));
    m_shownOrder->sortShown(column, m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void frmInfo::checkCurrentTab(bool checked) {
    if (tabInfo->currentIndex() == 1)
        checkAllNodes(checked);
    else
        checkAllRows(checked);
}

void frmInfo::checkAllRows(bool checked) {
    for (int row = 0; row < m_catalogue->rowCount(); ++row)
        m_catalogue->setChecked(row, checked);
}

void frmInfo::checkAllNodes(bool checked) {
    for (int node = 0; node < m_categories->nodeCount(); ++node)
        m_categories->setChecked(node, checked);
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
    readBackRows();
    readBackCategories();
}

// The shown rows take the places of the first rows, in the order shown.
void frmInfo::readBackRows() {
    const std::vector<int> shown = m_shownOrder->sourceRowsShown();
    std::vector<SelectionRow>& rows = m_selection.rows;
    for (std::size_t place = 0; place < shown.size() && place < rows.size(); ++place)
        rows[place] = m_catalogue->row(shown[place]);
}

// The categories take the marks of their nodes, found by key, up to the first category without
// a node.
void frmInfo::readBackCategories() {
    QHash<QString, int> nodesByKey;
    for (int node = 0; node < m_categories->nodeCount(); ++node) {
        if (!m_categories->key(node).isEmpty())
            nodesByKey.insert(m_categories->key(node), node);
    }
    for (SelectionCategory& category : m_selection.categories) {
        const int node = nodesByKey.value(category.key, -1);
        if (node < 0)
            break;
        category.checked = m_categories->isChecked(node);
    }
}

} // namespace Lorvantic
