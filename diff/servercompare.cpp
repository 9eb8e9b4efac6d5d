#include "diff/servercompare.h"

#include "cube/cubekind.h"
#include "dimension/dimensionkind.h"
#include "model/error.h"
#include "role/rolekind.h"
#include "selection/selectorflow.h"

#include <QHash>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <functional>
#include <map>

namespace Lorvantic::Diff {

using namespace Qt::StringLiterals;

namespace {

// ---- reading ------------------------------------------------------------------------------

// Items collected at a time: the holders of one group are freed before the next is collected,
// so a large server's diff reuses the same memory instead of holding both servers' holders.
// Small groups also keep that memory in the processor's caches: 400 rows took a fifth less
// time than 2000 on the benchmark's servers, and 100 no less than 400.
constexpr qint32 GroupRows = 400;

[[noreturn]] void raiseIncomplete(const Olap::Server& server, const QString& database, const QString& cube,
                                  const QString& what) {
    throw Error(ErrorNumber::NotAnswered,
                u"Server '%1': the %2 of cube '%3' of database '%4' could not be read"_s.arg(
                    server.Name(), what, cube, database));
}

// A cube the server could not give has no parts to compare, whichever kinds are compared.
void requireReadableCubes(const Olap::Server& server) {
    const std::vector<Olap::UnreadableCube> unreadable = Olap::UnreadableCubes(server);
    if (!unreadable.empty())
        throw Error(ErrorNumber::NotAnswered,
                    u"Server '%1': cube '%2' of database '%3' could not be read: %4"_s.arg(
                        server.Name(), unreadable.front().cube, unreadable.front().database,
                        unreadable.front().fault));
}

void requireCount(qint32 stated, qint32 collected, const Olap::Server& server, const Olap::Store& database,
                  const CubeInfo& cube, const QString& what) {
    if (stated != collected)
        raiseIncomplete(server, database.Name(), cube.Name, what);
}

// The guarded cube catalogue and collection end a cube, or a list of its parts, quietly where a
// read fails. Compares what they gathered of the databases named with the counts the server
// states, in the server's order (the catalogue's), and raises where anything is missing. The
// walk runs only where the collection says a read failed: it costs a tenth of the diff.
void requireWholeCubes(const Olap::Server& server, const CubeKind& kind,
                       const std::function<bool(const QString&)>& databaseWanted) {
    if (kind.failedReads() == 0)
        return;
    const CubeInfoList& cubes = *kind.infoList();
    qint32 next = 1;
    const Olap::CollectionPtr<Olap::Store> databases = server.Databases();
    for (qint32 d = 1; d <= databases->Count(); ++d) {
        const std::shared_ptr<Olap::Store> database = databases->Item(d);
        if (!databaseWanted(database->Name()))
            continue;
        const Olap::CollectionPtr<Olap::Store> databaseCubes = database->Cubes();
        for (qint32 c = 1; c <= databaseCubes->Count(); ++c) {
            const std::shared_ptr<Olap::Store> cube = databaseCubes->Item(c);
            if (next > cubes.Count() || cubes[next]->Name != cube->Name() ||
                cubes[next]->DatabaseName != database->Name())
                raiseIncomplete(server, database->Name(), cube->Name(), u"properties"_s);
            const CubeInfo& info = *cubes[next++];
            requireCount(cube->Roles()->Count(), info.Roles.Count(), server, *database, info, u"roles"_s);
            requireCount(cube->Partitions()->Count(), info.Partitions.Count(), server, *database, info,
                         u"partitions"_s);
            requireCount(cube->Measures()->Count(), info.Measures.Count(), server, *database, info,
                         u"measures"_s);
            requireCount(cube->Commands()->Count(), info.CalcMembers.Count(), server, *database, info,
                         u"calculated members"_s);
            const Olap::CollectionPtr<Olap::Dimension> dimensions = cube->Dimensions();
            requireCount(dimensions->Count(), info.Dimensions.Count(), server, *database, info,
                         u"dimensions"_s);
            for (qint32 i = 1; i <= dimensions->Count(); ++i) {
                // The message only where it is needed: most servers have many dimensions.
                if (dimensions->Item(i)->Levels()->Count() != info.Dimensions[i]->Levels.Count())
                    raiseIncomplete(server, database->Name(), info.Name,
                                    u"levels of dimension '%1'"_s.arg(info.Dimensions[i]->Name));
            }
        }
    }
}

// The groups of databases compared one after the other.
struct Groups {
    QHash<QString, int> of; // group by database
    int count = 0;
};

// One server's selector of a kind with every category checked and its catalogue built; it
// collects the rows of one group of databases at a time. The kind's collection walks every row
// of the catalogue it is given, so each group gets a catalogue of its own rows only: handing it
// the whole catalogue with the other groups unchecked made the diff grow with the square of the
// server's size.
template <class Kind> class Side {
public:
    explicit Side(const std::shared_ptr<Olap::Server>& server)
        : m_kind(m_state) {
        m_state.DSOServer = server;
        m_state.ServerName = server->Name();
        m_group.categories = m_kind.GetInfoTree();
        m_group.checkAllCategories();
        m_catalogue = m_kind.GetCatalogue();
    }

    const Olap::Server& server() const { return *m_state.DSOServer; }
    Kind& kind() { return m_kind; }

    qint32 rowCount() const { return static_cast<qint32>(m_catalogue.size()); }
    QString database(qint32 row) const { return m_catalogue[static_cast<std::size_t>(row)].database; }

    // Sorts the rows into their groups (by their databases), keeping the catalogue's order.
    void assignGroups(const Groups& groups) {
        m_groupRows.assign(static_cast<std::size_t>(groups.count), {});
        for (qint32 r = 0; r < rowCount(); ++r)
            m_groupRows[static_cast<std::size_t>(groups.of.value(database(r)))].push_back(r);
    }

    // Collects the rows of the group with the kind's own collection; false when it has none.
    bool collect(int group) {
        const std::vector<qint32>& members = m_groupRows[static_cast<std::size_t>(group)];
        if (members.empty())
            return false;
        m_group.rows.clear();
        m_group.rows.reserve(members.size());
        for (const qint32 member : members) {
            m_group.rows.push_back(std::move(m_catalogue[static_cast<std::size_t>(member)]));
            m_group.rows.back().checked = true;
        }
        // The group's holders are freed together before the next group's are made.
        const HolderArenaScope holders;
        CollectSelection(m_kind, m_group, m_state);
        return true;
    }

private:
    SelectorState m_state;
    Kind m_kind;
    std::vector<SelectionRow> m_catalogue; // every row, unchecked; a row moves to its group's selection
    Selection m_group;                     // every category checked, the rows of one group
    std::vector<std::vector<qint32>> m_groupRows;
};

// The databases of both catalogues in name order, cut into groups of about GroupRows rows.
template <class Kind> Groups groupDatabases(const Side<Kind>& oldSide, const Side<Kind>& newSide) {
    std::map<QString, qint32> rowsOfDatabase;
    for (const Side<Kind>* side : {&oldSide, &newSide}) {
        for (qint32 r = 0; r < side->rowCount(); ++r)
            ++rowsOfDatabase[side->database(r)];
    }
    Groups groups;
    qint32 rowsInGroup = 0;
    for (const auto& [database, rows] : rowsOfDatabase) {
        if (groups.count == 0 || rowsInGroup >= GroupRows) {
            ++groups.count;
            rowsInGroup = 0;
        }
        groups.of.insert(database, groups.count - 1);
        rowsInGroup += rows;
    }
    return groups;
}

// ---- matching -------------------------------------------------------------------------------

// One item of a list under its matching key: database (top level only), name, and which of the
// items of that name it is.
template <class Info> struct Keyed {
    QStringView database;
    QStringView name;
    qint32 occurrence = 0;
    const Info* info = nullptr;
};

template <class Info> int compareNames(const Keyed<Info>& a, const Keyed<Info>& b) {
    if (const int byDatabase = a.database.compare(b.database))
        return byDatabase;
    return a.name.compare(b.name);
}

template <class Info> int compareKeys(const Keyed<Info>& a, const Keyed<Info>& b) {
    if (const int byName = compareNames(a, b))
        return byName;
    return a.occurrence - b.occurrence;
}

// Most lists of parts are short: their keys stay on the stack.
template <class Info> using KeyedList = QVarLengthArray<Keyed<Info>, 32>;

template <class Info, class List> KeyedList<Info> keyedByName(const List& list, bool topLevel) {
    KeyedList<Info> keyed;
    keyed.reserve(list.Count());
    qint32 position = 0;
    for (const auto& item : list) {
        QStringView database;
        if constexpr (requires { item->DatabaseName; })
            database = topLevel ? QStringView(item->DatabaseName) : QStringView();
        keyed.push_back({database, item->Name, position++, item.get()});
    }
    // Items of one name keep their list order (the position breaks the tie), and the k-th old
    // one meets the k-th new.
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed<Info>& a, const Keyed<Info>& b) { return compareKeys(a, b) < 0; });
    for (qsizetype i = 0; i < keyed.size(); ++i)
        keyed[i].occurrence =
            i > 0 && compareNames(keyed[i], keyed[i - 1]) == 0 ? keyed[i - 1].occurrence + 1 : 0;
    return keyed;
}

