// The cube catalogue (one row per cube of every database), the column arrays and the
// information tree.

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

SelectionRow catalogueRow(const QString& databaseName, const Olap::Store& cube) {
    // A cube the server could not give says why in place of its processing state.
    const QString fault = cube.ReadFault();
    return {databaseName, cube.Name(), GetSizeInMB(cube) + QStringLiteral(" MB"),
            fault.isEmpty() ? GetProcessedText(cube.State() != 0) : fault, false};
}

} // namespace

std::vector<SelectionRow> CubeKind::GetCatalogue() {
    std::vector<SelectionRow> rows;
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
            const std::size_t start = GrowRows(rows, lastCube);
            const QString databaseName = database->Name();
            for (qint32 j = 1; j <= lastCube; ++j)
                rows[start + static_cast<std::size_t>(j) - 1] =
                    catalogueRow(databaseName, *Required(cubes->Item(j)));
        }
    });
    return rows;
}

std::vector<SelectionColumn> CubeKind::GetColumns() const {
    return {{QStringLiteral("Database"), 0, 1600},
            {QStringLiteral("Cube"), 0, 3200},
            {QStringLiteral("Size"), 1, 800},
            {QStringLiteral("Status"), 0, 1600}};
}

std::vector<SelectionCategory> CubeKind::infoTree() const {
    return {MakeCategory(cinCubeRoles, QStringLiteral("Connected Roles"), cinBegin),
            MakeCategory(cinpart, QStringLiteral("Partitions"), cinBegin),
            MakeCategory(cinDS, QStringLiteral("Data Sources"), cinpart),
            MakeCategory(cinDim, QStringLiteral("Dimension"), cinBegin),
            MakeCategory(cinDimLevelName, QStringLiteral("Level Name"), cinDim),
            MakeCategory(cinMsr, QStringLiteral("Measures"), cinBegin),
            MakeCategory(cinCalcMbr, QStringLiteral("Calculated Members"), cinBegin)};
}

} // namespace Lorvantic
