#include "external/xmla/rowsetmodel.h"

#include "external/readers/schemaxml.h"
#include "model/error.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>

namespace Lorvantic::Olap::Xmla {

namespace {

QStringList names(std::initializer_list<const char*> columns) {
    QStringList list;
    for (const char* column : columns)
        list << QString::fromLatin1(column);
    return list;
}

// Column positions in the rows of each rowset (see the column lists below).
namespace CatalogColumn {
enum { Name, Roles };
}
namespace CubeColumn {
enum { Name, Type, SchemaUpdate, DataUpdate, Catalog };
}
namespace DimensionColumn {
enum { Cube, Name, UniqueName, Ordinal, Type, DefaultHierarchy, Catalog };
}
namespace LevelColumn {
enum { Cube, Dimension, Hierarchy, Name, UniqueName, Number, Cardinality, Type, Visible, Catalog };
}
namespace PropertyColumn {
enum { Cube, Level, Name, Type, Catalog };
}
namespace MeasureColumn {
enum { Cube, Name, Aggregator, Format, Visible, Expression, Catalog };
}

constexpr qint32 MeasuresDimensionType = 2;
constexpr qint32 TimeDimensionType = 1;
constexpr qint32 AllLevelType = 1;
constexpr qint32 CalculatedAggregator = 127;
constexpr qint32 MemberPropertyType = 1;
constexpr qint32 ProcessedState = 1;

// MEASURE_AGGREGATOR as the aggregate codes the schema files use; any other reads "NONE".
qint32 aggregateFunctionOf(qint32 aggregator) {
    switch (aggregator) {
    case 1:
        return 0; // sum
    case 2:
        return 1; // count
    case 3:
        return 2; // min
    case 4:
        return 3; // max
    case 8:
        return 4; // distinct count
    case 5:
        return 5; // avg
    default:
        return 6;
    }
}

bool isFalse(const QString& text) {
    return SchemaXml::isFalseText(text.trimmed());
}

// Rows of another catalogue are left out, in case a server ignores the restriction.
bool otherCatalog(const std::vector<QString>& row, std::size_t column, const QString& catalog) {
    return !row[column].isEmpty() && row[column] != catalog;
}

// A dimension is shared when the catalogue lists it outside any cube.
bool isSharedList(const QString& cube) {
    return cube.isEmpty() || cube.startsWith(u'$');
}

QString key(const QString& a, const QString& b) {
    return a + QChar(0x1f) + b;
}

} // namespace

const Rowset& CatalogsRowset() {
    static const Rowset rowset{QLatin1String("DBSCHEMA_CATALOGS"), names({"CATALOG_NAME", "ROLES"})};
    return rowset;
}

const Rowset& CubesRowset() {
    static const Rowset rowset{
        QLatin1String("MDSCHEMA_CUBES"),
        names({"CUBE_NAME", "CUBE_TYPE", "LAST_SCHEMA_UPDATE", "LAST_DATA_UPDATE", "CATALOG_NAME"})};
    return rowset;
}

const Rowset& DimensionsRowset() {
    static const Rowset rowset{
        QLatin1String("MDSCHEMA_DIMENSIONS"),
        names({"CUBE_NAME", "DIMENSION_NAME", "DIMENSION_UNIQUE_NAME", "DIMENSION_ORDINAL", "DIMENSION_TYPE",
               "DEFAULT_HIERARCHY", "CATALOG_NAME"})};
    return rowset;
}

const Rowset& LevelsRowset() {
    static const Rowset rowset{QLatin1String("MDSCHEMA_LEVELS"),
                               names({"CUBE_NAME", "DIMENSION_UNIQUE_NAME", "HIERARCHY_UNIQUE_NAME",
                                      "LEVEL_NAME", "LEVEL_UNIQUE_NAME", "LEVEL_NUMBER", "LEVEL_CARDINALITY",
                                      "LEVEL_TYPE", "LEVEL_IS_VISIBLE", "CATALOG_NAME"})};
    return rowset;
}

const Rowset& PropertiesRowset() {
    static const Rowset rowset{
        QLatin1String("MDSCHEMA_PROPERTIES"),
        names({"CUBE_NAME", "LEVEL_UNIQUE_NAME", "PROPERTY_NAME", "PROPERTY_TYPE", "CATALOG_NAME"})};
    return rowset;
}

const Rowset& MeasuresRowset() {
    static const Rowset rowset{
        QLatin1String("MDSCHEMA_MEASURES"),
        names({"CUBE_NAME", "MEASURE_NAME", "MEASURE_AGGREGATOR", "DEFAULT_FORMAT_STRING",
               "MEASURE_IS_VISIBLE", "EXPRESSION", "CATALOG_NAME"})};
    return rowset;
}

const Rowset& MetadataRowset() {
    static const Rowset rowset{QLatin1String("DISCOVER_XML_METADATA"), names({"METADATA"})};
    return rowset;
}

QDateTime ProcessedCapFromEnvironment() {
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    return ok ? QDateTime::fromSecsSinceEpoch(epoch) : QDateTime();
}

DatabaseBuilder::DatabaseBuilder(QString catalog, QString origin, QDateTime processedCap)
    : m_catalog(std::move(catalog))
    , m_origin(std::move(origin))
    , m_cap(std::move(processedCap)) {}

qint64 DatabaseBuilder::whole(const QString& text, const char* column, qint64 otherwise) const {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return otherwise;
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    if (!ok)
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": ") + QLatin1String(column) +
                                                     u' ' + Quoted(text) +
                                                     QStringLiteral(" is not a whole number"));
    return value;
}

