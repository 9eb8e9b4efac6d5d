#include "external/readers/asslschema.h"

#include "external/readers/schemaxml.h"

#include <QHash>
#include <QRegularExpression>

namespace Lorvantic::Olap {

namespace {

constexpr qint32 TimeDimensionType = 1;
constexpr qint32 UnknownStorageMode = -1;

qint32 stateOf(QStringView text) {
    return CodeOf(text.trimmed(),
                  {{QLatin1String("Unprocessed"), 0},
                   {QLatin1String("Processed"), 1},
                   {QLatin1String("PartiallyProcessed"), 2}},
                  0, 0);
}

qint32 aggregateFunctionOf(QStringView text) {
    return CodeOf(text.trimmed(),
                  {{QLatin1String("Sum"), 0},
                   {QLatin1String("Count"), 1},
                   {QLatin1String("Min"), 2},
                   {QLatin1String("Max"), 3},
                   {QLatin1String("DistinctCount"), 4},
                   {QLatin1String("None"), 5},
                   {QLatin1String("ByAccount"), 6},
                   {QLatin1String("AverageOfChildren"), 7},
                   {QLatin1String("FirstChild"), 8},
                   {QLatin1String("LastChild"), 9},
                   {QLatin1String("FirstNonEmpty"), 10},
                   {QLatin1String("LastNonEmpty"), 11}},
                  12, 0);
}

// The default (no mode anywhere) is Molap.
qint32 storageModeOf(QStringView text) {
    return CodeOf(text.trimmed(),
                  {{QLatin1String("Molap"), 0}, {QLatin1String("Holap"), 1}, {QLatin1String("Rolap"), 3}},
                  UnknownStorageMode, 0);
}

qint32 levelTypeOf(QStringView text) {
    text = text.trimmed();
    // Fiscal, reporting, manufacturing and ISO calendars count in the same units.
    for (const QLatin1String prefix : {QLatin1String("Fiscal"), QLatin1String("Reporting"),
                                       QLatin1String("Manufacturing"), QLatin1String("Iso8601")})
        if (text.startsWith(prefix, Qt::CaseInsensitive))
            text = text.mid(prefix.size());
    return CodeOf(text,
                  {{QLatin1String("Years"), 20},
                   {QLatin1String("HalfYears"), 36},
                   {QLatin1String("Quarters"), 68},
                   {QLatin1String("Months"), 132},
                   {QLatin1String("Weeks"), 260},
                   {QLatin1String("Days"), 516},
                   {QLatin1String("Date"), 516},
                   {QLatin1String("Hours"), 772},
                   {QLatin1String("Minutes"), 1028},
                   {QLatin1String("Seconds"), 2052}},
                  0, 0);
}

// What a <Source> binds to; which parts are given depends on the kind of binding.
struct Binding {
    QString table;
    QString column;
    QString expression;
    QString dataSource;
    QString view;

    // As a source column reads: "table.column", the expression, or the table (of a row count).
    QString sourceColumn() const {
        if (!column.isEmpty())
            return table.isEmpty() ? column : table + u'.' + column;
        return expression.isEmpty() ? table : expression;
    }
};

// ---- MDX script statements -------------------------------------------------------------------

struct MdxToken {
    enum class Kind { Word, Name, Text, Symbol };
    Kind kind = Kind::Symbol;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// Splits MDX into words, bracketed names, quoted texts and single symbols, leaving out blanks and
// comments ("//" and "--" to the end of the line, "/* */"). Unterminated ones run to the end.
class MdxScanner {
public:
    explicit MdxScanner(QStringView text)
        : m_text(text) {}

    bool next(MdxToken& token) {
        skipBlanksAndComments();
        if (m_at >= m_text.size())
            return false;
        token.begin = m_at;
        const QChar c = m_text[m_at];
        if (isWordChar(c)) {
            token.kind = MdxToken::Kind::Word;
            while (m_at < m_text.size() && isWordChar(m_text[m_at]))
                ++m_at;
        } else if (c == u'[') {
            token.kind = MdxToken::Kind::Name;
            skipQuoted(u']');
        } else if (c == u'"' || c == u'\'') {
            token.kind = MdxToken::Kind::Text;
            skipQuoted(c);
        } else {
            token.kind = MdxToken::Kind::Symbol;
            ++m_at;
        }
        token.end = m_at;
        return true;
    }

