#include "check/rules.h"

#include <QHash>
#include <algorithm>

namespace Lorvantic::Check {

namespace {

using Olap::CommandData;
using Olap::CubeData;
using Olap::DatabaseData;
using Olap::DimensionData;
using Olap::LevelData;
using Olap::SourcePosition;

constexpr Severity Info = Severity::Info;
constexpr Severity Warning = Severity::Warning;
constexpr Severity Error = Severity::Error;

// The order of this table is the order of Id below and of doc/rules.md.
const Rule RuleTable[] = {
    {"measure-without-format", Warning, true, false, "A visible measure has no format string.",
     "Client tools then show raw numbers (many decimals, no currency or percent sign), and each "
     "report formats the measure its own way."},
    {"formula-unknown-measure", Error, true, false,
     "A calculated member's formula names a measure the cube does not have.",
     "The member fails (or silently gives an error value) in every query that uses it, usually "
     "after a measure was renamed or removed."},
    {"unused-shared-dimension", Warning, true, false, "A shared dimension is used by no cube.",
     "It is processed and maintained for nothing, and readers of the model look for the cube it "
     "belongs to."},
    {"name-blanks", Warning, true, false, "A name starts or ends with blanks.",
     "MDX and client tools need the exact name, blanks included: [Sales ] is not [Sales], and "
     "the blanks are invisible in every list."},
    {"name-control-characters", Warning, true, false,
     "A name holds control characters (tabs, line breaks and the like).",
     "They are invisible or break lines in client tools and reports, and hard to type in MDX."},
    {"name-case-clash", Warning, true, false,
     "Two names of one scope differ only in letter case (or are the same).",
     "MDX resolves names without regard to letter case, so one of the two cannot be reached by "
     "name, or a query silently reaches the other."},
    {"cube-without-visible-measure", Warning, true, false, "A cube has no visible measure.",
     "Users browsing the cube see no value to put in a query: the cube is unusable on its own."},
    {"single-hidden-level", Warning, true, false, "A dimension has a single level, and it is hidden.",
     "Nothing of the dimension can be browsed or sliced: it is either a mistake or dead weight."},
    {"dimension-without-levels", Warning, true, false, "A dimension has no level.",
     "It has no members to slice by; cubes that use it gain nothing."},
    {"duplicate-level-name", Warning, true, false,
     "Two levels of one dimension have the same name (ignoring letter case).",
     "MDX names a level by dimension and level name, so one of the two cannot be reached; users "
     "see two captions they cannot tell apart."},
    {"role-without-members", Warning, true, true, "A role has no members.",
     "Its permissions apply to nobody: either members were forgotten or the role is left over."},
    {"role-reaches-no-cube", Warning, true, true, "A role is carried by no cube.",
     "Its members gain access to nothing through it: a permission was forgotten or the role is "
     "left over."},
    {"cube-never-processed", Warning, true, false, "A cube has never been processed.",
     "Queries against it fail or return nothing until it is processed."},
    {"cube-stale", Info, false, false,
     "A cube was last processed longer ago than the threshold (days, default 30).",
     "Its data may be out of date; a failing processing job often shows first here.", 30},
    {"partition-without-aggregations", Info, true, true, "A MOLAP partition has no aggregations.",
     "The server answers every query on it from the leaf data, which is slow on large "
     "partitions."},
    {"level-without-source", Warning, true, true, "A level has neither a key column nor a name column.",
     "The level's members come from nowhere the documentation can show: the schema relies on "
     "expressions or defaults that readers cannot check."},
    {"role-without-description", Info, false, true, "A role has no description.",
     "Whoever grants or audits access has to guess what the role is for."},
    {"empty-formula", Warning, true, true, "A calculated member or named set has an empty formula.",
     "The server refuses the definition or the member gives nothing; it is left over or "
     "unfinished."},
    {"cube-without-dimensions", Warning, true, false, "A cube uses no dimension.",
     "Its measures can only be seen as one grand total; a dimension was probably lost."},
    {"property-without-source", Info, true, true, "A member property has no source column.",
     "Its values come from nowhere the documentation can show, or it is always empty."},
};

enum Id {
    MeasureWithoutFormat,
    FormulaUnknownMeasure,
    UnusedSharedDimension,
    NameBlanks,
    NameControlCharacters,
    NameCaseClash,
    CubeWithoutVisibleMeasure,
    SingleHiddenLevel,
    DimensionWithoutLevels,
    DuplicateLevelName,
    RoleWithoutMembers,
    RoleReachesNoCube,
    CubeNeverProcessed,
    CubeStale,
    PartitionWithoutAggregations,
    LevelWithoutSource,
    RoleWithoutDescription,
    EmptyFormula,
    CubeWithoutDimensions,
    PropertyWithoutSource,
    RuleCount
};
static_assert(std::size(RuleTable) == RuleCount);

constexpr qint32 MolapStorage = 0;

// The name in quotes, control characters written as escapes so that a message stays one line.
QString quoted(const QString& name) {
    QString text = QStringLiteral("'");
    for (const QChar c : name) {
        if (c == u'\n')
            text += QStringLiteral("\\n");
        else if (c == u'\t')
            text += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text + u'\'';
}

// The formula of a CREATE MEMBER or CREATE SET statement: what follows the first AS outside
// brackets, without the quotes a schema puts around it.
QStringView formulaOf(QStringView statement) {
    int depth = 0;
    for (qsizetype i = 0; i + 2 < statement.size(); ++i) {
        const QChar c = statement[i];
        if (c == u'[')
            ++depth;
        else if (c == u']' && depth > 0)
            --depth;
        else if (depth == 0 && c.isSpace() &&
                 statement.sliced(i + 1, 2).compare(u"AS", Qt::CaseInsensitive) == 0 &&
                 (i + 3 == statement.size() || statement[i + 3].isSpace() || statement[i + 3] == u'\'')) {
            QStringView formula = statement.sliced(i + 3).trimmed();
            if (formula.endsWith(u';'))
                formula.chop(1);
            formula = formula.trimmed();
            if (formula.size() >= 2 && formula.startsWith(u'\'') && formula.endsWith(u'\''))
                formula = formula.sliced(1, formula.size() - 2).trimmed();
            return formula;
        }
    }
    return {};
}

// Whether a statement creates a set: SET among the words before the created name.
bool isSetStatement(QStringView statement) {
    const qsizetype end = statement.indexOf(u'[');
    const auto words = statement.left(end < 0 ? statement.size() : end).split(u' ', Qt::SkipEmptyParts);
    return std::any_of(words.begin(), words.end(),
                       [](QStringView word) { return word.compare(u"SET", Qt::CaseInsensitive) == 0; });
}

class Checker {
public:
    Checker(const Settings& settings, bool live)
        : m_settings(settings) {
        for (qsizetype i = 0; i < RuleCount; ++i)
            m_on[i] =
                settings.rules[static_cast<std::size_t>(i)].enabled && !(live && RuleTable[i].filesOnly);
    }

    std::vector<Finding> run(const Olap::ServerData& server) {
        m_path = {server.name};
        for (const DatabaseData& database : server.databases) {
            m_path.append(database.name);
            checkDatabase(database);
            m_path.removeLast();
        }
        return std::move(m_findings);
    }

private:
    bool on(Id id) const { return m_on[id]; }

    // A finding about the object named last in m_path (plus extra, if given).
    void report(Id id, const SourcePosition& at, const QString& message, const QString& extra = QString()) {
        QStringList path = m_path;
        if (!extra.isNull())
            path.append(extra);
        if (!m_settings.ignored.isEmpty() && m_settings.ignored.contains(path.join(QStringLiteral(" / "))))
            return;
        m_findings.push_back({id, m_settings.rules[id].severity, message, std::move(path), at});
    }

    // The name checks of any object; what() tells what it is: "cube 'Sales'" and the like.
    template <class What>
    void checkName(const QString& name, const SourcePosition& at, const What& what,
                   const QString& extra = QString()) {
        if (name.isEmpty())
            return;
        if (on(NameBlanks) && (name.front().isSpace() || name.back().isSpace()))
            report(NameBlanks, at, what() + QStringLiteral(" has blanks at the start or end of its name"),
                   extra);
        if (on(NameControlCharacters) && hasControl(name))
            report(NameControlCharacters, at, what() + QStringLiteral(" has control characters in its name"),
                   extra);
    }

    // One scope of names (the measures and calculated members of a cube, say): a second name
    // equal to an earlier one but for letter case.
    class Scope {
    public:
        // The earlier name that name clashes with, or a null string.
        // Small scopes (most of a cube's members) compare without folding each name.
        QString add(const QString& name) {
            if (m_few.size() < Few) {
                for (const QString* earlier : m_few)
                    if (earlier->compare(name, Qt::CaseInsensitive) == 0)
                        return *earlier;
                m_few.push_back(&name);
                return QString();
            }
            if (m_names.isEmpty())
                for (const QString* earlier : m_few)
                    m_names.insert(earlier->toCaseFolded(), *earlier);
            const QString folded = name.toCaseFolded();
            const auto found = m_names.constFind(folded);
            if (found != m_names.constEnd())
                return *found;
            m_names.insert(folded, name);
            return QString();
        }

    private:
        static constexpr std::size_t Few = 24;
        std::vector<const QString*> m_few; // the names live in the model, which outlives the scope
        QHash<QString, QString> m_names;
    };

    template <class What>
    void clash(Scope& scope, const QString& name, const SourcePosition& at, const What& what,
               const QString& extra = QString()) {
        const QString earlier = scope.add(name);
        if (earlier.isNull())
            return;
        report(NameCaseClash, at,
               earlier == name ? QString(what() + QStringLiteral(" has the name of another one of its scope"))
                               : QString(what() + QStringLiteral(" differs from ") + quoted(earlier) +
                                         QStringLiteral(" only in letter case")),
               extra);
    }

    void checkDatabase(const DatabaseData& database) {
        checkName(database.name, database.at,
                  [&]() -> QString { return QStringLiteral("database ") + quoted(database.name); });
        std::vector<bool> used;
        QHash<QString, qsizetype> shared;
        if (on(UnusedSharedDimension)) {
            used.assign(database.dimensions.size(), false);
            for (std::size_t i = 0; i < database.dimensions.size(); ++i)
                if (database.dimensions[i].shared)
                    shared.insert(database.dimensions[i].name, static_cast<qsizetype>(i));
        }
        QSet<QString> carried;
        Scope dimensionNames;
        for (const DimensionData& dimension : database.dimensions)
            checkDimension(dimension, dimensionNames);
        Scope cubeNames;
        for (const CubeData& cube : database.cubes) {
            m_path.append(cube.name);
            checkCube(cube, cubeNames);
            m_path.removeLast();
            if (on(UnusedSharedDimension) && !shared.isEmpty())
                for (const QString& name : cube.dimensions)
                    if (const auto it = shared.constFind(name); it != shared.constEnd())
                        used[static_cast<std::size_t>(*it)] = true;
            if (on(RoleReachesNoCube))
                for (const QString& role : cube.roles)
                    carried.insert(role);
        }
        if (on(UnusedSharedDimension)) {
            for (std::size_t i = 0; i < database.dimensions.size(); ++i) {
                const DimensionData& dimension = database.dimensions[i];
                if (dimension.shared && !used[i])
                    report(UnusedSharedDimension, dimension.at,
                           QStringLiteral("shared dimension ") + quoted(dimension.name) +
                               QStringLiteral(" is used by no cube"),
                           dimension.name);
            }
        }
        Scope roleNames;
        for (const Olap::RoleData& role : database.roles) {
            const auto what = [&]() -> QString {
                return QStringLiteral("role ") + quoted(role.name);
            };
            checkName(role.name, role.at, what, role.name);
            if (on(NameCaseClash))
                clash(roleNames, role.name, role.at, what, role.name);
            if (on(RoleWithoutMembers) && role.users.trimmed().isEmpty())
                report(RoleWithoutMembers, role.at, what() + QStringLiteral(" has no members"), role.name);
            if (on(RoleReachesNoCube) && !carried.contains(role.name))
                report(RoleReachesNoCube, role.at, what() + QStringLiteral(" is carried by no cube"),
                       role.name);
            if (on(RoleWithoutDescription) && role.description.trimmed().isEmpty())
                report(RoleWithoutDescription, role.at, what() + QStringLiteral(" has no description"),
                       role.name);
        }
    }

    void checkDimension(const DimensionData& dimension, Scope& names) {
        const auto what = [&]() -> QString {
            return QStringLiteral("dimension ") + quoted(dimension.name);
        };
        checkName(dimension.name, dimension.at, what, dimension.name);
        if (on(NameCaseClash))
            clash(names, dimension.name, dimension.at, what, dimension.name);
        if (on(DimensionWithoutLevels) && dimension.levels.empty())
            report(DimensionWithoutLevels, dimension.at, what() + QStringLiteral(" has no level"),
                   dimension.name);
        if (on(SingleHiddenLevel) && dimension.levels.size() == 1 && dimension.levels.front().hidden)
            report(SingleHiddenLevel, dimension.levels.front().at,
                   what() + QStringLiteral(" has a single level, ") + quoted(dimension.levels.front().name) +
                       QStringLiteral(", and it is hidden"),
                   dimension.name);
        m_path.append(dimension.name);
        Scope levelNames;
        for (const LevelData& level : dimension.levels) {
            const auto levelWhat = [&]() -> QString {
                return QStringLiteral("level ") + quoted(level.name) + QStringLiteral(" of ") + what();
            };
            checkName(level.name, level.at, levelWhat, level.name);
            if (on(DuplicateLevelName) && !levelNames.add(level.name).isNull())
                report(DuplicateLevelName, level.at,
                       levelWhat() + QStringLiteral(" has the name of another level of it"), level.name);
            if (on(LevelWithoutSource) && level.memberKeyColumn.isEmpty() && level.memberNameColumn.isEmpty())
                report(LevelWithoutSource, level.at,
                       levelWhat() + QStringLiteral(" has neither a key nor a name column"), level.name);
            for (const Olap::MemberPropertyData& property : level.memberProperties) {
                const auto propertyWhat = [&]() -> QString {
                    return QStringLiteral("member property ") + quoted(property.name) +
                           QStringLiteral(" of ") + levelWhat();
                };
                m_path.append(level.name);
                checkName(property.name, level.at, propertyWhat, property.name);
                if (on(PropertyWithoutSource) && property.sourceColumn.isEmpty())
                    report(PropertyWithoutSource, level.at,
                           propertyWhat() + QStringLiteral(" has no source column"), property.name);
                m_path.removeLast();
            }
        }
        m_path.removeLast();
    }

    void checkCube(const CubeData& cube, Scope& cubeNames) {
        const auto what = [&]() -> QString {
            return QStringLiteral("cube ") + quoted(cube.name);
        };
        checkName(cube.name, cube.at, what);
        if (on(NameCaseClash))
            clash(cubeNames, cube.name, cube.at, what);
        if (on(CubeNeverProcessed) && cube.state == 0)
            report(CubeNeverProcessed, cube.at, what() + QStringLiteral(" has never been processed"));
        if (on(CubeStale) && cube.state != 0 && cube.lastProcessed) {
            const qint64 days = cube.lastProcessed->daysTo(m_settings.now);
            const qint32 threshold = m_settings.rules[CubeStale].threshold;
            if (days > threshold)
                report(CubeStale, cube.at,
                       what() + QStringLiteral(" was last processed %1 days ago (more than %2)")
                                    .arg(days)
                                    .arg(threshold));
        }
        if (on(CubeWithoutDimensions) && cube.dimensions.empty())
            report(CubeWithoutDimensions, cube.at, what() + QStringLiteral(" uses no dimension"));
        if (on(CubeWithoutVisibleMeasure) &&
            std::all_of(cube.measures.begin(), cube.measures.end(),
                        [](const Olap::MeasureData& m) { return m.internal; }))
            report(CubeWithoutVisibleMeasure, cube.at, what() + QStringLiteral(" has no visible measure"));
        for (const Olap::PartitionData& partition : cube.partitions) {
            if (on(PartitionWithoutAggregations) && partition.storageMode == MolapStorage &&
                partition.aggregations.empty())
                report(PartitionWithoutAggregations, partition.at,
                       QStringLiteral("MOLAP partition ") + quoted(partition.name) + QStringLiteral(" of ") +
                           what() + QStringLiteral(" has no aggregations"),
                       partition.name);
            checkName(
                partition.name, partition.at,
                [&]() -> QString {
                    return QStringLiteral("partition ") + quoted(partition.name) + QStringLiteral(" of ") +
                           what();
                },
                partition.name);
        }
        Scope members;
        const bool clashes = on(NameCaseClash);
        for (const Olap::MeasureData& measure : cube.measures) {
            const auto measureWhat = [&]() -> QString {
                return QStringLiteral("measure ") + quoted(measure.name) + QStringLiteral(" of ") + what();
            };
            if (on(MeasureWithoutFormat) && !measure.internal && measure.formatString.isEmpty())
                report(MeasureWithoutFormat, measure.at,
                       measureWhat() + QStringLiteral(" has no format string"), measure.name);
            checkName(measure.name, measure.at, measureWhat, measure.name);
            if (clashes)
                clash(members, measure.name, measure.at, measureWhat, measure.name);
        }
        if (cube.commands.empty())
            return;
        for (const CommandData& command : cube.commands) {
            const bool isSet = isSetStatement(command.statement);
            const auto commandWhat = [&]() -> QString {
                return (isSet ? QStringLiteral("named set ") : QStringLiteral("calculated member ")) +
                       quoted(command.name) + QStringLiteral(" of ") + what();
            };
            checkName(command.name, command.at, commandWhat, command.name);
            if (clashes)
                clash(members, command.name, command.at, commandWhat, command.name);
            const QStringView formula = formulaOf(command.statement);
            if (on(EmptyFormula) && formula.isEmpty())
                report(EmptyFormula, command.at, commandWhat() + QStringLiteral(" has an empty formula"),
                       command.name);
            if (on(FormulaUnknownMeasure) && !isSet)
                checkReferences(formula, cube, command, commandWhat);
        }
    }

    static bool hasControl(const QString& name) {
        return std::any_of(name.begin(), name.end(),
                           [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    }

    // Whether the cube has a measure or calculated member of that name (letter case ignored).
    static bool known(const CubeData& cube, QStringView name) {
        return std::any_of(cube.measures.begin(), cube.measures.end(),
                           [&](const Olap::MeasureData& m) {
                               return name.compare(m.name, Qt::CaseInsensitive) == 0;
                           }) ||
               std::any_of(cube.commands.begin(), cube.commands.end(), [&](const CommandData& c) {
                   return name.compare(c.name, Qt::CaseInsensitive) == 0;
               });
    }

    // Every [Measures].[Name] (or Measures.[Name]) of the formula names a measure or calculated
    // member of the cube.
    template <class What>
    void checkReferences(QStringView formula, const CubeData& cube, const CommandData& command,
                         const What& what) {
        QStringList told;
        for (qsizetype at = formula.indexOf(u"measures", 0, Qt::CaseInsensitive); at >= 0;
             at = formula.indexOf(u"measures", at + 1, Qt::CaseInsensitive)) {
            // "Measures" as a word (or "[Measures]"), then ".", then a bracketed name.
            if (at > 0 && (formula[at - 1].isLetterOrNumber() || formula[at - 1] == u'_'))
                continue;
            qsizetype i = at + 8;
            if (at > 0 && formula[at - 1] == u'[') {
                if (i >= formula.size() || formula[i] != u']')
                    continue;
                ++i;
            }
            while (i < formula.size() && formula[i].isSpace())
                ++i;
            if (i >= formula.size() || formula[i] != u'.')
                continue;
            ++i;
            while (i < formula.size() && formula[i].isSpace())
                ++i;
            if (i >= formula.size() || formula[i] != u'[')
                continue;
            QString name;
            for (++i; i < formula.size(); ++i) {
                if (formula[i] == u']' && (i + 1 >= formula.size() || formula[i + 1] != u']'))
                    break;
                name += formula[i];
                if (formula[i] == u']')
                    ++i;
            }
            if (i >= formula.size() || known(cube, name) || told.contains(name, Qt::CaseInsensitive))
                continue;
            told.append(name);
            report(FormulaUnknownMeasure, command.at,
                   what() + QStringLiteral(" names measure ") + quoted(name) +
                       QStringLiteral(", which the cube does not have"),
                   command.name);
        }
    }

    const Settings& m_settings;
    bool m_on[RuleCount] = {};
    QStringList m_path;
    std::vector<Finding> m_findings;
};

} // namespace

QString SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Info:
        return QStringLiteral("info");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Error:
        break;
    }
    return QStringLiteral("error");
}

std::optional<Severity> SeverityNamed(QStringView name) {
    for (const Severity severity : {Severity::Info, Severity::Warning, Severity::Error})
        if (name == SeverityName(severity))
            return severity;
    return std::nullopt;
}

std::span<const Rule> Rules() {
    return RuleTable;
}

qsizetype RuleIndex(QStringView id) {
    for (qsizetype i = 0; i < RuleCount; ++i)
        if (id == QLatin1String(RuleTable[i].id))
            return i;
    return -1;
}

Settings DefaultSettings() {
    Settings settings;
    for (const Rule& rule : RuleTable)
        settings.rules.push_back({rule.enabled, rule.severity, rule.threshold});
    bool given = false;
    const qint64 epoch = qgetenv("SOURCE_DATE_EPOCH").toLongLong(&given);
    settings.now = given ? QDateTime::fromSecsSinceEpoch(epoch) : QDateTime::currentDateTime();
    return settings;
}

std::vector<Finding> RunRules(const Olap::ServerData& server, const Settings& settings, bool live) {
    return Checker(settings, live).run(server);
}

} // namespace Lorvantic::Check