std::optional<QDateTime> DatabaseBuilder::date(const QString& text, const char* column) const {
    if (text.trimmed().isEmpty())
        return std::nullopt;
    QDateTime value = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!value.isValid())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": ") + QLatin1String(column) +
                                                     u' ' + Quoted(text) + QStringLiteral(" is not a date"));
    return value;
}

void DatabaseBuilder::addCube(const std::vector<QString>& row) {
    if (otherCatalog(row, CubeColumn::Catalog, m_catalog) || row[CubeColumn::Name].startsWith(u'$'))
        return;
    Cube cube;
    cube.name = row[CubeColumn::Name];
    if (cube.name.isEmpty())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": a cube without a name"));
    cube.isVirtual =
        row[CubeColumn::Type].trimmed().compare(QLatin1String("VIRTUAL CUBE"), Qt::CaseInsensitive) == 0;
    const std::optional<QDateTime> schema = date(row[CubeColumn::SchemaUpdate], "LAST_SCHEMA_UPDATE");
    const std::optional<QDateTime> data = date(row[CubeColumn::DataUpdate], "LAST_DATA_UPDATE");
    cube.processed = schema && data ? std::max(*schema, *data) : schema ? schema : data;
    if (cube.processed && m_cap.isValid() && *cube.processed > m_cap)
        cube.processed = m_cap;
    for (const Cube& other : m_cubes)
        if (other.name == cube.name)
            throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": cube ") +
                                                         Quoted(cube.name) + QStringLiteral(" comes twice"));
    m_cubes.push_back(std::move(cube));
}

void DatabaseBuilder::addDimension(const std::vector<QString>& row) {
    if (otherCatalog(row, DimensionColumn::Catalog, m_catalog))
        return;
    DimensionRow dimension;
    dimension.cube = row[DimensionColumn::Cube];
    dimension.name = row[DimensionColumn::Name];
    dimension.uniqueName = row[DimensionColumn::UniqueName];
    dimension.defaultHierarchy = row[DimensionColumn::DefaultHierarchy];
    dimension.ordinal = whole(row[DimensionColumn::Ordinal], "DIMENSION_ORDINAL", 0);
    dimension.type = static_cast<qint32>(whole(row[DimensionColumn::Type], "DIMENSION_TYPE", 0));
    if (dimension.name.isEmpty())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": a dimension without a name"));
    if (dimension.uniqueName.isEmpty())
        dimension.uniqueName = BracketedName(dimension.name);
    m_dimensions.push_back(std::move(dimension));
}

