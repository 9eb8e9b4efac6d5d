#include "external/readers/mondrianschema.h"

#include "external/readers/schemaxml.h"

#include <QFileDevice>
#include <QHash>
#include <functional>

namespace Lorvantic::Olap {

namespace {

constexpr qint32 RolapStorage = 3;
constexpr qint32 ProcessedState = 1;
constexpr qint32 TimeDimensionType = 1;

qint32 levelTypeOf(QStringView name) {
    return CodeOf(name,
                  {{QLatin1String("TimeYears"), 20},
                   {QLatin1String("TimeHalfYears"), 36},
                   {QLatin1String("TimeQuarters"), 68},
                   {QLatin1String("TimeMonths"), 132},
                   {QLatin1String("TimeWeeks"), 260},
                   {QLatin1String("TimeDays"), 516},
                   {QLatin1String("TimeHours"), 772},
                   {QLatin1String("TimeMinutes"), 1028},
                   {QLatin1String("TimeSeconds"), 2052}},
                  0, 0);
}

qint32 aggregatorOf(QStringView name) {
    return CodeOf(name,
                  {{QLatin1String("sum"), 0},
                   {QLatin1String("count"), 1},
                   {QLatin1String("min"), 2},
                   {QLatin1String("max"), 3},
                   {QLatin1String("distinct-count"), 4},
                   {QLatin1String("distinct count"), 4},
                   {QLatin1String("avg"), 5}},
                  6, 0);
}

// A calculated member or named set, kept until it is known which cubes hold a copy.
struct Calculation {
    QString name;
    QString target; // what the member belongs to, as MDX ("[Measures]"); empty for a set
    QString formula;
    qint16 solveOrder = 0;
    bool isSet = false;
    XmlPosition at;
};

CommandData commandFor(const QString& cube, const Calculation& calculation) {
    QString path = BracketedName(cube) + u'.';
    if (!calculation.target.isEmpty())
        path += calculation.target + u'.';
    const QString verb = calculation.isSet ? QStringLiteral("CREATE SET ") : QStringLiteral("CREATE MEMBER ");
    return {calculation.name, calculation.solveOrder,
            verb + path + BracketedName(calculation.name) + QStringLiteral(" AS '") + calculation.formula +
                u'\'',
            calculation.at.source()};
}

// Where one dimension of a cube comes from; resolved once the whole schema is read, since a
// schema may name what it defines further on.
struct DimensionRef {
    enum class Kind { Own, Shared, OfCube };
    Kind kind = Kind::Own;
    QString source;           // Shared: the shared dimension; OfCube: the dimension's name in that cube
    QString cube;             // OfCube
    std::vector<QString> own; // Own: the database dimensions it made
    XmlPosition at;
};

struct VirtualMeasure {
    QString cube;
    QString name;
    bool visible = true;
    XmlPosition at;
};

struct CubeBuild {
    CubeData data;
    bool isVirtual = false;
    std::vector<DimensionRef> dimensions;
    QHash<QString, qsizetype> usages; // a dimension's name within the cube -> entry of dimensions
    std::vector<Calculation> calculations;
    std::vector<VirtualMeasure> virtualMeasures;
    QHash<QString, qsizetype> measureIndex;
    QHash<QString, qsizetype> memberIndex; // calculated members (not sets) by name
};

struct Grant {
    QString cube;
    XmlPosition at;
};

struct RoleBuild {
    RoleData data;
    std::vector<Grant> grants;
};

class SchemaReader {
public:
    SchemaReader(QIODevice& device, const QString& origin, const QDateTime& processed)
        : m_xml(device, origin)
        , m_origin(origin) {
        if (processed.isValid())
            m_processed = processed;
    }

    ServerData read();

private:
    void readSchema();
    void readSharedDimension();
    std::vector<QString> readDimension(const QString& fullName, const QString& ownName, bool shared);
    LevelData readLevel();
    void readCube(bool isVirtual);
    void readCubeContent(CubeBuild& cube, QStringView element);
    void readOwnDimension(CubeBuild& cube);
    void readDimensionUsage(CubeBuild& cube);
    void readVirtualCubeDimension(CubeBuild& cube);
    void readVirtualCubeMeasure(CubeBuild& cube);
    void readFact(CubeData& cube, QStringView element);
    MeasureData readMeasure();
    Calculation readCalculatedMember();
    Calculation readNamedSet();
    QString readFormula(QString formula, const std::function<void()>& property = nullptr);
    void readRole();
    static void addRef(CubeBuild& cube, const QString& name, DimensionRef&& ref);

