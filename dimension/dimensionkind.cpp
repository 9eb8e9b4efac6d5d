#include "dimension/dimensionkind.h"

#include "report/reportfile.h"

#include <limits>

namespace Lorvantic {

namespace {

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

std::vector<SelectionRow> DimensionKind::GetCatalogue() {
    std::vector<SelectionRow> rows;
    const Olap::CollectionPtr<Olap::Store> databases = server().Databases();
    const qint32 count = databaseCount(*databases);
    for (qint32 i = 1; i <= count; ++i) {
        m_state.advanceProgress(90.0F / static_cast<float>(count));
        const std::shared_ptr<Olap::Store> database = databases->Item(i);
        const QString databaseName = database->Name();
        m_state.showOpeningDatabase(*database);
        appendCatalogueRows(*database, databaseName, rows);
    }
    return rows;
}

// Makes room for the database's dimensions behind the rows so far and fills one row each.
void DimensionKind::appendCatalogueRows(const Olap::Store& database, const QString& databaseName,
                                        std::vector<SelectionRow>& rows) {
    const Olap::CollectionPtr<Olap::Dimension> dimensions = database.Dimensions();
    const qint32 count = dimensions->Count();
    if (count == 0)
        return;
    const std::size_t start = GrowRows(rows, count);
    for (qint32 j = 1; j <= count; ++j) {
        const std::shared_ptr<Olap::Dimension> dimension = dimensions->Item(j);
        rows[start + static_cast<std::size_t>(j) - 1] = {databaseName, dimension->Name(),
                                                         QStringLiteral("N/A"),
                                                         GetProcessedText(dimension->State() != 0), false};
    }
}

std::vector<SelectionColumn> DimensionKind::GetColumns() const {
    return {{QStringLiteral("Database"), 0, 1600},
            {QStringLiteral("Dimension"), 0, 3200},
            {QStringLiteral("Size"), 1, 800},
            {QStringLiteral("Status"), 0, 1600}};
}

std::vector<SelectionCategory> DimensionKind::infoTree() const {
    return {MakeCategory(dinLevel, QStringLiteral("Levels"), 0),
            MakeCategory(dinLevelProp, QStringLiteral("Level properties"), dinLevel),
            MakeCategory(dinCube, QStringLiteral("Cube"), 0)};
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