void DatabaseBuilder::addLevel(const std::vector<QString>& row) {
    if (otherCatalog(row, LevelColumn::Catalog, m_catalog))
        return;
    LevelRow level;
    level.cube = row[LevelColumn::Cube];
    level.dimension = row[LevelColumn::Dimension];
    level.hierarchy = row[LevelColumn::Hierarchy];
    level.name = row[LevelColumn::Name];
    level.uniqueName = row[LevelColumn::UniqueName];
    level.number = whole(row[LevelColumn::Number], "LEVEL_NUMBER", 0);
    level.type = static_cast<qint32>(whole(row[LevelColumn::Type], "LEVEL_TYPE", 0));
    if (!row[LevelColumn::Cardinality].trimmed().isEmpty())
        // An estimate: a count beyond the model's range is shown as the largest it holds.
        level.cardinality = static_cast<qint32>(
            std::clamp<qint64>(whole(row[LevelColumn::Cardinality], "LEVEL_CARDINALITY", 0), 0,
                               std::numeric_limits<qint32>::max()));
    level.hidden = isFalse(row[LevelColumn::Visible]);
    if (level.name.isEmpty())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": a level without a name"));
    if (level.hierarchy.isEmpty())
        level.hierarchy = level.dimension;
    m_levels.push_back(std::move(level));
}

void DatabaseBuilder::addProperty(const std::vector<QString>& row) {
    if (otherCatalog(row, PropertyColumn::Catalog, m_catalog) ||
        (whole(row[PropertyColumn::Type], "PROPERTY_TYPE", MemberPropertyType) & MemberPropertyType) == 0 ||
        row[PropertyColumn::Name].isEmpty())
        return;
    m_properties.push_back(
        {row[PropertyColumn::Cube], row[PropertyColumn::Level], row[PropertyColumn::Name]});
}

void DatabaseBuilder::addMeasure(const std::vector<QString>& row) {
    if (otherCatalog(row, MeasureColumn::Catalog, m_catalog))
        return;
    MeasureRow measure;
    measure.cube = row[MeasureColumn::Cube];
    measure.name = row[MeasureColumn::Name];
    measure.format = row[MeasureColumn::Format];
    measure.expression = row[MeasureColumn::Expression];
    measure.aggregator = static_cast<qint32>(whole(row[MeasureColumn::Aggregator], "MEASURE_AGGREGATOR", 0));
    measure.hidden = isFalse(row[MeasureColumn::Visible]);
    if (measure.name.isEmpty())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": a measure without a name"));
    m_measures.push_back(std::move(measure));
}

void DatabaseBuilder::setRoles(const QString& roles) {
    m_roles.clear();
    for (const QString& role : roles.split(u',', Qt::SkipEmptyParts))
        if (const QString name = role.trimmed(); !name.isEmpty() && !m_roles.contains(name))
            m_roles << name;
}

void DatabaseBuilder::setCubeFault(const QString& cube, const QString& reason) {
    for (Cube& known : m_cubes)
        if (known.name == cube && known.fault.isEmpty())
            known.fault = reason;
}

QStringList DatabaseBuilder::cubeNames() const {
    QStringList list;
    for (const Cube& cube : m_cubes)
        list << cube.name;
    return list;
}

// The steps of build(), over indexes of the collected rows.
struct Assembly {
    using LevelRow = DatabaseBuilder::LevelRow;
    using DimensionRow = DatabaseBuilder::DimensionRow;

    struct Hierarchy {
        QString uniqueName;
        std::vector<const LevelRow*> levels;
    };
    // A dimension as one cube (or the shared list) has it.
    struct Shape {
        QString cube;
        const DimensionRow* row = nullptr;
        std::vector<Hierarchy> hierarchies;
        QString signature;
    };
    struct Made {
        QString signature;
        std::vector<QString> names;
    };

    const DatabaseBuilder& b;
    DatabaseData database;
    QSet<QString> dimensionNames;
    QHash<QString, std::vector<const LevelRow*>> levelsByDimension; // cube, dimension unique name
    QHash<QString, std::vector<QString>> propertiesByLevel;         // cube, level unique name
    QHash<QString, Made> shared;                                    // by dimension name
    QHash<QString, Made> privateOf;                                 // cube, dimension name
    // Shared dimension levels without properties of their own take those of a cube using them.
    QHash<QString, std::vector<QString>> sharedUsers; // dimension name -> cubes
    struct PendingProperties {
        std::size_t dimension, level;
        QString sharedName, levelUniqueName;
    };
    std::vector<PendingProperties> pendingProperties;