    void assemble();
    const CubeBuild& baseCube(const QString& asking, const QString& name, const XmlPosition& at) const;
    const std::vector<QString>& resolve(const QString& cube, const DimensionRef& ref);
    std::vector<QString> dimensionsOf(const CubeBuild& cube);
    void importVirtualMeasures(CubeBuild& cube, std::vector<Calculation>& imported);
    void grantRoles();

    SchemaXml m_xml;
    QString m_origin;
    std::optional<QDateTime> m_processed;
    QString m_name;
    DatabaseData m_database;
    QSet<QString> m_dimensionNames;
    QSet<QString> m_cubeNames;
    QSet<QString> m_roleNames;
    QHash<QString, std::vector<QString>> m_shared; // shared dimension -> its database dimensions
    std::vector<CubeBuild> m_cubes;
    QHash<QString, qsizetype> m_cubeIndex;
    std::vector<RoleBuild> m_roles;
    std::vector<Calculation> m_schemaSets;
    XmlPosition m_schemaSetsAt;
};

ServerData SchemaReader::read() {
    m_xml.enterRoot(QLatin1String("Schema"), QStringLiteral("a Mondrian schema"));
    readSchema();
    m_xml.finish();
    assemble();
    m_database.name = m_name;
    ServerData server{m_name, {}};
    server.databases.push_back(std::move(m_database));
    const QString broken = FindBrokenReference(server);
    if (!broken.isEmpty())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": ") + broken);
    return server;
}

void SchemaReader::readSchema() {
    m_name = m_xml.requiredAttribute(QLatin1String("name"), u"Schema");
    m_database.at = m_xml.position().source();
    const QString version = m_xml.attribute(QLatin1String("metamodelVersion"));
    if (version.section(u'.', 0, 0).toInt() > 3)
        m_xml.fail(QStringLiteral("schemas of metamodel version ") + version +
                   QStringLiteral(" are not read (only versions up to 3 are)"));
    m_xml.children([this](QStringView element) {
        if (element == QLatin1String("Dimension")) {
            readSharedDimension();
        } else if (element == QLatin1String("Cube")) {
            readCube(false);
        } else if (element == QLatin1String("VirtualCube")) {
            readCube(true);
        } else if (element == QLatin1String("NamedSet")) {
            if (m_schemaSets.empty())
                m_schemaSetsAt = m_xml.position();
            m_schemaSets.push_back(readNamedSet());
        } else if (element == QLatin1String("Role")) {
            readRole();
        } else {
            m_xml.skip();
        }
    });
}

void SchemaReader::readSharedDimension() {
    const QString name = m_xml.requiredAttribute(QLatin1String("name"), u"Dimension");
    std::vector<QString> made = readDimension(name, name, true);
    m_shared.emplace(name, std::move(made));
}

// The dimension's first hierarchy gives its own levels; each further one is a dimension of its
// own, named after the hierarchy (or, unnamed, after the dimension as the hierarchy is).
std::vector<QString> SchemaReader::readDimension(const QString& fullName, const QString& ownName,
                                                 bool shared) {
    const qint32 type =
        m_xml.attribute(QLatin1String("type")) == QLatin1String("TimeDimension") ? TimeDimensionType : 0;
    const auto start = [&](const QString& name) {
        m_xml.addUnique(m_dimensionNames, name, "dimension");
        DimensionData dimension;
        dimension.name = name;
        dimension.shared = shared;
        dimension.dimensionType = type;
        dimension.at = m_xml.position().source();
        return dimension;
    };
    std::vector<DimensionData> made;
    made.push_back(start(fullName));
    bool first = true;
    m_xml.items(QLatin1String("Hierarchy"), [&] {
        if (!first) {
            const QString hierarchy = m_xml.attribute(QLatin1String("name"));
            made.push_back(start(fullName + u'.' + (hierarchy.isEmpty() ? ownName : hierarchy)));
        }
        first = false;
        DimensionData& dimension = made.back();
        m_xml.items(QLatin1String("Level"), [&] { dimension.levels.push_back(readLevel()); });
    });
    std::vector<QString> names;
    for (DimensionData& dimension : made) {
        names.push_back(dimension.name);
        m_database.dimensions.push_back(std::move(dimension));
    }
    return names;
}

