#include "dimension/dimensionkind.h"

#include "report/reportfile.h"

#include <limits>

namespace Lorvantic {

namespace {

constexpr qint32 ColumnCount = 4;
const char16_t* const Captions[ColumnCount] = {u"Database", u"Dimension", u"Size", u"Status"};
constexpr qint32 Aligns[ColumnCount] = {0, 0, 1, 0};
constexpr qint16 Widths[ColumnCount] = {1600, 3200, 800, 1600};

struct TreeRow {
    qint32 row;
    const char16_t* text;
    qint32 parentRow; // 0: top level
};
constexpr TreeRow InfoTree[] = {
    {dinLevel, u"Levels", 0},
    {dinLevelProp, u"Level properties", dinLevel},
    {dinCube, u"Cube", 0},
};

QString treeKey(qint32 row) {
    return QStringLiteral("VOKKey") + QString::number(row);
}

// The database loop counts with 16 bits: a server with more databases overflows it.
qint32 databaseCount(const Olap::Collection<Olap::Store>& databases) {
    const qint32 count = databases.Count();
    if (count > std::numeric_limits<qint16>::max())
        throw Error(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return count;
}

} // namespace

DimensionKind::DimensionKind(SelectorState& state)
    : m_state(state)
    , m_infoList(std::make_shared<DimensionInfoList>()) {}

const Olap::Server& DimensionKind::server() const {
    if (!m_state.DSOServer)
        throw Error(ErrorNumber::ObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
    return *m_state.DSOServer;
}

void DimensionKind::GetCatalogue() {
    m_state.catalogueRows.erase();
    const Olap::CollectionPtr<Olap::Store> databases = server().Databases();
    const qint32 count = databaseCount(*databases);
    for (qint32 i = 1; i <= count; ++i) {
        if (ProgressWindow* progress = m_state.progressWindow()) {
            progress->Progress(90.0f / static_cast<float>(count));
            LetEventsRun();
        }
        const std::shared_ptr<Olap::Store> database = databases->Item(i);
        const QString databaseName = database->Name();
        if (ProgressWindow* progress = m_state.progressWindow()) {
            progress->Status(QStringLiteral("Opening database: ") + databaseName +
                             QStringLiteral("\r\nThis may take a while"));
            LetEventsRun();
        }
        appendCatalogueRows(*database, databaseName);
    }
}

// Makes room for the database's dimensions behind the rows so far and fills one row each.
void DimensionKind::appendCatalogueRows(const Olap::Store& database, const QString& databaseName) {
    const Olap::CollectionPtr<Olap::Dimension> dimensions = database.Dimensions();
    const qint32 count = dimensions->Count();
    if (count == 0)
        return;
    VariantGrid& rows = m_state.catalogueRows;
    qint32 start = 0;
    if (IsArrayEmpty(rows)) {
        rows.redim(0, 4, 0, count - 1);
    } else {
        start = rows.ubound(2) + 1;
        rows.redimPreserve(rows.ubound(2) + count);
    }
    for (qint32 j = 1; j <= count; ++j) {
        const std::shared_ptr<Olap::Dimension> dimension = dimensions->Item(j);
        const qint32 row = start + j - 1;
        rows.at(0, row) = databaseName;
        rows.at(1, row) = dimension->Name();
        rows.at(2, row) = QStringLiteral("N/A");
        rows.at(3, row) = GetProcessedText(dimension->State() != 0);
        rows.at(4, row) = false;
    }
}

void DimensionKind::GetColumnHeaders(VariantGrid& aColHead) const {
    aColHead.redim(0, ColumnCount - 1);
    for (qint32 i = 0; i < ColumnCount; ++i)
        aColHead.at(i) = QString::fromUtf16(Captions[i]);
}

void DimensionKind::GetColumnAligns(VariantGrid& aColAlign) const {
    aColAlign.redim(0, ColumnCount - 1);
    for (qint32 i = 0; i < ColumnCount; ++i)
        aColAlign.at(i) = Aligns[i];
}

void DimensionKind::GetColumnWidths(VariantGrid& aColWidth) const {
    aColWidth.redim(0, ColumnCount - 1);
    for (qint32 i = 0; i < ColumnCount; ++i)
        aColWidth.at(i) = QVariant::fromValue<qint16>(Widths[i]);
}

void DimensionKind::GetInfoTree() {
    VariantGrid& tree = m_state.infoTreeRows;
    tree.redim(dinLevel, dinCube, 0, 3);
    for (const TreeRow& entry : InfoTree) {
        tree.at(entry.row, 0) = treeKey(entry.row);
        tree.at(entry.row, 1) = QString::fromUtf16(entry.text);
        tree.at(entry.row, 2) = entry.parentRow ? treeKey(entry.parentRow) : QStringLiteral("");
        tree.at(entry.row, 3) = false;
    }
}

PageKind DimensionKind::pageKind() {
    PageKind kind;
    kind.headingLine = QStringLiteral("<b><A NAME='TOP'>Information Per Dimension</A></b>");
    kind.headerTableLine = QStringLiteral("<p></p><table border='0'  width='100%'>");
    kind.indexTableOpening = QStringLiteral("<TABLE width='70%'><TR bgcolor='");
    kind.indexHeaderClosing = QStringLiteral("'><TH><B>Database</B></TH><TH><B>Dimension</B></TH></TR>");
    kind.progressPrefix = QStringLiteral("Generating HTML for Dimension: ");
    kind.guarded = false;
    return kind;
}

void DimensionKind::CreateReport() {
    PageRunState run = PageRunOf(m_state);
    // Held for the whole run, whatever replaces the selector's list meanwhile.
    const std::shared_ptr<const DimensionInfoList> list = m_infoList;
    CreateListReport(pageKind(), run, *list,
                     [this](const DimensionInfo& item, PageWriter& page) { WriteSection(item, page); });
}

} // namespace Lorvantic