    explicit Assembly(const DatabaseBuilder& builder)
        : b(builder) {
        for (const LevelRow& level : b.m_levels)
            levelsByDimension[key(level.cube, level.dimension)].push_back(&level);
        for (const auto& property : b.m_properties)
            propertiesByLevel[key(property.cube, property.level)].push_back(property.name);
    }

    Shape shapeOf(const DimensionRow& row) {
        Shape shape{row.cube, &row, {}, {}};
        for (const LevelRow* level : levelsByDimension.value(key(row.cube, row.uniqueName))) {
            if (level->type == AllLevelType)
                continue;
            auto it = std::find_if(shape.hierarchies.begin(), shape.hierarchies.end(),
                                   [&](const Hierarchy& h) { return h.uniqueName == level->hierarchy; });
            if (it == shape.hierarchies.end()) {
                shape.hierarchies.push_back({level->hierarchy, {}});
                it = shape.hierarchies.end() - 1;
            }
            it->levels.push_back(level);
        }
        const auto first =
            std::find_if(shape.hierarchies.begin(), shape.hierarchies.end(), [&](const Hierarchy& h) {
                return h.uniqueName ==
                       (row.defaultHierarchy.isEmpty() ? row.uniqueName : row.defaultHierarchy);
            });
        if (first != shape.hierarchies.end())
            std::rotate(shape.hierarchies.begin(), first, first + 1);
        for (Hierarchy& hierarchy : shape.hierarchies) {
            std::stable_sort(hierarchy.levels.begin(), hierarchy.levels.end(),
                             [](const LevelRow* a, const LevelRow* c) { return a->number < c->number; });
            shape.signature += hierarchy.uniqueName + QChar(0x1e);
            for (const LevelRow* level : hierarchy.levels)
                shape.signature += key(level->name, QString::number(level->type)) + QChar(0x1f) +
                                   QString::number(level->cardinality.value_or(-1)) + QChar(0x1e);
            shape.signature += QChar(0x1d);
        }
        return shape;
    }

    // The model name of each hierarchy: the dimension's own for its default hierarchy, else
    // dimension + "." + hierarchy.
    static QString hierarchyName(const DimensionRow& row, const Hierarchy& hierarchy, bool first) {
        if (first || hierarchy.uniqueName == row.uniqueName)
            return row.name;
        const QStringList parts = MdxNameParts(hierarchy.uniqueName);
        if (parts.size() == 1 && parts[0].startsWith(row.name + u'.'))
            return parts[0];
        return row.name + u'.' + (parts.isEmpty() ? hierarchy.uniqueName : parts.last());
    }

    Made make(const Shape& shape, const QString& prefix, bool isShared) {
        Made made{shape.signature, {}};
        const auto add = [&](const QString& name) {
            if (dimensionNames.contains(name))
                throw Error(ErrorNumber::BadDescription, b.m_origin + QStringLiteral(": dimension ") +
                                                             Quoted(name) + QStringLiteral(" comes twice"));
            dimensionNames.insert(name);
            DimensionData dimension;
            dimension.name = name;
            dimension.shared = isShared;
            dimension.dimensionType = shape.row->type == TimeDimensionType ? TimeDimensionType : 0;
            database.dimensions.push_back(std::move(dimension));
            made.names.push_back(name);
            return &database.dimensions.back();
        };
        if (shape.hierarchies.empty())
            add(prefix + shape.row->name);
        for (std::size_t i = 0; i < shape.hierarchies.size(); ++i) {
            DimensionData* dimension = add(prefix + hierarchyName(*shape.row, shape.hierarchies[i], i == 0));
            for (const LevelRow* row : shape.hierarchies[i].levels) {
                LevelData level;
                level.name = row->name;
                level.estimatedSize = row->cardinality;
                level.levelType = row->type;
                level.hidden = row->hidden;
                for (const QString& property : propertiesByLevel.value(key(shape.cube, row->uniqueName)))
                    level.memberProperties.push_back({property, QString()});
                if (isShared && level.memberProperties.empty())
                    pendingProperties.push_back({database.dimensions.size() - 1, dimension->levels.size(),
                                                 shape.row->name, row->uniqueName});
                dimension->levels.push_back(std::move(level));
            }
        }
        return made;
    }