    QStringView text(const MdxToken& token) const { return m_text.mid(token.begin, token.end - token.begin); }

private:
    static bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    bool startsWith(QLatin1String what) const { return m_text.mid(m_at).startsWith(what); }

    void skipBlanksAndComments() {
        while (m_at < m_text.size()) {
            if (m_text[m_at].isSpace()) {
                ++m_at;
            } else if (startsWith(QLatin1String("//")) || startsWith(QLatin1String("--"))) {
                while (m_at < m_text.size() && m_text[m_at] != u'\n')
                    ++m_at;
            } else if (startsWith(QLatin1String("/*"))) {
                const qsizetype end = m_text.indexOf(QLatin1String("*/"), m_at + 2);
                m_at = end < 0 ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    // From an opening character to close; a doubled close stands for itself.
    void skipQuoted(QChar close) {
        for (++m_at; m_at < m_text.size(); ++m_at) {
            if (m_text[m_at] != close)
                continue;
            if (m_at + 1 < m_text.size() && m_text[m_at + 1] == close) {
                ++m_at;
                continue;
            }
            ++m_at;
            return;
        }
    }

    QStringView m_text;
    qsizetype m_at = 0;
};

// A CREATE MEMBER or CREATE SET statement of a script.
struct ScriptCalculation {
    CommandData command;
    QStringList path; // the created object's name parts, without CURRENTCUBE or the cube's name
    bool isSet = false;
    bool solveOrderGiven = false;
};

bool isWord(const MdxScanner& scanner, const MdxToken& token, QLatin1String word) {
    return token.kind == MdxToken::Kind::Word && scanner.text(token).compare(word, Qt::CaseInsensitive) == 0;
}

bool isSymbol(const MdxScanner& scanner, const MdxToken& token, QChar symbol) {
    return token.kind == MdxToken::Kind::Symbol && scanner.text(token).front() == symbol;
}

// Where the character at offset begin of a script stands, the script starting at "at".
SourcePosition positionIn(QStringView script, qsizetype begin, const XmlPosition& at) {
    const qsizetype lineStart = begin == 0 ? 0 : script.lastIndexOf(u'\n', begin - 1) + 1;
    return SourceAt(at.line + script.left(begin).count(u'\n'),
                    lineStart == 0 ? at.column + begin : begin - lineStart + 1);
}

// ---- reading -------------------------------------------------------------------------------

struct AttributeBuild {
    QString id;
    LevelData level;
    struct Relationship {
        QString attributeId;
        QString name;
        XmlPosition at;
    };
    std::vector<Relationship> relationships;
};

struct Reference {
    QString id;
    XmlPosition at;
};

struct PartitionBuild {
    PartitionData data;
    QString storageMode;
    QString designId;
    Binding source;
    std::optional<double> size;
    XmlPosition at;
};

struct MeasureGroupBuild {
    std::vector<PartitionBuild> partitions;
    QHash<QString, std::vector<AggregationData>> designs;
    QString storageMode;
    std::optional<double> size;
};

struct CubeBuild {
    CubeData data;
    std::vector<Reference> dimensions;
    std::vector<Reference> roles;
    QString view;
    QString storageMode;
    std::vector<MeasureGroupBuild> groups;
};

class DatabaseReader {
public:
    DatabaseReader(QIODevice& device, const QString& origin)
        : m_xml(device, origin)
        , m_origin(origin) {}

    ServerData read();

private:
    // Reads the children of a major object: its <ID> and <Name>, the rest through handle. The
    // ID defaults to the name; the name is required.
    template <class Handle> void readObject(const char* kind, QString& id, QString& name, Handle&& handle);
    QString text() { return m_xml.text(); }
    std::optional<QDateTime> dateTime();
    std::optional<double> size();
    Binding readBinding();
    QString readDataItem();

    void readDatabase();
    void readDimension();
    AttributeBuild readAttribute();
    std::vector<LevelData> levelsOf(const QString& dimension, const std::vector<AttributeBuild>& attributes,
                                    const std::vector<Reference>& hierarchyLevels) const;
    void readCube();
    MeasureGroupBuild readMeasureGroup(std::vector<MeasureData>& measures);
    MeasureData readMeasure();
    PartitionBuild readPartition();
    void readMdxScript(const QString& cube, std::vector<CommandData>& commands);
    void addStatements(const QString& cube, const QString& script, const XmlPosition& at,
                       std::vector<ScriptCalculation>& found) const;
    void readDataSource();
    void readDataSourceView();
    void readRole();

    void assemble(CubeBuild& cube);
    PartitionData partitionOf(const CubeBuild& cube, const MeasureGroupBuild& group,
                              const PartitionBuild& partition);
    template <class Lookup>
    std::vector<QString> namesOf(const QString& cube, const std::vector<Reference>& references,
                                 const Lookup& names, const char* kind) const;

    SchemaXml m_xml;
    QString m_origin;
    DatabaseData m_database;
    QSet<QString> m_dimensionNames;
    QSet<QString> m_cubeNames;
    QSet<QString> m_roleNames;
    QHash<QString, QString> m_dimensionIds; // ID -> name
    QHash<QString, QString> m_roleIds;
    QHash<QString, DataSourceData> m_dataSources;
    QHash<QString, QString> m_viewSources; // data source view -> its data source
    std::vector<CubeBuild> m_cubes;
};

ServerData DatabaseReader::read() {
    m_xml.enterRoot(QLatin1String("Database"), QStringLiteral("an ASSL database definition"));
    readDatabase();
    m_xml.finish();
    for (CubeBuild& cube : m_cubes) {
        assemble(cube);
        m_database.cubes.push_back(std::move(cube.data));
    }
    ServerData server{m_database.name, {}};
    server.databases.push_back(std::move(m_database));
    const QString broken = FindBrokenReference(server);
    if (!broken.isEmpty())
        throw Error(ErrorNumber::BadDescription, m_origin + QStringLiteral(": ") + broken);
    return server;
}

template <class Handle>
void DatabaseReader::readObject(const char* kind, QString& id, QString& name, Handle&& handle) {
    const XmlPosition at = m_xml.position();
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("ID"))
            id = text();
        else if (element == QLatin1String("Name"))
            name = text();
        else
            handle(element);
    });
    if (name.isEmpty())
        m_xml.failAt(at, u'<' + QLatin1String(kind) + QStringLiteral("> without a <Name>"));
    if (id.isEmpty())
        id = name;
}

// xs:dateTime; "0001-01-01T00:00:00" is how the format writes "never".
std::optional<QDateTime> DatabaseReader::dateTime() {
    const XmlPosition at = m_xml.position();
    QString value = text().trimmed();
    if (value.isEmpty())
        return std::nullopt;
    // Fractions of a second may have up to seven digits; milliseconds are kept.
    static const QRegularExpression LongFraction(QStringLiteral("(\\.\\d{3})\\d+"));
    value.replace(LongFraction, QStringLiteral("\\1"));
    const QDateTime parsed = QDateTime::fromString(value, Qt::ISODateWithMs);
    if (!parsed.isValid())
        m_xml.failAt(at, QStringLiteral("not a date and time: ") + Quoted(value));
    if (parsed.date().year() <= 1)
        return std::nullopt;
    return parsed.toLocalTime();
}

std::optional<double> DatabaseReader::size() {
    const XmlPosition at = m_xml.position();
    return m_xml.decimal(text(), at, QStringLiteral("<EstimatedSize>"));
}

Binding DatabaseReader::readBinding() {
    Binding binding;
    m_xml.texts({{QLatin1String("TableID"), &binding.table},
                 {QLatin1String("ColumnID"), &binding.column},
                 {QLatin1String("Expression"), &binding.expression},
                 {QLatin1String("DataSourceID"), &binding.dataSource},
                 {QLatin1String("DataSourceViewID"), &binding.view}});
    return binding;
}

// A data item (key, name or measure column): the column its <Source> binds to.
QString DatabaseReader::readDataItem() {
    QString column;
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("Source"))
            column = readBinding().sourceColumn();
        else
            m_xml.skip();
    });
    return column;
}