// Calls visit(old, new) for every key of either list in key order; the side without it is null.
template <class Info, class List, class Visit>
void pairByName(const List& oldList, const List& newList, bool topLevel, Visit visit) {
    const KeyedList<Info> olds = keyedByName<Info>(oldList, topLevel);
    const KeyedList<Info> news = keyedByName<Info>(newList, topLevel);
    qsizetype o = 0;
    qsizetype n = 0;
    while (o < olds.size() || n < news.size()) {
        const int order = o == olds.size() ? 1 : n == news.size() ? -1 : compareKeys(olds[o], news[n]);
        if (order < 0)
            visit(olds[o++].info, nullptr);
        else if (order > 0)
            visit(nullptr, news[n++].info);
        else
            visit(olds[o++].info, news[n++].info);
    }
}

// ---- what is compared of each holder ----------------------------------------------------------

// A value the report shows, under its column heading.
template <class Info> struct Value {
    QLatin1StringView heading;
    QString Info::*text;
    bool processing = false; // a processing date or size
};

// Each holder's values and lists of parts, in the order of the report's tables. A holder used in
// several places (a dimension in a cube and on its own) has one shape: what a place leaves
// empty is empty on both sides.
template <class Info> struct Shape;

template <> struct Shape<CubeInfo> {
    static constexpr std::array values = {
        Value<CubeInfo>{"Size (MB)"_L1, &CubeInfo::Size, true},
        Value<CubeInfo>{"Last Processed Date"_L1, &CubeInfo::ProcessingDate, true},
    };
    template <class Walk> static void parts(Walk& walk, const CubeInfo& a, const CubeInfo& b) {
        walk.template parts<RoleInfo>("role"_L1, a.Roles, b.Roles);
        walk.template parts<PartitionInfo>("partition"_L1, a.Partitions, b.Partitions);
        walk.template parts<DimensionInfo>("dimension"_L1, a.Dimensions, b.Dimensions);
        walk.template parts<MeasureInfo>("measure"_L1, a.Measures, b.Measures);
        walk.template parts<CalcMemberInfo>("calculated member"_L1, a.CalcMembers, b.CalcMembers);
    }
};