LevelData SchemaReader::readLevel() {
    LevelData level;
    level.name = m_xml.requiredAttribute(QLatin1String("name"), u"Level");
    level.at = m_xml.position().source();
    level.levelType = levelTypeOf(m_xml.attribute(QLatin1String("levelType")));
    // Schemas rarely give a row count; a level without one counts no members rather than
    // leaving the level unreadable, which would end every dimension report that lists it.
    level.estimatedSize = m_xml
                              .whole<qint32>(m_xml.attribute(QLatin1String("approxRowCount")),
                                             m_xml.position(), QStringLiteral("approxRowCount"))
                              .value_or(0);
    level.memberKeyColumn = m_xml.attribute(QLatin1String("column"));
    level.memberNameColumn = m_xml.attribute(QLatin1String("nameColumn"));
    level.hidden = m_xml.isFalse(QLatin1String("visible"));
    m_xml.items(QLatin1String("Property"), [&] {
        level.memberProperties.push_back({m_xml.requiredAttribute(QLatin1String("name"), u"Property"),
                                          m_xml.attribute(QLatin1String("column"))});
        m_xml.skip();
    });
    return level;
}

void SchemaReader::readCube(bool isVirtual) {
    CubeBuild cube;
    cube.isVirtual = isVirtual;
    cube.data.name = m_xml.requiredAttribute(QLatin1String("name"), isVirtual ? u"VirtualCube" : u"Cube");
    m_xml.addUnique(m_cubeNames, cube.data.name, "cube");
    cube.data.at = m_xml.position().source();
    m_xml.children([&](QStringView element) { readCubeContent(cube, element); });
    cube.data.state = ProcessedState;
    cube.data.lastProcessed = m_processed;
    m_cubeIndex.insert(cube.data.name, static_cast<qsizetype>(m_cubes.size()));
    m_cubes.push_back(std::move(cube));
}

// Only a virtual cube takes dimensions and measures from other cubes (so that a reference never
// leads from a cube back to itself).
void SchemaReader::readCubeContent(CubeBuild& cube, QStringView element) {
    if (cube.isVirtual && element == QLatin1String("VirtualCubeDimension"))
        readVirtualCubeDimension(cube);
    else if (cube.isVirtual && element == QLatin1String("VirtualCubeMeasure"))
        readVirtualCubeMeasure(cube);
    else if (element == QLatin1String("Table") || element == QLatin1String("View") ||
             element == QLatin1String("InlineTable"))
        readFact(cube.data, element);
    else if (element == QLatin1String("Dimension"))
        readOwnDimension(cube);
    else if (element == QLatin1String("DimensionUsage"))
        readDimensionUsage(cube);
    else if (element == QLatin1String("Measure"))
        cube.data.measures.push_back(readMeasure());
    else if (element == QLatin1String("CalculatedMember"))
        cube.calculations.push_back(readCalculatedMember());
    else if (element == QLatin1String("NamedSet"))
        cube.calculations.push_back(readNamedSet());
    else
        m_xml.skip();
}

void SchemaReader::addRef(CubeBuild& cube, const QString& name, DimensionRef&& ref) {
    if (!cube.usages.contains(name))
        cube.usages.insert(name, static_cast<qsizetype>(cube.dimensions.size()));
    cube.dimensions.push_back(std::move(ref));
}

void SchemaReader::readOwnDimension(CubeBuild& cube) {
    const QString name = m_xml.requiredAttribute(QLatin1String("name"), u"Dimension");
    DimensionRef ref;
    ref.at = m_xml.position();
    ref.own = readDimension(cube.data.name + u'^' + name, name, false);
    addRef(cube, name, std::move(ref));
}