void DatabaseReader::readDatabase() {
    const XmlPosition at = m_xml.position();
    m_database.at = at.source();
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("Name"))
            m_database.name = text();
        else if (element == QLatin1String("Dimensions"))
            m_xml.items(QLatin1String("Dimension"), [&] { readDimension(); });
        else if (element == QLatin1String("Cubes"))
            m_xml.items(QLatin1String("Cube"), [&] { readCube(); });
        else if (element == QLatin1String("DataSources"))
            m_xml.items(QLatin1String("DataSource"), [&] { readDataSource(); });
        else if (element == QLatin1String("DataSourceViews"))
            m_xml.items(QLatin1String("DataSourceView"), [&] { readDataSourceView(); });
        else if (element == QLatin1String("Roles"))
            m_xml.items(QLatin1String("Role"), [&] { readRole(); });
        else
            m_xml.skip();
    });
    if (m_database.name.isEmpty())
        m_xml.failAt(at, QStringLiteral("<Database> without a <Name>"));
}

void DatabaseReader::readDimension() {
    const XmlPosition at = m_xml.position();
    DimensionData dimension;
    dimension.shared = true;
    dimension.at = at.source();
    QString id;
    std::vector<AttributeBuild> attributes;
    std::vector<Reference> hierarchyLevels;
    const auto readLevelSource = [&] {
        Reference source{QString(), m_xml.position()};
        m_xml.texts({{QLatin1String("SourceAttributeID"), &source.id}});
        hierarchyLevels.push_back(std::move(source));
    };
    const auto readHierarchy = [&] {
        m_xml.children([&](QStringView element) {
            if (element == QLatin1String("Levels"))
                m_xml.items(QLatin1String("Level"), readLevelSource);
            else
                m_xml.skip();
        });
    };
    readObject("Dimension", id, dimension.name, [&](QStringView element) {
        if (element == QLatin1String("Type"))
            dimension.dimensionType =
                text().trimmed().compare(QLatin1String("Time"), Qt::CaseInsensitive) == 0 ? TimeDimensionType
                                                                                          : 0;
        else if (element == QLatin1String("State"))
            dimension.state = stateOf(text());
        else if (element == QLatin1String("LastProcessed"))
            dimension.lastProcessed = dateTime();
        else if (element == QLatin1String("Attributes"))
            m_xml.items(QLatin1String("Attribute"), [&] { attributes.push_back(readAttribute()); });
        else if (element == QLatin1String("Hierarchies"))
            m_xml.items(QLatin1String("Hierarchy"), readHierarchy);
        else
            m_xml.skip();
    });
    m_xml.addUnique(m_dimensionNames, dimension.name, "dimension", at);
    m_dimensionIds.insert(id, dimension.name);
    dimension.levels = levelsOf(dimension.name, attributes, hierarchyLevels);
    m_database.dimensions.push_back(std::move(dimension));
}