template <> struct Shape<PartitionInfo> {
    static constexpr std::array values = {
        Value<PartitionInfo>{"Type"_L1, &PartitionInfo::Type},
        Value<PartitionInfo>{"Number of Aggregations"_L1, &PartitionInfo::AggregationCount},
        Value<PartitionInfo>{"Used DataSource"_L1, &PartitionInfo::DataSourceName},
        Value<PartitionInfo>{"Used Driver"_L1, &PartitionInfo::Driver},
        Value<PartitionInfo>{"Source"_L1, &PartitionInfo::Source},
    };
    template <class Walk>
    static void parts(Walk& /*walk*/, const PartitionInfo& /*a*/, const PartitionInfo& /*b*/) {}
};

template <> struct Shape<DimensionInfo> {
    static constexpr std::array values = {
        Value<DimensionInfo>{"Processing Date"_L1, &DimensionInfo::ProcessingDate, true},
        Value<DimensionInfo>{"Kind"_L1, &DimensionInfo::Kind},
        Value<DimensionInfo>{"Type"_L1, &DimensionInfo::Type},
    };
    template <class Walk> static void parts(Walk& walk, const DimensionInfo& a, const DimensionInfo& b) {
        walk.template parts<LevelInfo>("level"_L1, a.Levels, b.Levels);
        walk.template parts<CubeInfo>("used in cube"_L1, a.Cubes, b.Cubes);
    }
};

