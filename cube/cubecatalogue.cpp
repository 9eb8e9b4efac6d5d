// The cube catalogue (one row per cube of every database), the column arrays and the
// information tree.

#include "core/grids.h"
#include "cube/cubekind.h"
#include "cube/cuberead.h"
#include "report/reportfile.h"

#include <cmath>

namespace Lorvantic {

using CubeRead::Counter16;
using CubeRead::Required;

namespace {

// Whole number nearest to value, halves going to the even neighbour.
float roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        return static_cast<float>(lower + 1.0);
    return static_cast<float>(lower);
}

void fillRow(VariantGrid& rows, qint32 row, const QString& databaseName, const Olap::Store& cube) {
    rows.at(CatalogueColumn::Database, row) = databaseName;
    rows.at(CatalogueColumn::Name, row) = cube.Name();
    rows.at(CatalogueColumn::Size, row) = QString(GetSizeInMB(cube) + QStringLiteral(" MB"));
    // A cube the server could not give says why in place of its processing state.
    const QString fault = cube.ReadFault();
    rows.at(CatalogueColumn::Status, row) = fault.isEmpty() ? GetProcessedText(cube.State() != 0) : fault;
    rows.at(CatalogueColumn::Checked, row) = false;
}

void fillColumns(VariantGrid& columns, std::initializer_list<QVariant> values) {
    columns.redim(0, static_cast<qint32>(values.size()) - 1);
    qint32 i = 0;
    for (const QVariant& value : values)
        columns.at(i++) = value;
}

} // namespace

void CubeKind::GetCatalogue() {
    VariantGrid& rows = m_state.catalogueRows;
    rows.erase();
    // A failure ends the catalogue quietly: rows filled so far stay, rows made room for stay empty.
    CubeRead::Guarded([&] {
        bool stepComputed = false;
        float step = 0.0F;
        const Olap::CollectionPtr<Olap::Store> databases = Required(Required(m_state.DSOServer)->Databases());
        const qint16 databaseCount = Counter16(databases->Count());
        for (qint32 i = 1; i <= databaseCount; ++i) {
            // The step is rounded to a whole number, and worked out only when a bar shows it.
            if (m_state.progressWindow() && !stepComputed) {
                step = roundHalfEven(90.0 / databaseCount);
                stepComputed = true;
            }
            m_state.advanceProgress(step);
            const std::shared_ptr<Olap::Store> database = Required(databases->Item(i));
            m_state.showOpeningDatabase(*database);
            const Olap::CollectionPtr<Olap::Store> cubes = Required(database->Cubes());
            const qint32 cubeCount = cubes->Count();
            if (cubeCount <= 0) // a count below zero is read as none, so no row is ever dropped
                continue;
            // The 16-bit limit is checked before the rows grow, so a count no counter can walk
            // never asks for room.
            const qint16 lastCube = Counter16(cubeCount);
            const qint32 start = GrowCatalogueRows(rows, lastCube);
            const QString databaseName = database->Name();
            for (qint32 j = 1; j <= lastCube; ++j)
                fillRow(rows, start + j - 1, databaseName, *Required(cubes->Item(j)));
        }
    });
}

void CubeKind::GetColumnHeaders(VariantGrid& aColHead) const {
    fillColumns(aColHead, {QStringLiteral("Database"), QStringLiteral("Cube"), QStringLiteral("Size"),
                           QStringLiteral("Status")});
}

void CubeKind::GetColumnAligns(VariantGrid& aColAlign) const {
    fillColumns(aColAlign, {qint32(0), qint32(0), qint32(1), qint32(0)});
}

void CubeKind::GetColumnWidths(VariantGrid& aColWidth) const {
    fillColumns(aColWidth, {QVariant::fromValue<qint16>(1600), QVariant::fromValue<qint16>(3200),
                            QVariant::fromValue<qint16>(800), QVariant::fromValue<qint16>(1600)});
}

void CubeKind::GetInfoTree() {
    struct Category {
        CubeInfoNames row;
        const char16_t* text;
        CubeInfoNames parent;
    };
    static constexpr Category categories[] = {
        {cinCubeRoles, u"Connected Roles", cinBegin},
        {cinpart, u"Partitions", cinBegin},
        {cinDS, u"Data Sources", cinpart},
        {cinDim, u"Dimension", cinBegin},
        {cinDimLevelName, u"Level Name", cinDim},
        {cinMsr, u"Measures", cinBegin},
        {cinCalcMbr, u"Calculated Members", cinBegin},
    };
    VariantGrid& tree = m_state.infoTreeRows;
    tree.redim(cinBegin + 1, cinEnd - 1, InfoTreeColumn::Key, InfoTreeColumn::Checked);
    for (const Category& category : categories)
        SetInfoTreeRow(tree, category.row, QString::fromUtf16(category.text), category.parent);
}

} // namespace Lorvantic