AttributeBuild DatabaseReader::readAttribute() {
    AttributeBuild attribute;
    LevelData& level = attribute.level;
    level.at = m_xml.position().source();
    // Without an estimated count a level counts no members rather than being unreadable,
    // which would end every dimension report that lists it.
    level.estimatedSize = 0;
    QStringList keys;
    readObject("Attribute", attribute.id, level.name, [&](QStringView element) {
        const XmlPosition at = m_xml.position();
        if (element == QLatin1String("Type")) {
            level.levelType = levelTypeOf(text());
        } else if (element == QLatin1String("EstimatedCount")) {
            level.estimatedSize = m_xml.whole<qint32>(text(), at, QStringLiteral("<EstimatedCount>"));
        } else if (element == QLatin1String("KeyColumns")) {
            m_xml.items(QLatin1String("KeyColumn"), [&] { keys << readDataItem(); });
        } else if (element == QLatin1String("NameColumn")) {
            level.memberNameColumn = readDataItem();
        } else if (element == QLatin1String("AttributeHierarchyVisible")) {
            level.hidden = SchemaXml::isFalseText(text());
        } else if (element == QLatin1String("AttributeRelationships")) {
            m_xml.items(QLatin1String("AttributeRelationship"), [&] {
                AttributeBuild::Relationship relationship;
                relationship.at = m_xml.position();
                m_xml.texts({{QLatin1String("AttributeID"), &relationship.attributeId},
                             {QLatin1String("Name"), &relationship.name}});
                attribute.relationships.push_back(std::move(relationship));
            });
        } else {
            m_xml.skip();
        }
    });
    level.memberKeyColumn = keys.join(QStringLiteral(", "));
    return attribute;
}