template <> struct Shape<LevelInfo> {
    static constexpr std::array values = {
        Value<LevelInfo>{"#Elem"_L1, &LevelInfo::MemberCount, true},
        Value<LevelInfo>{"Member Name"_L1, &LevelInfo::MemberNameColumn},
        Value<LevelInfo>{"Member Key"_L1, &LevelInfo::MemberKeyColumn},
        Value<LevelInfo>{"Type"_L1, &LevelInfo::Type},
        Value<LevelInfo>{"Visible"_L1, &LevelInfo::Visible},
        Value<LevelInfo>{"Available for Aggregation"_L1, &LevelInfo::AvailableForAggregation},
    };
    template <class Walk> static void parts(Walk& walk, const LevelInfo& a, const LevelInfo& b) {
        walk.template parts<LevelPropertyInfo>("property"_L1, a.Properties, b.Properties);
    }
};

template <> struct Shape<LevelPropertyInfo> {
    static constexpr std::array values = {
        Value<LevelPropertyInfo>{"Source Column"_L1, &LevelPropertyInfo::SourceColumn},
    };
    template <class Walk>
    static void parts(Walk& /*walk*/, const LevelPropertyInfo& /*a*/, const LevelPropertyInfo& /*b*/) {}
};

template <> struct Shape<MeasureInfo> {
    static constexpr std::array values = {
        Value<MeasureInfo>{"Internal"_L1, &MeasureInfo::Internal},
        Value<MeasureInfo>{"Display Format"_L1, &MeasureInfo::DisplayFormat},
        Value<MeasureInfo>{"Warehouse Table"_L1, &MeasureInfo::WarehouseTable},
        Value<MeasureInfo>{"Applied Function"_L1, &MeasureInfo::AppliedFunction},
    };
    template <class Walk>
    static void parts(Walk& /*walk*/, const MeasureInfo& /*a*/, const MeasureInfo& /*b*/) {}
};

template <> struct Shape<CalcMemberInfo> {
    static constexpr std::array values = {
        Value<CalcMemberInfo>{"MDX Statement"_L1, &CalcMemberInfo::Statement},
        Value<CalcMemberInfo>{"Solve Order"_L1, &CalcMemberInfo::SolveOrder},
    };
    template <class Walk>
    static void parts(Walk& /*walk*/, const CalcMemberInfo& /*a*/, const CalcMemberInfo& /*b*/) {}
};

template <> struct Shape<RoleInfo> {
    static constexpr std::array<Value<RoleInfo>, 0> values = {};
    template <class Walk> static void parts(Walk& walk, const RoleInfo& a, const RoleInfo& b) {
        walk.template parts<UserInfo>("user"_L1, a.Users, b.Users);
        walk.template parts<CubeInfo>("used in cube"_L1, a.Cubes, b.Cubes);
    }
};

template <> struct Shape<UserInfo> {
    static constexpr std::array<Value<UserInfo>, 0> values = {};
    template <class Walk> static void parts(Walk& /*walk*/, const UserInfo& /*a*/, const UserInfo& /*b*/) {}
};

// The text a report holds for an empty cell: a non-breaking space.
QString shownText(const QString& text) {
    return text == u"&nbsp" ? QString() : text;
}

// Whether a reader sees two different texts the same: a page shows runs of blanks as one and
// none at the edges of a cell. Asked only of texts that differ.
bool readAlike(const QString& a, const QString& b) {
    return shownText(a).simplified() == shownText(b).simplified();
}

// ---- the walk -------------------------------------------------------------------------------

class Comparison {
public:
    Comparison(const CompareOptions& options, std::vector<Change>& changes)
        : m_options(options)
        , m_changes(changes) {}

    template <class Info, class List> void items(ReportKind kind, const List& oldList, const List& newList) {
        m_where.kind = kind;
        pairByName<Info>(oldList, newList, true, [&](const Info* oldItem, const Info* newItem) {
            const Info& some = oldItem ? *oldItem : *newItem;
            m_where.database = some.DatabaseName;
            m_where.item = some.Name;
            m_where.parts.clear();
            compare(oldItem, newItem);
        });
    }