void SchemaReader::readDimensionUsage(CubeBuild& cube) {
    DimensionRef ref;
    ref.kind = DimensionRef::Kind::Shared;
    ref.source = m_xml.requiredAttribute(QLatin1String("source"), u"DimensionUsage");
    ref.at = m_xml.position();
    QString name = m_xml.attribute(QLatin1String("name"));
    m_xml.skip();
    addRef(cube, name.isEmpty() ? ref.source : name, std::move(ref));
}

void SchemaReader::readVirtualCubeDimension(CubeBuild& cube) {
    DimensionRef ref;
    ref.source = m_xml.requiredAttribute(QLatin1String("name"), u"VirtualCubeDimension");
    ref.cube = m_xml.attribute(QLatin1String("cubeName"));
    ref.kind = ref.cube.isEmpty() ? DimensionRef::Kind::Shared : DimensionRef::Kind::OfCube;
    ref.at = m_xml.position();
    m_xml.skip();
    const QString name = ref.source;
    addRef(cube, name, std::move(ref));
}

void SchemaReader::readVirtualCubeMeasure(CubeBuild& cube) {
    VirtualMeasure measure;
    measure.cube = m_xml.requiredAttribute(QLatin1String("cubeName"), u"VirtualCubeMeasure");
    const QStringList parts =
        MdxNameParts(m_xml.requiredAttribute(QLatin1String("name"), u"VirtualCubeMeasure"));
    measure.name = parts.isEmpty() ? QString() : parts.last();
    measure.visible = !m_xml.isFalse(QLatin1String("visible"));
    measure.at = m_xml.position();
    m_xml.skip();
    cube.virtualMeasures.push_back(std::move(measure));
}

void SchemaReader::readFact(CubeData& cube, QStringView element) {
    PartitionData partition;
    const bool isTable = element == QLatin1String("Table");
    partition.name =
        m_xml.requiredAttribute(isTable ? QLatin1String("name") : QLatin1String("alias"), element);
    partition.storageMode = RolapStorage;
    partition.at = m_xml.position().source();
    partition.dataSources.push_back({m_name, QString()});
    m_xml.items(QLatin1String("AggName"), [&] {
        partition.aggregations.push_back({m_xml.requiredAttribute(QLatin1String("name"), u"AggName")});
        m_xml.skip();
    });
    cube.partitions.push_back(std::move(partition));
}

MeasureData SchemaReader::readMeasure() {
    MeasureData measure;
    measure.name = m_xml.requiredAttribute(QLatin1String("name"), u"Measure");
    measure.at = m_xml.position().source();
    measure.aggregateFunction = aggregatorOf(m_xml.attribute(QLatin1String("aggregator")));
    measure.formatString = m_xml.attribute(QLatin1String("formatString"));
    measure.sourceColumn = m_xml.attribute(QLatin1String("column"));
    measure.internal = m_xml.isFalse(QLatin1String("visible"));
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("MeasureExpression") && measure.sourceColumn.isEmpty())
            measure.sourceColumn = QStringLiteral("expression");
        else if (element == QLatin1String("CalculatedMemberProperty") && measure.formatString.isEmpty() &&
                 m_xml.attribute(QLatin1String("name")) == QLatin1String("FORMAT_STRING"))
            measure.formatString = m_xml.attribute(QLatin1String("value"));
        m_xml.skip();
    });
    return measure;
}

// The formula of a calculated member or set: its attribute, or the text of its <Formula>
// (without the blanks around it). property reads each <CalculatedMemberProperty>.
QString SchemaReader::readFormula(QString formula, const std::function<void()>& property) {
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("Formula"))
            formula = m_xml.text().trimmed();
        else if (element == QLatin1String("CalculatedMemberProperty") && property)
            property();
        else
            m_xml.skip();
    });
    return formula;
}