// The attributes the hierarchies' levels name, in that order, then the others in file order. An
// attribute relationship is a member property named as the relationship (or else as the related
// attribute) whose source is the related attribute's key.
std::vector<LevelData> DatabaseReader::levelsOf(const QString& dimension,
                                                const std::vector<AttributeBuild>& attributes,
                                                const std::vector<Reference>& hierarchyLevels) const {
    QHash<QString, qsizetype> byId;
    for (std::size_t i = 0; i < attributes.size(); ++i)
        if (!byId.contains(attributes[i].id))
            byId.insert(attributes[i].id, static_cast<qsizetype>(i));
    const auto find = [&](const Reference& reference) -> const AttributeBuild& {
        const auto it = byId.constFind(reference.id);
        if (it == byId.constEnd())
            m_xml.failAt(reference.at, QStringLiteral("dimension ") + Quoted(dimension) +
                                           QStringLiteral(" has no attribute with the ID ") +
                                           Quoted(reference.id));
        return attributes[static_cast<std::size_t>(*it)];
    };
    std::vector<const AttributeBuild*> order;
    QSet<const AttributeBuild*> placed;
    const auto place = [&](const AttributeBuild& attribute) {
        if (!placed.contains(&attribute)) {
            placed.insert(&attribute);
            order.push_back(&attribute);
        }
    };
    for (const Reference& level : hierarchyLevels)
        place(find(level));
    for (const AttributeBuild& attribute : attributes)
        place(attribute);
    std::vector<LevelData> levels;
    levels.reserve(order.size());
    for (const AttributeBuild* attribute : order) {
        LevelData level = attribute->level;
        for (const AttributeBuild::Relationship& relationship : attribute->relationships) {
            const AttributeBuild& related = find({relationship.attributeId, relationship.at});
            level.memberProperties.push_back(
                {relationship.name.isEmpty() ? related.level.name : relationship.name,
                 related.level.memberKeyColumn});
        }
        levels.push_back(std::move(level));
    }
    return levels;
}

void DatabaseReader::readCube() {
    const XmlPosition at = m_xml.position();
    CubeBuild cube;
    CubeData& data = cube.data;
    data.at = at.source();
    QString id;
    const auto readReference = [&](std::vector<Reference>& into, QLatin1String idElement) {
        const XmlPosition referenceAt = m_xml.position();
        QString ownId;
        QString target;
        m_xml.texts({{idElement, &target}, {QLatin1String("ID"), &ownId}});
        into.push_back({target.isEmpty() ? ownId : target, referenceAt});
    };
    readObject("Cube", id, data.name, [&](QStringView element) {
        if (element == QLatin1String("State"))
            data.state = stateOf(text());
        else if (element == QLatin1String("LastProcessed"))
            data.lastProcessed = dateTime();
        else if (element == QLatin1String("EstimatedSize"))
            data.estimatedSize = size();
        else if (element == QLatin1String("StorageMode"))
            cube.storageMode = text();
        else if (element == QLatin1String("Source"))
            cube.view = readBinding().view;
        else if (element == QLatin1String("Dimensions"))
            m_xml.items(QLatin1String("Dimension"),
                        [&] { readReference(cube.dimensions, QLatin1String("DimensionID")); });
        else if (element == QLatin1String("CubePermissions"))
            m_xml.items(QLatin1String("CubePermission"),
                        [&] { readReference(cube.roles, QLatin1String("RoleID")); });
        else if (element == QLatin1String("MeasureGroups"))
            m_xml.items(QLatin1String("MeasureGroup"),
                        [&] { cube.groups.push_back(readMeasureGroup(data.measures)); });
        else if (element == QLatin1String("MdxScripts"))
            m_xml.items(QLatin1String("MdxScript"), [&] { readMdxScript(data.name, data.commands); });
        else
            m_xml.skip();
    });
    m_xml.addUnique(m_cubeNames, data.name, "cube", at);
    m_cubes.push_back(std::move(cube));
}

