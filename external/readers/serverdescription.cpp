#include "external/readers/serverdescription.h"

#include "external/readers/jsonreader.h"
#include "external/readers/textpool.h"

#include <QSet>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace Lorvantic::Olap {

namespace {

class DescriptionReader;

// A member an object of type T may have, and how its value is read into T.
template <class T> struct Member {
    std::string_view key;
    void (*read)(DescriptionReader&, T&);
    bool required = false;
};

template <class T> struct Shape {
    const char* kind; // for "this cube has no ..."
    std::span<const Member<T>> members;
    void (*begin)(DescriptionReader&, T&) = nullptr;
    // Runs once the whole object is read; namedAt is where its name stands.
    void (*done)(DescriptionReader&, T&, const TextPosition& namedAt) = nullptr;
};

struct PendingReference {
    std::size_t cube;
    std::size_t entry;
    TextPosition at;
};

// The names of one kind of a database's items, which its cubes refer to.
struct NameTable {
    explicit NameTable(const char* kind)
        : kind(kind) {}

    const char* kind;
    QSet<QString> names;
    bool complete = false;                 // the database's list has been read
    std::vector<PendingReference> pending; // cube entries read before that list
};

struct DatabaseScope {
    DatabaseData* data = nullptr;
    std::size_t cubesBegun = 0;
    QSet<QString> cubes;
    NameTable dimensions = NameTable("dimension");
    NameTable roles = NameTable("role");
};

QString quoted(const QString& text) {
    constexpr qsizetype Shown = 80; // a huge name would drown the message
    if (text.size() <= Shown)
        return u'"' + text + u'"';
    return u'"' + text.left(Shown) + QStringLiteral("...\"");
}

QString quoted(std::string_view utf8) {
    return quoted(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

QString shownNumber(const std::string& text) {
    constexpr std::size_t Shown = 40;
    const QString start =
        QString::fromLatin1(text.data(), static_cast<qsizetype>(std::min(text.size(), Shown)));
    return text.size() > Shown ? start + QStringLiteral("...") : start;
}

// YYYY-MM-DD, optionally followed by THH:MM, :SS and a fraction of a second; local time, no zone.
std::optional<QDateTime> parseLocalDateTime(std::string_view s) {
    const auto number = [s](std::size_t at, std::size_t width, int& out) {
        if (at + width > s.size())
            return false;
        int value = 0;
        for (std::size_t i = at; i < at + width; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            value = value * 10 + (s[i] - '0');
        }
        out = value;
        return true;
    };
    const auto mark = [s](std::size_t at, char c) {
        return at < s.size() && s[at] == c;
    };
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int ms = 0;
    if (!number(0, 4, year) || !mark(4, '-') || !number(5, 2, month) || !mark(7, '-') || !number(8, 2, day))
        return std::nullopt;
    std::size_t end = 10;
    if (end < s.size()) {
        if (!mark(10, 'T') || !number(11, 2, hour) || !mark(13, ':') || !number(14, 2, minute))
            return std::nullopt;
        end = 16;
    }
    if (end == 16 && end < s.size()) {
        if (!mark(16, ':') || !number(17, 2, second))
            return std::nullopt;
        end = 19;
    }
    if (end == 19 && end < s.size()) {
        if (!mark(19, '.') || s.size() == 20)
            return std::nullopt;
        for (std::size_t i = 20; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9' || i >= 29)
                return std::nullopt;
            if (i < 23)
                ms = ms * 10 + (s[i] - '0');
        }
        for (std::size_t i = std::min<std::size_t>(s.size(), 23); i < 23; ++i)
            ms *= 10;
        end = s.size();
    }
    if (end != s.size())
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, ms);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

class DescriptionReader {
public:
    DescriptionReader(QIODevice& device, const QString& origin)
        : m_json(device, origin) {}

    ServerData read();

    // The value of the member being read.
    QString name();
    QString text();
    bool flag();
    template <class Int> Int whole() { return optionalWhole<Int>().value_or(0); }
    template <class Int> std::optional<Int> optionalWhole();
    std::optional<double> optionalDouble();
    std::optional<QDateTime> optionalDateTime();
    void value(QString& out) { out = text(); }
    void value(bool& out) { out = flag(); }
    void value(qint32& out) { out = whole<qint32>(); }
    void value(qint16& out) { out = whole<qint16>(); }
    void value(std::optional<qint32>& out) { out = optionalWhole<qint32>(); }
    void value(std::optional<double>& out) { out = optionalDouble(); }
    void value(std::optional<QDateTime>& out) { out = optionalDateTime(); }
    void format();
    template <class T> void list(std::vector<T>& out, const Shape<T>& shape);
    // A cube's list of names of its database's dimensions or roles.
    void references(std::vector<QString>& out, NameTable& table);

    DatabaseScope& database() { return m_database; }
    void beginCube() { ++m_database.cubesBegun; }
    void beginDatabase(DatabaseData& data);
    void endDatabase(const TextPosition& namedAt);
    void addUnique(QSet<QString>& names, const QString& name, const TextPosition& namedAt, const char* kind,
                   const char* owner);

private:
    template <class T> void readObject(T& out, const Shape<T>& shape);
    template <class ReadEntry>
    void forEachEntry(JsonKind entryKind, const char* kindName, ReadEntry readEntry);
    // True when the value is of the wanted kind; false for null, which stands for the default.
    bool present(JsonKind wanted, const char* wantedName);
    void require(JsonKind wanted, const char* wantedName);
    [[noreturn]] void wrongType(const TextPosition& at, const char* wantedName, JsonKind found);
    QString pooledText() {
        const std::string& text = m_json.readText();
        return m_texts.get(text, m_json.textIsAscii());
    }
    QString member() const {
        return QString::fromLatin1(m_member.data(), static_cast<qsizetype>(m_member.size()));
    }
    QString databaseLabel() const;
    void resolve(QString& name, const NameTable& table, const TextPosition& at) const;

    // One list of each item type to collect a list's entries in; lists of one type never nest.
    template <class T> std::vector<T>& entries() { return std::get<std::vector<T>>(m_entries); }

    static constexpr std::size_t MaxKnownDates = 1024;

    JsonReader m_json;
    TextPool m_texts;
    std::unordered_map<std::string, QDateTime> m_dates;
    std::tuple<std::vector<MemberPropertyData>, std::vector<LevelData>, std::vector<DimensionData>,
               std::vector<AggregationData>, std::vector<DataSourceData>, std::vector<PartitionData>,
               std::vector<MeasureData>, std::vector<CommandData>, std::vector<CubeData>,
               std::vector<RoleData>, std::vector<DatabaseData>, std::vector<QString>>
        m_entries;
    std::string m_key;
    std::string_view m_member; // key of the known member being read
    DatabaseScope m_database;
    QSet<QString> m_databaseNames;
};

using R = DescriptionReader;

template <class> struct MemberOf;
template <class Class, class Value> struct MemberOf<Value Class::*> { using Owner = Class; };
template <auto Field> using OwnerOf = typename MemberOf<decltype(Field)>::Owner;

// Readers of one member into the field of that name.
template <auto Field> void plain(R& r, OwnerOf<Field>& d) {
    r.value(d.*Field);
}
template <auto Field> void named(R& r, OwnerOf<Field>& d) {
    d.*Field = r.name();
}
template <auto Field, const auto& EntryShape> void listed(R& r, OwnerOf<Field>& d) {
    r.list(d.*Field, EntryShape);
}

const Member<MemberPropertyData> MemberPropertyMembers[] = {
    {"name", named<&MemberPropertyData::name>, true},
    {"sourceColumn", plain<&MemberPropertyData::sourceColumn>},
};
const Shape<MemberPropertyData> MemberPropertyShape{"member property", MemberPropertyMembers};

const Member<LevelData> LevelMembers[] = {
    {"name", named<&LevelData::name>, true},
    {"estimatedSize", plain<&LevelData::estimatedSize>},
    {"levelType", plain<&LevelData::levelType>},
    {"memberKeyColumn", plain<&LevelData::memberKeyColumn>},
    {"memberNameColumn", plain<&LevelData::memberNameColumn>},
    {"hidden", plain<&LevelData::hidden>},
    {"aggregation", plain<&LevelData::aggregation>},
    {"memberProperties", listed<&LevelData::memberProperties, MemberPropertyShape>},
};
const Shape<LevelData> LevelShape{"level", LevelMembers};

const Member<DimensionData> DimensionMembers[] = {
    {"name", named<&DimensionData::name>, true},
    {"shared", plain<&DimensionData::shared>},
    {"state", plain<&DimensionData::state>},
    {"lastProcessed", plain<&DimensionData::lastProcessed>},
    {"dimensionType", plain<&DimensionData::dimensionType>},
    {"virtualCode", plain<&DimensionData::virtualCode>},
    {"levels", listed<&DimensionData::levels, LevelShape>},
};
const Shape<DimensionData> DimensionShape{
    "dimension", DimensionMembers, nullptr, [](R& r, DimensionData& d, const TextPosition& at) {
        r.addUnique(r.database().dimensions.names, d.name, at, "dimension", "database");
    }};

const Member<AggregationData> AggregationMembers[] = {
    {"name", named<&AggregationData::name>, true},
};
const Shape<AggregationData> AggregationShape{"aggregation", AggregationMembers};

const Member<DataSourceData> DataSourceMembers[] = {
    {"name", named<&DataSourceData::name>, true},
    {"connectionString", plain<&DataSourceData::connectionString>},
};
const Shape<DataSourceData> DataSourceShape{"data source", DataSourceMembers};

const Member<PartitionData> PartitionMembers[] = {
    {"name", named<&PartitionData::name>, true},
    {"storageMode", plain<&PartitionData::storageMode>},
    {"aggregations", listed<&PartitionData::aggregations, AggregationShape>},
    {"dataSources", listed<&PartitionData::dataSources, DataSourceShape>},
};
const Shape<PartitionData> PartitionShape{"partition", PartitionMembers};

const Member<MeasureData> MeasureMembers[] = {
    {"name", named<&MeasureData::name>, true},
    {"aggregateFunction", plain<&MeasureData::aggregateFunction>},
    {"formatString", plain<&MeasureData::formatString>},
    {"internal", plain<&MeasureData::internal>},
    {"sourceColumn", plain<&MeasureData::sourceColumn>},
};
const Shape<MeasureData> MeasureShape{"measure", MeasureMembers};

const Member<CommandData> CommandMembers[] = {
    {"name", named<&CommandData::name>, true},
    {"solveOrder", plain<&CommandData::solveOrder>},
    {"statement", plain<&CommandData::statement>},
};
const Shape<CommandData> CommandShape{"command", CommandMembers};

const Member<CubeData> CubeMembers[] = {
    {"name", named<&CubeData::name>, true},
    {"state", plain<&CubeData::state>},
    {"lastProcessed", plain<&CubeData::lastProcessed>},
    {"estimatedSize", plain<&CubeData::estimatedSize>},
    {"dimensions",
     [](R& r, CubeData& d) {
         r.references(d.dimensions, r.database().dimensions);
     }},
    {"roles",
     [](R& r, CubeData& d) {
         r.references(d.roles, r.database().roles);
     }},
    {"partitions", listed<&CubeData::partitions, PartitionShape>},
    {"measures", listed<&CubeData::measures, MeasureShape>},
    {"commands", listed<&CubeData::commands, CommandShape>},
};
const Shape<CubeData> CubeShape{"cube", CubeMembers, [](R& r, CubeData&) { r.beginCube(); },
                                [](R& r, CubeData& d, const TextPosition& at) {
                                    r.addUnique(r.database().cubes, d.name, at, "cube", "database");
                                }};

const Member<RoleData> RoleMembers[] = {
    {"name", named<&RoleData::name>, true},
    {"description", plain<&RoleData::description>},
    {"users", plain<&RoleData::users>},
};
const Shape<RoleData> RoleShape{"role", RoleMembers, nullptr, [](R& r, RoleData& d, const TextPosition& at) {
                                    r.addUnique(r.database().roles.names, d.name, at, "role", "database");
                                }};

// The lists that cubes refer to are complete once read.
const Member<DatabaseData> DatabaseMembers[] = {
    {"name", named<&DatabaseData::name>, true},
    {"dimensions",
     [](R& r, DatabaseData& d) {
         r.list(d.dimensions, DimensionShape);
         r.database().dimensions.complete = true;
     }},
    {"cubes", listed<&DatabaseData::cubes, CubeShape>},
    {"roles",
     [](R& r, DatabaseData& d) {
         r.list(d.roles, RoleShape);
         r.database().roles.complete = true;
     }},
};
const Shape<DatabaseData> DatabaseShape{"database", DatabaseMembers,
                                        [](R& r, DatabaseData& d) { r.beginDatabase(d); },
                                        [](R& r, DatabaseData&, const TextPosition& at) {
                                            r.endDatabase(at);
                                        }};

const Member<ServerData> ServerMembers[] = {
    {"format", [](R& r, ServerData&) { r.format(); }, true},
    {"name", named<&ServerData::name>, true},
    {"databases", listed<&ServerData::databases, DatabaseShape>},
};
const Shape<ServerData> ServerShape{"server description", ServerMembers};

ServerData DescriptionReader::read() {
    ServerData server;
    const TextPosition at = m_json.valuePosition();
    const JsonKind kind = m_json.peek();
    if (kind != JsonKind::Object)
        m_json.fail(at,
                    QStringLiteral("a server description is an object, not ") + JsonReader::kindName(kind));
    readObject(server, ServerShape);
    m_json.finish();
    return server;
}

template <class T> void DescriptionReader::readObject(T& out, const Shape<T>& shape) {
    const TextPosition at = m_json.valuePosition();
    m_json.beginObject();
    if (shape.begin)
        shape.begin(*this, out);
    quint32 seen = 0;
    TextPosition namedAt = at;
    const auto members = shape.members;
    while (m_json.nextMember(m_key)) {
        const auto found = std::find_if(members.begin(), members.end(),
                                        [this](const Member<T>& m) { return m.key == m_key; });
        if (found == members.end()) {
            m_json.skipValue();
            continue;
        }
        const quint32 bit = 1U << (found - members.begin());
        if (seen & bit)
            m_json.fail(m_json.memberPosition(), quoted(found->key) + QStringLiteral(" appears twice"));
        seen |= bit;
        if (found->key == "name")
            namedAt = m_json.valuePosition();
        m_member = found->key;
        found->read(*this, out);
    }
    for (std::size_t i = 0; i < members.size(); ++i)
        if (members[i].required && !(seen & (1U << i)))
            m_json.fail(at, QStringLiteral("this ") + QLatin1String(shape.kind) + QStringLiteral(" has no ") +
                                quoted(members[i].key));
    if constexpr (requires { out.at; })
        out.at = SourceAt(namedAt.line, namedAt.column);
    if (shape.done)
        shape.done(*this, out, namedAt);
}

void DescriptionReader::wrongType(const TextPosition& at, const char* wantedName, JsonKind found) {
    m_json.fail(at, u'"' + member() + QStringLiteral("\" must be ") + QLatin1String(wantedName) +
                        QStringLiteral(", not ") + JsonReader::kindName(found));
}

bool DescriptionReader::present(JsonKind wanted, const char* wantedName) {
    const TextPosition at = m_json.valuePosition();
    const JsonKind kind = m_json.peek();
    if (kind == wanted)
        return true;
    if (kind != JsonKind::Null)
        wrongType(at, wantedName, kind);
    m_json.readNull();
    return false;
}

void DescriptionReader::require(JsonKind wanted, const char* wantedName) {
    const TextPosition at = m_json.valuePosition();
    const JsonKind kind = m_json.peek();
    if (kind != wanted)
        wrongType(at, wantedName, kind);
}

QString DescriptionReader::name() {
    const TextPosition at = m_json.valuePosition();
    require(JsonKind::String, "a text");
    QString name = pooledText();
    if (name.isEmpty())
        m_json.fail(at, QStringLiteral("\"name\" must not be empty"));
    return name;
}

QString DescriptionReader::text() {
    return present(JsonKind::String, "a text") ? pooledText() : QString();
}

bool DescriptionReader::flag() {
    return present(JsonKind::Bool, "true or false") && m_json.readBool();
}

// A whole number may also be written with a fraction or an exponent (3.0, 1e3) when its value is whole.
template <class Int> std::optional<Int> DescriptionReader::optionalWhole() {
    const TextPosition at = m_json.valuePosition();
    if (!present(JsonKind::Number, "a number"))
        return std::nullopt;
    const std::string& text = m_json.readNumber();
    constexpr qint64 Min = std::numeric_limits<Int>::min();
    constexpr qint64 Max = std::numeric_limits<Int>::max();
    const char* first = text.data();
    const char* last = first + text.size();
    bool inRange = false;
    qint64 value = 0;
    if (text.find_first_of(".eE") == std::string::npos) {
        inRange = std::from_chars(first, last, value).ec == std::errc() && value >= Min && value <= Max;
    } else {
        double real = 0;
        const bool parsed = std::from_chars(first, last, real).ec == std::errc();
        if (parsed && std::trunc(real) != real)
            m_json.fail(at, u'"' + member() + QStringLiteral("\" must be a whole number, not ") +
                                shownNumber(text));
        inRange = parsed && real >= static_cast<double>(Min) && real <= static_cast<double>(Max);
        value = inRange ? static_cast<qint64>(real) : 0;
    }
    if (!inRange)
        m_json.fail(at, u'"' + member() + QStringLiteral("\" ") + shownNumber(text) +
                            QStringLiteral(" is out of range (%1 to %2)").arg(Min).arg(Max));
    return static_cast<Int>(value);
}

std::optional<double> DescriptionReader::optionalDouble() {
    const TextPosition at = m_json.valuePosition();
    if (!present(JsonKind::Number, "a number"))
        return std::nullopt;
    const std::string& text = m_json.readNumber();
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc() ||
        !std::isfinite(value))
        m_json.fail(at, u'"' + member() + QStringLiteral("\" ") + shownNumber(text) +
                            QStringLiteral(" is out of range"));
    return value;
}

std::optional<QDateTime> DescriptionReader::optionalDateTime() {
    const TextPosition at = m_json.valuePosition();
    if (!present(JsonKind::String, "a text"))
        return std::nullopt;
    const std::string& text = m_json.readText();
    // Local times cost a look at the time zone each; descriptions repeat them (one processing run
    // stamps many objects), so recent ones are kept.
    const auto known = m_dates.find(text);
    if (known != m_dates.end())
        return known->second;
    std::optional<QDateTime> value = parseLocalDateTime(text);
    if (!value || !value->isValid())
        m_json.fail(at, u'"' + member() + QStringLiteral("\" ") + quoted(text) +
                            QStringLiteral(" is not a local date and time like 2026-11-30T14:05:00"));
    if (m_dates.size() >= MaxKnownDates)
        m_dates.clear();
    m_dates.emplace(text, *value);
    return value;
}

void DescriptionReader::format() {
    const TextPosition at = m_json.valuePosition();
    require(JsonKind::String, "a text");
    const std::string& text = m_json.readText();
    if (text != JsonDescriptionFormat)
        m_json.fail(at, QStringLiteral("\"format\" ") + quoted(text) +
                            QStringLiteral(" is not supported (expected ") +
                            quoted(std::string_view(JsonDescriptionFormat)) + u')');
}

// Entries are collected apart and moved into a list of exactly their number: no list grows in
// steps nor keeps spare room.
template <class T> void keepEntries(std::vector<T>& entries, std::vector<T>& out) {
    out.assign(std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    entries.clear();
}

// Calls readEntry(position) for each entry of the list being read, which must be of kind entryKind.
template <class ReadEntry>
void DescriptionReader::forEachEntry(JsonKind entryKind, const char* kindName, ReadEntry readEntry) {
    const std::string_view listName = m_member;
    if (!present(JsonKind::Array, "a list"))
        return;
    m_json.beginArray();
    while (m_json.nextEntry()) {
        const TextPosition at = m_json.valuePosition();
        const JsonKind kind = m_json.peek();
        if (kind != entryKind)
            m_json.fail(at, QStringLiteral("each entry of ") + quoted(listName) +
                                QStringLiteral(" must be ") + QLatin1String(kindName) +
                                QStringLiteral(", not ") + JsonReader::kindName(kind));
        readEntry(at);
    }
}

template <class T> void DescriptionReader::list(std::vector<T>& out, const Shape<T>& shape) {
    std::vector<T>& items = entries<T>();
    forEachEntry(JsonKind::Object, "an object", [&](const TextPosition&) {
        items.emplace_back();
        readObject(items.back(), shape);
    });
    keepEntries(items, out);
}

void DescriptionReader::references(std::vector<QString>& out, NameTable& table) {
    const std::size_t cube = m_database.cubesBegun - 1;
    std::vector<QString>& names = entries<QString>();
    forEachEntry(JsonKind::String, "a text", [&](const TextPosition& at) {
        names.push_back(pooledText());
        if (table.complete)
            resolve(names.back(), table, at);
        else
            table.pending.push_back({cube, names.size() - 1, at});
    });
    keepEntries(names, out);
}

// Fails when the database lacks the item; otherwise the reference shares the item's name.
void DescriptionReader::resolve(QString& name, const NameTable& table, const TextPosition& at) const {
    const auto found = table.names.constFind(name);
    if (found == table.names.constEnd())
        m_json.fail(at, databaseLabel() + QStringLiteral(" has no ") + QLatin1String(table.kind) +
                            QStringLiteral(" named ") + quoted(name));
    name = *found;
}

QString DescriptionReader::databaseLabel() const {
    const QString& name = m_database.data->name;
    return name.isEmpty() ? QStringLiteral("the database") : QStringLiteral("database ") + quoted(name);
}

void DescriptionReader::beginDatabase(DatabaseData& data) {
    m_database = DatabaseScope();
    m_database.data = &data;
}

void DescriptionReader::endDatabase(const TextPosition& namedAt) {
    std::vector<CubeData>& cubes = m_database.data->cubes;
    for (const PendingReference& ref : m_database.dimensions.pending)
        resolve(cubes[ref.cube].dimensions[ref.entry], m_database.dimensions, ref.at);
    for (const PendingReference& ref : m_database.roles.pending)
        resolve(cubes[ref.cube].roles[ref.entry], m_database.roles, ref.at);
    addUnique(m_databaseNames, m_database.data->name, namedAt, "database", "server");
    m_database = DatabaseScope();
}

void DescriptionReader::addUnique(QSet<QString>& names, const QString& name, const TextPosition& namedAt,
                                  const char* kind, const char* owner) {
    if (names.contains(name))
        m_json.fail(namedAt, QStringLiteral("another %1 of this %2 is also named ")
                                     .arg(QLatin1String(kind), QLatin1String(owner)) +
                                 quoted(name));
    names.insert(name);
}

} // namespace

ServerData ReadJsonDescription(QIODevice& device, const QString& origin) {
    return DescriptionReader(device, origin).read();
}

} // namespace Lorvantic::Olap