    template <class Info, class List>
    void parts(QLatin1StringView noun, const List& oldList, const List& newList) {
        pairByName<Info>(oldList, newList, false, [&](const Info* oldPart, const Info* newPart) {
            m_where.parts.push_back({noun, (oldPart ? oldPart : newPart)->Name});
            compare(oldPart, newPart);
            m_where.parts.pop_back();
        });
    }

private:
    template <class Info> void compare(const Info* oldInfo, const Info* newInfo) {
        if (!oldInfo || !newInfo) {
            record(oldInfo ? Change::Removed : Change::Added, {}, {}, {});
            return;
        }
        for (const Value<Info>& value : Shape<Info>::values) {
            const QString& oldText = oldInfo->*value.text;
            const QString& newText = newInfo->*value.text;
            if (oldText != newText && (m_options.processing || !value.processing) &&
                !readAlike(oldText, newText))
                record(Change::Changed, value.heading, shownText(oldText), shownText(newText));
        }
        Shape<Info>::parts(*this, *oldInfo, *newInfo);
    }

    void record(Change::Type type, QLatin1StringView value, const QString& oldText, const QString& newText) {
        Change change = m_where;
        change.type = type;
        change.value = value;
        change.oldText = oldText;
        change.newText = newText;
        m_changes.push_back(std::move(change));
    }

    const CompareOptions& m_options;
    std::vector<Change>& m_changes;
    Change m_where; // the kind, database, item and parts the walk is at
};

// Compares the kind on both servers, one group of databases at a time; the groups follow the
// database order, so the changes come in the same order as from one comparison of everything.
// check(server, kind, databaseWanted) may raise where a side's list is incomplete.
template <class Info, class Kind, class List, class Check>
void compareKind(Comparison& comparison, ReportKind kind, const std::shared_ptr<Olap::Server>& oldServer,
                 const std::shared_ptr<Olap::Server>& newServer,
                 const std::shared_ptr<List>& (Kind::*list)() const, Check check) {
    Side<Kind> oldSide(oldServer);
    Side<Kind> newSide(newServer);
    const Groups groups = groupDatabases(oldSide, newSide);
    oldSide.assignGroups(groups);
    newSide.assignGroups(groups);
    const List none;
    for (int group = 0; group < groups.count; ++group) {
        const auto inGroup = [&](const QString& database) {
            return groups.of.value(database, -1) == group;
        };
        const auto collected = [&](Side<Kind>& side) -> const List& {
            if (!side.collect(group))
                return none;
            check(side.server(), side.kind(), inGroup);
            return *(side.kind().*list)();
        };
        const List& oldItems = collected(oldSide);
        const List& newItems = collected(newSide);
        comparison.items<Info>(kind, oldItems, newItems);
    }
}

const auto nothingToCheck = [](const Olap::Server&, const auto&, const auto&) {
};

} // namespace

QLatin1StringView ItemNoun(ReportKind kind) {
    switch (kind) {
    case ReportKind::Cubes:
        return "cube"_L1;
    case ReportKind::Dimensions:
        return "dimension"_L1;
    case ReportKind::Roles:
        return "role"_L1;
    }
    return {};
}

std::vector<Change> CompareServers(const std::shared_ptr<Olap::Server>& oldServer,
                                   const std::shared_ptr<Olap::Server>& newServer,
                                   const std::vector<ReportKind>& kinds, const CompareOptions& options) {
    requireReadableCubes(*oldServer);
    requireReadableCubes(*newServer);
    std::vector<Change> changes;
    Comparison comparison(options, changes);
    const auto wanted = [&](ReportKind kind) {
        return std::ranges::find(kinds, kind) != kinds.end();
    };
    if (wanted(ReportKind::Cubes))
        compareKind<CubeInfo>(comparison, ReportKind::Cubes, oldServer, newServer, &CubeKind::infoList,
                              requireWholeCubes);
    if (wanted(ReportKind::Dimensions))
        compareKind<DimensionInfo>(comparison, ReportKind::Dimensions, oldServer, newServer,
                                   &DimensionKind::infoList, nothingToCheck);
    if (wanted(ReportKind::Roles))
        compareKind<RoleInfo>(comparison, ReportKind::Roles, oldServer, newServer, &RoleKind::roleInfoList,
                              nothingToCheck);
    return changes;
}

} // namespace Lorvantic::Diff