MeasureGroupBuild DatabaseReader::readMeasureGroup(std::vector<MeasureData>& measures) {
    MeasureGroupBuild group;
    const auto readDesign = [&] {
        QString id;
        QString name;
        std::vector<AggregationData> aggregations;
        readObject("AggregationDesign", id, name, [&](QStringView element) {
            if (element != QLatin1String("Aggregations"))
                return m_xml.skip();
            m_xml.items(QLatin1String("Aggregation"), [&] {
                QString aggregationId;
                QString aggregationName;
                m_xml.texts(
                    {{QLatin1String("ID"), &aggregationId}, {QLatin1String("Name"), &aggregationName}});
                aggregations.push_back({aggregationName.isEmpty() ? aggregationId : aggregationName});
            });
        });
        group.designs.emplace(id, std::move(aggregations));
    };
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("Measures"))
            m_xml.items(QLatin1String("Measure"), [&] { measures.push_back(readMeasure()); });
        else if (element == QLatin1String("Partitions"))
            m_xml.items(QLatin1String("Partition"), [&] { group.partitions.push_back(readPartition()); });
        else if (element == QLatin1String("AggregationDesigns"))
            m_xml.items(QLatin1String("AggregationDesign"), readDesign);
        else if (element == QLatin1String("StorageMode"))
            group.storageMode = text();
        else if (element == QLatin1String("EstimatedSize"))
            group.size = size();
        else
            m_xml.skip();
    });
    return group;
}

MeasureData DatabaseReader::readMeasure() {
    MeasureData measure;
    measure.at = m_xml.position().source();
    QString id;
    readObject("Measure", id, measure.name, [&](QStringView element) {
        if (element == QLatin1String("AggregateFunction"))
            measure.aggregateFunction = aggregateFunctionOf(text());
        else if (element == QLatin1String("FormatString"))
            measure.formatString = text();
        else if (element == QLatin1String("Visible"))
            measure.internal = SchemaXml::isFalseText(text());
        else if (element == QLatin1String("Source"))
            measure.sourceColumn = readDataItem();
        else
            m_xml.skip();
    });
    return measure;
}

PartitionBuild DatabaseReader::readPartition() {
    PartitionBuild partition;
    partition.at = m_xml.position();
    partition.data.at = partition.at.source();
    QString id;
    readObject("Partition", id, partition.data.name, [&](QStringView element) {
        if (element == QLatin1String("Source"))
            partition.source = readBinding();
        else if (element == QLatin1String("StorageMode"))
            partition.storageMode = text();
        else if (element == QLatin1String("AggregationDesignID"))
            partition.designId = text();
        else if (element == QLatin1String("EstimatedSize"))
            partition.size = size();
        else
            m_xml.skip();
    });
    return partition;
}

void DatabaseReader::readMdxScript(const QString& cube, std::vector<CommandData>& commands) {
    std::vector<ScriptCalculation> found;
    // Solve orders of the calculation properties, by kind and name parts (letter case ignored).
    QHash<QString, qint16> solveOrders;
    const auto key = [](bool isSet, const QStringList& path) -> QString {
        return (isSet ? QStringLiteral("set") : QStringLiteral("member")) + QChar(0x1F) +
               path.join(QChar(0x1F)).toCaseFolded();
    };
    const auto readProperty = [&] {
        QStringList path;
        QString type;
        std::optional<qint16> solveOrder;
        m_xml.children([&](QStringView element) {
            const XmlPosition at = m_xml.position();
            if (element == QLatin1String("CalculationReference"))
                path = MdxNameParts(text());
            else if (element == QLatin1String("CalculationType"))
                type = text().trimmed();
            else if (element == QLatin1String("SolveOrder"))
                solveOrder = m_xml.whole<qint16>(text(), at, QStringLiteral("<SolveOrder>"));
            else
                m_xml.skip();
        });
        if (solveOrder)
            solveOrders.insert(key(type.compare(QLatin1String("Set"), Qt::CaseInsensitive) == 0, path),
                               *solveOrder);
    };
    m_xml.children([&](QStringView element) {
        if (element == QLatin1String("Commands")) {
            m_xml.items(QLatin1String("Command"), [&] {
                m_xml.children([&](QStringView part) {
                    const XmlPosition at = m_xml.position();
                    if (part == QLatin1String("Text"))
                        addStatements(cube, text(), at, found);
                    else
                        m_xml.skip();
                });
            });
        } else if (element == QLatin1String("CalculationProperties")) {
            m_xml.items(QLatin1String("CalculationProperty"), readProperty);
        } else {
            m_xml.skip();
        }
    });
    for (ScriptCalculation& calculation : found) {
        if (!calculation.solveOrderGiven)
            calculation.command.solveOrder =
                solveOrders.value(key(calculation.isSet, calculation.path), calculation.command.solveOrder);
        commands.push_back(std::move(calculation.command));
    }
}

