#include "dimension/dimensionkind.h"

#include "core/grids.h"
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
        RaiseObjectNotSet();
    return *m_state.DSOServer;
}

void DimensionKind::GetCatalogue() {
    m_state.catalogueRows.erase();
    const Olap::CollectionPtr<Olap::Store> databases = server().Databases();
    const qint32 count = databaseCount(*databases);
    for (qint32 i = 1; i <= count; ++i) {
        m_state.advanceProgress(90.0F / static_cast<float>(count));
        const std::shared_ptr<Olap::Store> database = databases->Item(i);
        const QString databaseName = database->Name();
        m_state.showOpeningDatabase(*database);
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
    const qint32 start = GrowCatalogueRows(rows, count);
    for (qint32 j = 1; j <= count; ++j) {
        const std::shared_ptr<Olap::Dimension> dimension = dimensions->Item(j);
        const qint32 row = start + j - 1;
        rows.at(CatalogueColumn::Database, row) = databaseName;
        rows.at(CatalogueColumn::Name, row) = dimension->Name();
        rows.at(CatalogueColumn::Size, row) = QStringLiteral("N/A");
        rows.at(CatalogueColumn::Status, row) = GetProcessedText(dimension->State() != 0);
        rows.at(CatalogueColumn::Checked, row) = false;
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
    tree.redim(dinLevel, dinCube, InfoTreeColumn::Key, InfoTreeColumn::Checked);
    for (const TreeRow& entry : InfoTree)
        SetInfoTreeRow(tree, entry.row, QString::fromUtf16(entry.text), entry.parentRow);
}

// Two blanks before the header table's width, and an index table of 70% width.
PageKind DimensionKind::pageKind() {
    return MakePageKind(QStringLiteral("Dimension"),
                        QStringLiteral("<p></p><table border='0'  width='100%'>"), QStringLiteral("70%"),
                        false);
}

void DimensionKind::CreateReport() {
    PageRunState run = PageRunOf(m_state);
    // Held for the whole run, whatever replaces the selector's list meanwhile.
    const std::shared_ptr<const DimensionInfoList> list = m_infoList;
    CreateListReport(pageKind(), run, *list,
                     [this](const DimensionInfo& item, ReportWriter& report) { WriteSection(item, report); });
}

} // namespace Lorvantic
