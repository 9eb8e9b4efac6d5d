#pragma once

// The schema rowsets of one XMLA catalogue turned into a database of the in-memory model
// (doc/xmla.md tells users which column feeds which value):
//
// - MDSCHEMA_CUBES: a cube per row (names starting with "$" are dimension cubes and left out); a
//   VIRTUAL CUBE is a cube like the others. The later of LAST_DATA_UPDATE and
//   LAST_SCHEMA_UPDATE is when it was processed (state 1); without either it never was.
// - MDSCHEMA_DIMENSIONS, MDSCHEMA_LEVELS: a cube's dimensions in DIMENSION_ORDINAL order, the
//   measures dimension left out. A dimension is shared when the catalogue lists it outside any
//   cube (empty CUBE_NAME, or its "$" cube) with the same hierarchies and levels; otherwise it is
//   the cube's own, named cube + "^" + name. A virtual cube's own dimension that another cube
//   has the same is that cube's. Each hierarchy after the dimension's default one is a dimension
//   of its own, named dimension + "." + hierarchy, as the schema files read. Levels come in
//   LEVEL_NUMBER order without the (All) level (LEVEL_TYPE 1); LEVEL_CARDINALITY is the member
//   count, LEVEL_TYPE the level type, LEVEL_IS_VISIBLE false hides the level.
// - MDSCHEMA_PROPERTIES (PROPERTY_TYPE 1): the member properties of their level.
// - MDSCHEMA_MEASURES: MEASURE_AGGREGATOR sum 1, count 2, min 3, max 4, distinct count 8, avg 5
//   read as the schema files' 0, 1, 2, 3, 4, 5, any other as 6; DEFAULT_FORMAT_STRING; not
//   MEASURE_IS_VISIBLE is internal. A calculated measure (127) is a command
//   "CREATE MEMBER [cube].[Measures].[name] AS 'EXPRESSION'" (without " AS ..." when the server
//   does not give the expression).
// - DBSCHEMA_CATALOGS' ROLES (comma-separated) are the database's roles, carried by no cube.

#include "model/servermodel.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

namespace Lorvantic::Olap::Xmla {

// A schema rowset: its request type and the columns the model uses, in the order the rows of
// DatabaseBuilder's add functions hold them.
struct Rowset {
    QLatin1String requestType;
    QStringList columns;
};

const Rowset& CatalogsRowset();   // CATALOG_NAME, ROLES
const Rowset& CubesRowset();      // CATALOG_NAME, CUBE_NAME, CUBE_TYPE, LAST_SCHEMA_UPDATE, LAST_DATA_UPDATE
const Rowset& DimensionsRowset(); // CUBE_NAME, DIMENSION_NAME, DIMENSION_UNIQUE_NAME, ...
const Rowset& LevelsRowset();
const Rowset& PropertiesRowset();
const Rowset& MeasuresRowset();
const Rowset& MetadataRowset(); // METADATA (DISCOVER_XML_METADATA)

// Collects the rows of one catalogue's rowsets, in any order, then builds its database. A value
// that is not of its kind (a number, a date) raises Lorvantic::Error (ErrorNumber::BadDescription)
// whose description starts with origin.
class DatabaseBuilder {
public:
    // processedCap: when valid, later processing times are shown as this time (reproducible pages).
    DatabaseBuilder(QString catalog, QString origin, QDateTime processedCap = {});

    void addCube(const std::vector<QString>& row);
    void addDimension(const std::vector<QString>& row);
    void addLevel(const std::vector<QString>& row);
    void addProperty(const std::vector<QString>& row);
    void addMeasure(const std::vector<QString>& row);
    void setRoles(const QString& roles);
    // The cube's parts could not be read: it is built with this reason (the first one given)
    // and without parts.
    void setCubeFault(const QString& cube, const QString& reason);

    // The cubes read so far (the names per-cube requests ask for).
    QStringList cubeNames() const;

    DatabaseData build() const;

private:
    struct Cube {
        QString name;
        bool isVirtual = false;
        std::optional<QDateTime> processed;
        QString fault;
    };
    struct DimensionRow {
        QString cube, name, uniqueName, defaultHierarchy;
        qint64 ordinal = 0;
        qint32 type = 0;
    };
    struct LevelRow {
        QString cube, dimension, hierarchy, name, uniqueName;
        qint64 number = 0;
        std::optional<qint32> cardinality;
        qint32 type = 0;
        bool hidden = false;
    };
    struct PropertyRow {
        QString cube, level, name;
    };
    struct MeasureRow {
        QString cube, name, format, expression;
        qint32 aggregator = 0;
        bool hidden = false;
    };
    friend struct Assembly;

    qint64 whole(const QString& text, const char* column, qint64 otherwise) const;
    std::optional<QDateTime> date(const QString& text, const char* column) const;

    QString m_catalog;
    QString m_origin;
    QDateTime m_cap;
    std::vector<Cube> m_cubes;
    std::vector<DimensionRow> m_dimensions;
    std::vector<LevelRow> m_levels;
    std::vector<PropertyRow> m_properties;
    std::vector<MeasureRow> m_measures;
    QStringList m_roles;
};

// The time processing times are capped at: SOURCE_DATE_EPOCH when set, else none.
QDateTime ProcessedCapFromEnvironment();

} // namespace Lorvantic::Olap::Xmla