// Finds the CREATE [SESSION|GLOBAL] [HIDDEN] [DYNAMIC|STATIC] MEMBER|SET statements of script.
void DatabaseReader::addStatements(const QString& cube, const QString& script, const XmlPosition& at,
                                   std::vector<ScriptCalculation>& found) const {
    MdxScanner scanner(script);
    std::vector<MdxToken> statement;
    const auto finish = [&] {
        const std::size_t n = statement.size();
        std::size_t i = 1;
        if (n < 3 || !isWord(scanner, statement[0], QLatin1String("CREATE")))
            return;
        while (i < n && (isWord(scanner, statement[i], QLatin1String("SESSION")) ||
                         isWord(scanner, statement[i], QLatin1String("GLOBAL")) ||
                         isWord(scanner, statement[i], QLatin1String("HIDDEN")) ||
                         isWord(scanner, statement[i], QLatin1String("DYNAMIC")) ||
                         isWord(scanner, statement[i], QLatin1String("STATIC"))))
            ++i;
        ScriptCalculation calculation;
        if (i < n && isWord(scanner, statement[i], QLatin1String("SET")))
            calculation.isSet = true;
        else if (i >= n || !isWord(scanner, statement[i], QLatin1String("MEMBER")))
            return;
        // The created object's dotted name: words and bracketed names joined by ".".
        const qsizetype nameBegin = ++i < n ? statement[i].begin : 0;
        qsizetype nameEnd = nameBegin;
        while (i < n &&
               (statement[i].kind == MdxToken::Kind::Word || statement[i].kind == MdxToken::Kind::Name)) {
            nameEnd = statement[i].end;
            if (++i >= n || !isSymbol(scanner, statement[i], u'.'))
                break;
            ++i;
        }
        QStringList path = MdxNameParts(QStringView(script).mid(nameBegin, nameEnd - nameBegin));
        if (path.isEmpty())
            return;
        if (path.size() > 1 &&
            (path.front().compare(QLatin1String("CURRENTCUBE"), Qt::CaseInsensitive) == 0 ||
             path.front() == cube))
            path.removeFirst();
        for (; i + 2 < n; ++i) {
            if (!isWord(scanner, statement[i], QLatin1String("SOLVE_ORDER")) ||
                !isSymbol(scanner, statement[i + 1], u'='))
                continue;
            const bool negative = isSymbol(scanner, statement[i + 2], u'-');
            if (negative && i + 3 >= n)
                break;
            const QString number = (negative ? QStringLiteral("-") : QString()) +
                                   scanner.text(statement[i + (negative ? 3 : 2)]).toString();
            calculation.command.solveOrder =
                m_xml.whole<qint16>(number, at, QStringLiteral("SOLVE_ORDER")).value_or(0);
            calculation.solveOrderGiven = true;
            break;
        }
        calculation.command.name = path.back();
        calculation.command.at = positionIn(script, statement.front().begin, at);
        calculation.command.statement =
            script.mid(statement.front().begin, statement.back().end - statement.front().begin);
        calculation.path = std::move(path);
        found.push_back(std::move(calculation));
    };
    MdxToken token;
    while (scanner.next(token)) {
        if (isSymbol(scanner, token, u';')) {
            finish();
            statement.clear();
        } else {
            statement.push_back(token);
        }
    }
    finish();
}

void DatabaseReader::readDataSource() {
    DataSourceData source;
    QString id;
    readObject("DataSource", id, source.name, [&](QStringView element) {
        if (element == QLatin1String("ConnectionString"))
            source.connectionString = text();
        else
            m_xml.skip();
    });
    m_dataSources.emplace(id, std::move(source));
}

void DatabaseReader::readDataSourceView() {
    QString id;
    QString name;
    QString source;
    readObject("DataSourceView", id, name, [&](QStringView element) {
        if (element == QLatin1String("DataSourceID"))
            source = text();
        else
            m_xml.skip();
    });
    m_viewSources.insert(id, source);
}