    static std::vector<const DimensionRow*>
    sortedRows(const std::vector<DimensionRow>& rows,
               const std::function<bool(const DimensionRow&)>& wanted) {
        std::vector<const DimensionRow*> list;
        for (const DimensionRow& row : rows)
            if (row.type != MeasuresDimensionType && wanted(row))
                list.push_back(&row);
        std::stable_sort(list.begin(), list.end(), [](const DimensionRow* a, const DimensionRow* c) {
            return a->ordinal < c->ordinal;
        });
        return list;
    }

    void addShared() {
        for (const DimensionRow* row : sortedRows(b.m_dimensions, [](const DimensionRow& r) {
                 return isSharedList(r.cube) && (r.cube.isEmpty() || r.cube.mid(1) == r.name);
             })) {
            if (!shared.contains(row->name))
                shared.insert(row->name, make(shapeOf(*row), QString(), true));
        }
    }

    const std::vector<QString>* otherCubesDimension(const QString& name, const QString& signature) {
        for (const auto& cube : b.m_cubes) {
            if (cube.isVirtual)
                continue;
            const auto it = privateOf.constFind(key(cube.name, name));
            if (it != privateOf.constEnd() && it->signature == signature)
                return &it->names;
        }
        return nullptr;
    }

    CubeData cube(const DatabaseBuilder::Cube& source) {
        CubeData cube;
        cube.name = source.name;
        cube.state = source.processed ? ProcessedState : 0;
        cube.lastProcessed = source.processed;
        cube.readFault = source.fault;
        if (!cube.readFault.isEmpty())
            return cube;
        QSet<QString> seen;
        for (const DimensionRow* row :
             sortedRows(b.m_dimensions, [&](const DimensionRow& r) { return r.cube == source.name; })) {
            const Shape shape = shapeOf(*row);
            const std::vector<QString>* names = nullptr;
            if (const auto it = shared.constFind(row->name);
                it != shared.constEnd() && it->signature == shape.signature) {
                names = &it->names;
                sharedUsers[row->name].push_back(source.name);
            } else if (source.isVirtual) {
                names = otherCubesDimension(row->name, shape.signature);
            }
            if (!names) {
                const QString own = key(source.name, row->name);
                privateOf.insert(own, make(shape, source.name + u'^', false));
                names = &privateOf[own].names;
            }
            for (const QString& name : *names)
                if (!seen.contains(name)) {
                    seen.insert(name);
                    cube.dimensions.push_back(name);
                }
        }
        for (const auto& measure : b.m_measures) {
            if (measure.cube != source.name)
                continue;
            if (measure.aggregator == CalculatedAggregator) {
                QString statement = QStringLiteral("CREATE MEMBER ") + BracketedName(source.name) +
                                    QStringLiteral(".[Measures].") + BracketedName(measure.name);
                if (!measure.expression.isEmpty())
                    statement += QStringLiteral(" AS '") + measure.expression + u'\'';
                cube.commands.push_back({measure.name, 0, statement, {}});
            } else {
                cube.measures.push_back({measure.name,
                                         aggregateFunctionOf(measure.aggregator),
                                         measure.format,
                                         measure.hidden,
                                         QString(),
                                         {}});
            }
        }
        return cube;
    }

    // A shared dimension's levels carry the properties that the first cube using it lists (the
    // shared list itself may have none).
    void sharedProperties() {
        for (const PendingProperties& pending : pendingProperties) {
            LevelData& level = database.dimensions[pending.dimension].levels[pending.level];
            for (const QString& cube : sharedUsers.value(pending.sharedName)) {
                const auto it = propertiesByLevel.constFind(key(cube, pending.levelUniqueName));
                if (it == propertiesByLevel.constEnd())
                    continue;
                for (const QString& property : *it)
                    level.memberProperties.push_back({property, QString()});
                break;
            }
        }
    }
};

DatabaseData DatabaseBuilder::build() const {
    Assembly assembly(*this);
    assembly.database.name = m_catalog;
    assembly.addShared();
    std::vector<CubeData> cubes;
    for (const Cube& cube : m_cubes)
        cubes.push_back(assembly.cube(cube));
    assembly.sharedProperties();
    assembly.database.cubes = std::move(cubes);
    for (const QString& role : m_roles)
        assembly.database.roles.push_back({role, QString(), QString(), {}});
    return std::move(assembly.database);
}

} // namespace Lorvantic::Olap::Xmla