Calculation SchemaReader::readCalculatedMember() {
    Calculation member;
    member.name = m_xml.requiredAttribute(QLatin1String("name"), u"CalculatedMember");
    member.at = m_xml.position();
    member.target = m_xml.attribute(QLatin1String("parent"));
    if (member.target.isEmpty()) {
        const QString dimension = m_xml.attribute(QLatin1String("dimension"));
        member.target =
            dimension.isEmpty() ? m_xml.attribute(QLatin1String("hierarchy")) : BracketedName(dimension);
    }
    member.formula = readFormula(m_xml.attribute(QLatin1String("formula")), [&] {
        if (m_xml.attribute(QLatin1String("name"))
                .compare(QLatin1String("SOLVE_ORDER"), Qt::CaseInsensitive) == 0)
            member.solveOrder = m_xml
                                    .whole<qint16>(m_xml.attribute(QLatin1String("value")), m_xml.position(),
                                                   QStringLiteral("SOLVE_ORDER"))
                                    .value_or(0);
        m_xml.skip();
    });
    return member;
}

Calculation SchemaReader::readNamedSet() {
    Calculation set;
    set.isSet = true;
    set.name = m_xml.requiredAttribute(QLatin1String("name"), u"NamedSet");
    set.at = m_xml.position();
    set.formula = readFormula(m_xml.attribute(QLatin1String("formula")));
    return set;
}

void SchemaReader::readRole() {
    RoleBuild role;
    role.data.name = m_xml.requiredAttribute(QLatin1String("name"), u"Role");
    role.data.at = m_xml.position().source();
    m_xml.addUnique(m_roleNames, role.data.name, "role");
    m_xml.items(QLatin1String("SchemaGrant"), [&] {
        m_xml.items(QLatin1String("CubeGrant"), [&] {
            if (m_xml.attribute(QLatin1String("access")).compare(QLatin1String("all"), Qt::CaseInsensitive) ==
                0)
                role.grants.push_back(
                    {m_xml.requiredAttribute(QLatin1String("cube"), u"CubeGrant"), m_xml.position()});
            m_xml.skip();
        });
    });
    m_roles.push_back(std::move(role));
}

void SchemaReader::assemble() {
    if (!m_schemaSets.empty())
        m_xml.spend(static_cast<qsizetype>(m_schemaSets.size()) * static_cast<qsizetype>(m_cubes.size()),
                    m_schemaSetsAt);
    for (CubeBuild& cube : m_cubes) {
        for (std::size_t i = 0; i < cube.data.measures.size(); ++i)
            cube.measureIndex.insert(cube.data.measures[i].name, static_cast<qsizetype>(i));
        for (std::size_t i = 0; i < cube.calculations.size(); ++i)
            if (!cube.calculations[i].isSet)
                cube.memberIndex.insert(cube.calculations[i].name, static_cast<qsizetype>(i));
    }
    for (CubeBuild& cube : m_cubes) {
        cube.data.dimensions = dimensionsOf(cube);
        std::vector<Calculation> imported;
        importVirtualMeasures(cube, imported);
        for (const auto* list : {&imported, &cube.calculations, &m_schemaSets})
            for (const Calculation& calculation : *list)
                cube.data.commands.push_back(commandFor(cube.data.name, calculation));
    }
    grantRoles();
    for (CubeBuild& cube : m_cubes)
        m_database.cubes.push_back(std::move(cube.data));
    for (RoleBuild& role : m_roles)
        m_database.roles.push_back(std::move(role.data));
}

// A cube that the virtual cube asking takes dimensions or measures from.
const CubeBuild& SchemaReader::baseCube(const QString& asking, const QString& name,
                                        const XmlPosition& at) const {
    const auto it = m_cubeIndex.constFind(name);
    if (it == m_cubeIndex.constEnd() || m_cubes[static_cast<std::size_t>(*it)].isVirtual)
        m_xml.failAt(at,
                     QStringLiteral("virtual cube ") + Quoted(asking) + QStringLiteral(" names cube ") +
                         Quoted(name) +
                         QStringLiteral(", which the schema does not have (as a cube that is not virtual)"));
    return m_cubes[static_cast<std::size_t>(*it)];
}