void DatabaseReader::readRole() {
    const XmlPosition at = m_xml.position();
    RoleData role;
    role.at = at.source();
    QString id;
    QStringList members;
    readObject("Role", id, role.name, [&](QStringView element) {
        if (element == QLatin1String("Description")) {
            role.description = text();
        } else if (element == QLatin1String("Members")) {
            m_xml.items(QLatin1String("Member"), [&] {
                QString member;
                m_xml.texts({{QLatin1String("Name"), &member}});
                members << member;
            });
        } else {
            m_xml.skip();
        }
    });
    m_xml.addUnique(m_roleNames, role.name, "role", at);
    m_roleIds.insert(id, role.name);
    role.users = members.join(u';');
    m_database.roles.push_back(std::move(role));
}

template <class Lookup>
std::vector<QString> DatabaseReader::namesOf(const QString& cube, const std::vector<Reference>& references,
                                             const Lookup& names, const char* kind) const {
    std::vector<QString> found;
    QSet<QString> seen;
    for (const Reference& reference : references) {
        const auto it = names.constFind(reference.id);
        if (it == names.constEnd())
            m_xml.failAt(reference.at, QStringLiteral("cube ") + Quoted(cube) +
                                           QStringLiteral(" names the ") + QLatin1String(kind) +
                                           QStringLiteral(" with the ID ") + Quoted(reference.id) +
                                           QStringLiteral(", which the database does not have"));
        if (!seen.contains(*it)) {
            seen.insert(*it);
            found.push_back(*it);
        }
    }
    return found;
}

void DatabaseReader::assemble(CubeBuild& cube) {
    CubeData& data = cube.data;
    data.dimensions = namesOf(data.name, cube.dimensions, m_dimensionIds, "dimension");
    data.roles = namesOf(data.name, cube.roles, m_roleIds, "role");
    std::optional<double> total;
    for (const MeasureGroupBuild& group : cube.groups) {
        std::optional<double> groupSize = group.size;
        for (const PartitionBuild& partition : group.partitions) {
            data.partitions.push_back(partitionOf(cube, group, partition));
            if (!group.size && partition.size)
                groupSize = groupSize.value_or(0) + *partition.size;
        }
        if (groupSize)
            total = total.value_or(0) + *groupSize;
    }
    if (!data.estimatedSize)
        data.estimatedSize = total;
}

PartitionData DatabaseReader::partitionOf(const CubeBuild& cube, const MeasureGroupBuild& group,
                                          const PartitionBuild& partition) {
    PartitionData data = partition.data;
    const auto failAt = [&](const QString& what, const QString& id) {
        m_xml.failAt(partition.at, QStringLiteral("partition ") + Quoted(data.name) +
                                       QStringLiteral(" of cube ") + Quoted(cube.data.name) +
                                       QStringLiteral(" names the ") + what +
                                       QStringLiteral(" with the ID ") + Quoted(id) +
                                       QStringLiteral(", which the database does not have"));
    };
    for (const QString* mode : {&partition.storageMode, &group.storageMode, &cube.storageMode}) {
        if (!mode->trimmed().isEmpty()) {
            data.storageMode = storageModeOf(*mode);
            break;
        }
    }
    if (!partition.designId.isEmpty()) {
        const auto design = group.designs.constFind(partition.designId);
        if (design == group.designs.constEnd())
            failAt(QStringLiteral("aggregation design"), partition.designId);
        m_xml.spend(static_cast<qsizetype>(design->size()), partition.at);
        data.aggregations = *design;
    }
    QString source = partition.source.dataSource;
    if (source.isEmpty()) {
        const QString& view = partition.source.view.isEmpty() ? cube.view : partition.source.view;
        if (!view.isEmpty()) {
            const auto it = m_viewSources.constFind(view);
            if (it == m_viewSources.constEnd())
                failAt(QStringLiteral("data source view"), view);
            source = *it;
        }
    }
    if (!source.isEmpty()) {
        const auto it = m_dataSources.constFind(source);
        if (it == m_dataSources.constEnd())
            failAt(QStringLiteral("data source"), source);
        data.dataSources.push_back(*it);
    }
    return data;
}

} // namespace

ServerData ReadAsslDatabase(QIODevice& device, const QString& origin) {
    return DatabaseReader(device, origin).read();
}

} // namespace Lorvantic::Olap