const std::vector<QString>& SchemaReader::resolve(const QString& cube, const DimensionRef& ref) {
    switch (ref.kind) {
    case DimensionRef::Kind::Own:
        return ref.own;
    case DimensionRef::Kind::Shared: {
        const auto it = m_shared.constFind(ref.source);
        if (it == m_shared.constEnd())
            m_xml.failAt(ref.at,
                         QStringLiteral("cube ") + Quoted(cube) + QStringLiteral(" uses dimension ") +
                             Quoted(ref.source) +
                             QStringLiteral(", which the schema does not have as a shared dimension"));
        return *it;
    }
    case DimensionRef::Kind::OfCube:
        break;
    }
    const CubeBuild& base = baseCube(cube, ref.cube, ref.at);
    const auto usage = base.usages.constFind(ref.source);
    if (usage == base.usages.constEnd())
        m_xml.failAt(ref.at, QStringLiteral("virtual cube ") + Quoted(cube) +
                                 QStringLiteral(" uses dimension ") + Quoted(ref.source) +
                                 QStringLiteral(" of cube ") + Quoted(ref.cube) +
                                 QStringLiteral(", which that cube does not have"));
    // A cube that is not virtual holds only its own dimensions and shared ones.
    return resolve(ref.cube, base.dimensions[static_cast<std::size_t>(*usage)]);
}

std::vector<QString> SchemaReader::dimensionsOf(const CubeBuild& cube) {
    std::vector<QString> names;
    QSet<QString> seen;
    for (const DimensionRef& ref : cube.dimensions) {
        const std::vector<QString>& made = resolve(cube.data.name, ref);
        m_xml.spend(static_cast<qsizetype>(made.size()), ref.at);
        for (const QString& name : made) {
            if (!seen.contains(name)) {
                seen.insert(name);
                names.push_back(name);
            }
        }
    }
    return names;
}

// A virtual cube's measure is a copy of its cube's measure, or of its calculated member; one
// the cube does not define (such as the implicit "Fact Count") is taken by name alone.
void SchemaReader::importVirtualMeasures(CubeBuild& cube, std::vector<Calculation>& imported) {
    for (const VirtualMeasure& wanted : cube.virtualMeasures) {
        const CubeBuild& base = baseCube(cube.data.name, wanted.cube, wanted.at);
        if (const auto it = base.measureIndex.constFind(wanted.name); it != base.measureIndex.constEnd()) {
            MeasureData measure = base.data.measures[static_cast<std::size_t>(*it)];
            measure.internal = measure.internal || !wanted.visible;
            measure.at = wanted.at.source();
            cube.data.measures.push_back(std::move(measure));
        } else if (const auto member = base.memberIndex.constFind(wanted.name);
                   member != base.memberIndex.constEnd()) {
            imported.push_back(base.calculations[static_cast<std::size_t>(*member)]);
            imported.back().at = wanted.at;
        } else {
            MeasureData measure;
            measure.name = wanted.name;
            measure.internal = !wanted.visible;
            measure.at = wanted.at.source();
            cube.data.measures.push_back(std::move(measure));
        }
    }
}

void SchemaReader::grantRoles() {
    for (const RoleBuild& role : m_roles) {
        for (const Grant& grant : role.grants) {
            const auto it = m_cubeIndex.constFind(grant.cube);
            if (it == m_cubeIndex.constEnd())
                m_xml.failAt(grant.at, QStringLiteral("role ") + Quoted(role.data.name) +
                                           QStringLiteral(" grants cube ") + Quoted(grant.cube) +
                                           QStringLiteral(", which the schema does not have"));
            std::vector<QString>& roles = m_cubes[static_cast<std::size_t>(*it)].data.roles;
            if (roles.empty() || roles.back() != role.data.name)
                roles.push_back(role.data.name);
        }
    }
}

} // namespace

ServerData ReadMondrianSchema(QIODevice& device, const QString& origin, const QDateTime& fileTime) {
    return SchemaReader(device, origin, fileTime).read();
}

ServerData ReadMondrianSchema(QIODevice& device, const QString& origin) {
    QDateTime modified;
    if (const auto* file = qobject_cast<const QFileDevice*>(&device))
        modified = file->fileTime(QFileDevice::FileModificationTime);
    return ReadMondrianSchema(device, origin, modified);
}

} // namespace Lorvantic::Olap
