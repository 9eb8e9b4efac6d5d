#include "bench/generator.h"

#include <QList>
#include <QString>
#include <array>

namespace Lorvantic::Bench {

namespace {

// Gathers the description in memory and hands it to the file in large pieces.
class Writer {
public:
    explicit Writer(std::FILE* out)
        : m_out(out) {}

    void line(int indent, const QByteArray& text) {
        m_buffer.append(indent * 2, ' ');
        m_buffer += text;
        m_buffer += '\n';
        if (m_out && m_buffer.size() >= (1 << 20))
            flush();
    }
    void flush() {
        if (!m_out || m_buffer.isEmpty())
            return;
        const auto size = static_cast<std::size_t>(m_buffer.size());
        m_failed = m_failed || std::fwrite(m_buffer.constData(), 1, size, m_out) != size;
        m_flushed += m_buffer.size();
        m_buffer.clear();
    }
    qint64 written() const { return m_flushed + m_buffer.size(); }
    bool failed() const { return m_failed; }
    QByteArray take() { return std::move(m_buffer); }

private:
    std::FILE* m_out;
    QByteArray m_buffer;
    qint64 m_flushed = 0;
    bool m_failed = false;
};

QByteArray n(qint64 value) {
    return QByteArray::number(value);
}

// A number of fixed width, as names on real servers carry them.
QByteArray n4(qint64 value) {
    return QByteArray::number(value).rightJustified(4, '0');
}

// A JSON string literal of text (UTF-8).
QByteArray q(const QByteArray& text) {
    QByteArray quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

template <std::size_t N> QByteArray pick(const std::array<const char*, N>& words, qint64 i) {
    return QByteArray(words[static_cast<std::size_t>(i) % N]);
}

// A word for position i of a list, numbered once the list's own words are used up.
template <std::size_t N> QByteArray numbered(const std::array<const char*, N>& words, int i) {
    const QByteArray word = pick(words, i);
    return static_cast<std::size_t>(i) < N ? word : word + ' ' + n(static_cast<qint64>(i) / N + 1);
}

constexpr std::array<const char*, 8> Regions = {"North America", "Western Europe", "Nordics",
                                                "Asia Pacific",  "Latin America",  "Zürich Region",
                                                "Middle East",   "Köln Bonn"};
constexpr std::array<const char*, 10> Subjects = {
    "Sales Analysis", "Inventory Movements",  "Customer Profitability", "Budget Planning",
    "Order Backlog",  "Supplier Performance", "Marketing Campaigns",    "Revenue & Cost <Forecast>",
    "HR Headcount",   "Umsatz Übersicht"};
constexpr std::array<const char*, 6> Qualifiers = {"by Channel",   "Monthly Snapshot", "Rolling 13 Periods",
                                                   "Consolidated", "Detail",           "Year over Year"};
constexpr std::array<const char*, 12> SharedDimensions = {
    "Calendar Time",     "Customer Geography", "Product Category", "Sales Channel", "Store Location",
    "Promotion Media",   "Employee Hierarchy", "Currency",         "Scenario",      "Account",
    "Organisation Unit", "Fiscal Time"};
constexpr std::array<const char*, 6> Levels = {"Country / Region", "State or Province", "City",
                                               "Postal Code",      "Customer Name",     "Account Number"};
constexpr std::array<const char*, 4> TimeLevels = {"Year", "Quarter", "Month", "Day"};
constexpr std::array<qint32, 4> TimeLevelTypes = {20, 68, 132, 516};
constexpr std::array<const char*, 4> Properties = {"Display Name", "Sort Key", "Valid From", "Owner e-mail"};
constexpr std::array<const char*, 8> Measures = {"Sales Amount",    "Order Quantity", "Unit Price Average",
                                                 "Discount Amount", "Freight Cost",   "Tax Amount",
                                                 "Gross Margin",    "Return Quantity"};
constexpr std::array<const char*, 4> Calculations = {"Profit Margin Percentage", "Average Selling Price",
                                                     "Sales Growth Year over Year", "Return Rate"};
constexpr std::array<const char*, 6> Roles = {"Finance Readers",     "Regional Sales Managers",
                                              "Data Stewards",       "Executive Dashboard Users",
                                              "Auditors (external)", "Marketing Analysts"};
constexpr std::array<const char*, 6> Users = {"anna.svensson", "jürgen.müller", "li.wei",
                                              "maria.garcia",  "olu.adeyemi",   "sam.o'brien"};

QByteArray databaseName(int db) {
    return "Enterprise Warehouse " + pick(Regions, db) + ' ' + n4(db);
}

QByteArray cubeName(int db, int c) {
    return pick(Subjects, c) + ' ' + pick(Qualifiers, c / 10 + db) + ' ' + n4(c);
}

QByteArray sharedDimensionName(int d) {
    return numbered(SharedDimensions, d);
}

QByteArray roleName(int r) {
    return numbered(Roles, r);
}

QByteArray timestamp(qint64 i) {
    return QByteArray("2026-11-") + QByteArray::number(1 + i % 28).rightJustified(2, '0') + 'T' +
           QByteArray::number(i % 24).rightJustified(2, '0') + ':' +
           QByteArray::number(i * 7 % 60).rightJustified(2, '0') + ":13";
}

QByteArray column(const QByteArray& table, const QByteArray& name) {
    return q("\"" + table + "\".\"" + name + "\"");
}

QByteArray comma(bool last) {
    return last ? QByteArray() : QByteArrayLiteral(",");
}

void writeLevels(Writer& w, const GeneratorOptions& o, bool time, const QByteArray& table) {
    w.line(5, R"("levels": [)");
    for (int l = 0; l < o.levels; ++l) {
        const QByteArray name = time ? numbered(TimeLevels, l) : numbered(Levels, l);
        const qint32 type = time ? TimeLevelTypes[static_cast<std::size_t>(l) % TimeLevelTypes.size()] : 0;
        const QByteArray key = "key_" + n(l);
        w.line(6, "{");
        w.line(7, R"("name": )" + q(name) + R"(, "estimatedSize": )" + n(12 << l) + R"(, "levelType": )" +
                      n(type) + ",");
        w.line(7, R"("memberKeyColumn": )" + column(table, key) + R"(, "memberNameColumn": )" +
                      (l % 3 == 2 ? QByteArray(R"("")") : column(table, "name_" + n(l))) + ",");
        w.line(7, QByteArray(R"("hidden": )") + (l % 5 == 4 ? "true" : "false") + R"(, "aggregation": )" +
                      (l % 4 == 3 ? "false" : "true") + ",");
        w.line(7, R"("memberProperties": [)");
        for (int p = 0; p < o.memberProperties; ++p)
            w.line(8, R"({"name": )" + q(numbered(Properties, p)) + R"(, "sourceColumn": )" +
                          column(table, "prop_" + n(p)) + "}" + comma(p + 1 == o.memberProperties));
        w.line(7, "]");
        w.line(6, "}" + comma(l + 1 == o.levels));
    }
    w.line(5, "]");
}

void writeDimension(Writer& w, const GeneratorOptions& o, const QByteArray& name, bool shared, int d,
                    bool last) {
    const bool time = shared && d == 0;
    w.line(4, "{");
    w.line(5, R"("name": )" + q(name) + R"(, "shared": )" + (shared ? "true" : "false") + ",");
    w.line(5, R"("state": )" + n(d % 9 == 8 ? 0 : 1) + R"(, "lastProcessed": ")" + timestamp(d) +
                  R"(", "dimensionType": )" + n(time ? 1 : 0) + R"(, "virtualCode": )" +
                  n(d % 7 == 6 ? 1 : 0) + ",");
    writeLevels(w, o, time, "dim_" + n(d));
    w.line(4, "}" + comma(last));
}

// Which of its database's shared dimensions and roles a cube uses.
bool usesDimension(int c, int d) {
    return d == 0 || (c + d) % 4 != 3;
}

bool carriesRole(int c, int r) {
    return (c + r) % 3 == 0;
}

QByteArray nameList(const QList<QByteArray>& names) {
    QByteArray list = "[";
    for (qsizetype i = 0; i < names.size(); ++i)
        list += (i ? ", " : "") + q(names[i]);
    return list + "]";
}

void writeCube(Writer& w, const GeneratorOptions& o, int db, int c, bool last) {
    const QByteArray cube = cubeName(db, c);
    const qint64 serial = static_cast<qint64>(db) * o.cubesPerDatabase + c;
    w.line(4, "{");
    w.line(5, R"("name": )" + q(cube) + R"(, "state": )" + n(c % 17 == 16 ? 0 : 1) +
                  R"(, "lastProcessed": ")" + timestamp(serial) + R"(", "estimatedSize": )" +
                  n(1048576 * (serial % 977) + 4096 * c) + ",");
    QList<QByteArray> dimensions;
    for (int d = 0; d < o.sharedDimensions; ++d)
        if (usesDimension(c, d))
            dimensions << sharedDimensionName(d);
    dimensions << cube + "^Line Item Details";
    w.line(5, R"("dimensions": )" + nameList(dimensions) + ",");
    QList<QByteArray> roles;
    for (int r = 0; r < o.roles; ++r)
        if (carriesRole(c, r))
            roles << roleName(r);
    w.line(5, R"("roles": )" + nameList(roles) + ",");
    w.line(5, R"("partitions": [)");
    for (int p = 0; p < o.partitions; ++p) {
        w.line(6, "{");
        w.line(7, R"("name": )" + q(cube + " FY" + n(2026 - p)) + R"(, "storageMode": )" +
                      n(p % 3 == 2 ? 1 : 0) + ",");
        QByteArray aggregations = R"("aggregations": [)";
        for (int a = 0; a < o.aggregations; ++a)
            aggregations += (a ? ", " : "") + QByteArray(R"({"name": "Aggregation )") + n(a) + R"("})";
        w.line(7, aggregations + "],");
        w.line(7, R"("dataSources": [{"name": "Warehouse )" + pick(Regions, db) +
                      R"(", "connectionString": "Provider=SQLOLEDB.1;Integrated Security=SSPI;)"
                      R"(Initial Catalog=DW;Data Source=DWSQL)" +
                      n4(db % 13) + R"("}])");
        w.line(6, "}" + comma(p + 1 == o.partitions));
    }
    w.line(5, "],");
    w.line(5, R"("measures": [)");
    for (int m = 0; m < o.measures; ++m)
        w.line(6, R"({"name": )" + q(numbered(Measures, m)) + R"(, "aggregateFunction": )" + n(m % 5) +
                      R"(, "formatString": )" +
                      (m % 6 == 5 ? QByteArray(R"("")") : QByteArray(R"("#,##0.00")")) + R"(, "internal": )" +
                      (m % 7 == 6 ? "true" : "false") + R"(, "sourceColumn": )" +
                      column("fact_" + n(c % 50), "measure_" + n(m)) + "}" + comma(m + 1 == o.measures));
    w.line(5, "],");
    w.line(5, R"("commands": [)");
    for (int k = 0; k < o.calculatedMembers; ++k) {
        const QByteArray name = numbered(Calculations, k);
        w.line(
            6,
            R"({"name": )" + q(name) + R"(, "solveOrder": )" + n(k % 3) + R"(, "statement": )" +
                q("CREATE MEMBER [" + cube + "].[Measures].[" + name +
                  "] AS '([Measures].[Sales Amount]-[Measures].[Freight Cost])/[Measures].[Sales Amount]'") +
                "}" + comma(k + 1 == o.calculatedMembers));
    }
    w.line(5, "]");
    w.line(4, "}" + comma(last));
}

void writeRoles(Writer& w, const GeneratorOptions& o) {
    w.line(3, R"("roles": [)");
    for (int r = 0; r < o.roles; ++r) {
        QByteArray users;
        for (int u = 0; u < o.usersPerRole; ++u)
            users += (u ? ";" : "") + QByteArray("CORP\\") + pick(Users, r + u) + (u < 6 ? "" : n(u));
        w.line(4, R"({"name": )" + q(roleName(r)) + R"(, "description": )" +
                      q(r % 4 == 3 ? QByteArray() : "Members of " + roleName(r) + " in all regions") +
                      R"(, "users": )" + q(users) + "}" + comma(r + 1 == o.roles));
    }
    w.line(3, "]");
}

void writeDatabase(Writer& w, const GeneratorOptions& o, int db) {
    w.line(2, "{");
    w.line(3, R"("name": )" + q(databaseName(db)) + ",");
    w.line(3, R"("dimensions": [)");
    for (int d = 0; d < o.sharedDimensions; ++d)
        writeDimension(w, o, sharedDimensionName(d), true, d,
                       o.cubesPerDatabase == 0 && d + 1 == o.sharedDimensions);
    for (int c = 0; c < o.cubesPerDatabase; ++c)
        writeDimension(w, o, cubeName(db, c) + "^Line Item Details", false, o.sharedDimensions + c,
                       c + 1 == o.cubesPerDatabase);
    w.line(3, "],");
    w.line(3, R"("cubes": [)");
    for (int c = 0; c < o.cubesPerDatabase; ++c)
        writeCube(w, o, db, c, c + 1 == o.cubesPerDatabase);
    w.line(3, "],");
    writeRoles(w, o);
}

void writeServer(Writer& w, const GeneratorOptions& o) {
    w.line(0, "{");
    w.line(1, R"("format": "olap-server/1",)");
    w.line(1, R"("name": "OLAPBENCH01",)");
    w.line(1, R"("databases": [)");
    const auto more = [&](int db) {
        return o.targetBytes > 0 ? w.written() < o.targetBytes : db < o.databases;
    };
    for (int db = 0; more(db); ++db) {
        if (db > 0)
            w.line(2, "},");
        writeDatabase(w, o, db);
        if (!more(db + 1))
            w.line(2, "}");
    }
    w.line(1, "]");
    w.line(0, "}");
}

} // namespace

GeneratorOptions BenchmarkServerOptions(qint64 targetBytes) {
    GeneratorOptions options;
    options.targetBytes = targetBytes;
    options.cubesPerDatabase = 40;
    options.sharedDimensions = 10;
    options.levels = 2;
    options.memberProperties = 1;
    options.measures = 5;
    options.calculatedMembers = 2;
    options.partitions = 1;
    options.aggregations = 4;
    options.roles = 6;
    options.usersPerRole = 5;
    return options;
}

qint64 GenerateDescription(const GeneratorOptions& options, std::FILE* out) {
    Writer w(out);
    writeServer(w, options);
    w.flush();
    return w.failed() ? -1 : w.written();
}

QByteArray GenerateDescription(const GeneratorOptions& options) {
    Writer w(nullptr);
    writeServer(w, options);
    return w.take();
}

namespace {

// Text as an XML attribute value.
QByteArray attribute(const QByteArray& text) {
    return QString::fromUtf8(text).toHtmlEscaped().replace(u'\'', QLatin1String("&apos;")).toUtf8();
}

constexpr int SchemaFactTables = 20;
constexpr int SchemaSharedDimensions = 6; // the time dimension among them
constexpr int SchemaCubeDimensions = 4;   // shared ones each cube uses
constexpr std::array<const char*, 5> Aggregators = {"sum", "count", "min", "max", "distinct-count"};
constexpr std::array<const char*, 5> FormatStrings = {"#,###.00", "#,###", "Currency", "Standard", "0.0%"};

void schemaTimeDimension(Writer& out) {
    out.line(1, "<Dimension name=\"" + attribute(pick(SharedDimensions, 0)) + "\" type=\"TimeDimension\">");
    out.line(2, "<Hierarchy hasAll=\"true\" primaryKey=\"time_id\">");
    out.line(3, "<Table name=\"dim_time\"/>");
    out.line(3, "<Level name=\"Year\" column=\"the_year\" type=\"Numeric\" uniqueMembers=\"true\" "
                "levelType=\"TimeYears\"/>");
    out.line(
        3, "<Level name=\"Quarter\" column=\"quarter\" uniqueMembers=\"false\" levelType=\"TimeQuarters\"/>");
    out.line(3, "<Level name=\"Month\" column=\"month_of_year\" type=\"Numeric\" uniqueMembers=\"false\" "
                "levelType=\"TimeMonths\"/>");
    out.line(2, "</Hierarchy>");
    out.line(1, "</Dimension>");
}

void schemaSharedDimension(Writer& out, int d) {
    const QByteArray table = "dim_" + n(d);
    out.line(1, "<Dimension name=\"" + attribute(sharedDimensionName(d)) + "\">");
    out.line(2, "<Hierarchy hasAll=\"true\" primaryKey=\"id\">");
    out.line(3, "<Table name=\"" + table + "\"/>");
    out.line(3, "<Level name=\"" + attribute(pick(Levels, d)) + "\" column=\"top\" uniqueMembers=\"true\"/>");
    out.line(3, "<Level name=\"" + attribute(pick(Levels, d + 1)) +
                    "\" column=\"leaf\" uniqueMembers=\"false\">");
    out.line(4, "<Property name=\"" + attribute(pick(Properties, d)) + "\" column=\"property\"/>");
    out.line(3, "</Level>");
    out.line(2, "</Hierarchy>");
    out.line(1, "</Dimension>");
}

void schemaCube(Writer& out, int c) {
    out.line(1, "<Cube name=\"" + attribute(cubeName(0, c)) + "\">");
    out.line(2, "<Table name=\"fact_" + n(c % SchemaFactTables) + "\"/>");
    out.line(2, "<DimensionUsage name=\"" + attribute(pick(SharedDimensions, 0)) + "\" source=\"" +
                    attribute(pick(SharedDimensions, 0)) + "\" foreignKey=\"time_id\"/>");
    for (int k = 1; k < SchemaCubeDimensions; ++k) {
        const int d = 1 + (c + k * 2) % (SchemaSharedDimensions - 1);
        out.line(2, "<DimensionUsage name=\"" + attribute(sharedDimensionName(d)) + "\" source=\"" +
                        attribute(sharedDimensionName(d)) + "\" foreignKey=\"dim_" + n(d) + "_id\"/>");
    }
    out.line(2, "<Dimension name=\"Order Detail\" foreignKey=\"detail_id\">");
    out.line(3, "<Hierarchy hasAll=\"true\" primaryKey=\"id\">");
    out.line(4, "<Table name=\"detail_" + n(c % SchemaFactTables) + "\"/>");
    out.line(4, "<Level name=\"Order Number\" column=\"number\" uniqueMembers=\"true\"/>");
    out.line(3, "</Hierarchy>");
    out.line(2, "</Dimension>");
    for (std::size_t m = 0; m < Aggregators.size(); ++m) {
        const auto i = static_cast<qint64>(m);
        out.line(2, "<Measure name=\"" + attribute(pick(Measures, c + i)) + "\" column=\"m" + n(i) +
                        "\" aggregator=\"" + Aggregators.at(m) + "\" formatString=\"" +
                        pick(FormatStrings, c + i) + "\"/>");
    }
    for (int k = 0; k < 2; ++k) {
        const QByteArray first = attribute(pick(Measures, c + k));
        const QByteArray second = attribute(pick(Measures, c + k + 1));
        out.line(2, "<CalculatedMember name=\"" + attribute(pick(Calculations, c + k)) +
                        "\" dimension=\"Measures\" formula=\"[Measures].[" + first + "] / [Measures].[" +
                        second + "]\">");
        out.line(3, "<CalculatedMemberProperty name=\"FORMAT_STRING\" value=\"0.00%\"/>");
        out.line(2, "</CalculatedMember>");
    }
    out.line(1, "</Cube>");
}

} // namespace

QByteArray GenerateMondrianSchema(int cubes) {
    Writer out(nullptr);
    out.line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.line(0, "<Schema name=\"" + attribute(databaseName(0)) + "\">");
    schemaTimeDimension(out);
    for (int d = 1; d < SchemaSharedDimensions; ++d)
        schemaSharedDimension(out, d);
    for (int c = 0; c < cubes; ++c)
        schemaCube(out, c);
    for (int r = 0; r < 3; ++r) {
        out.line(1, "<Role name=\"" + attribute(roleName(r)) + "\">");
        out.line(2, "<SchemaGrant access=\"all\"/>");
        out.line(1, "</Role>");
    }
    out.line(0, "</Schema>");
    return out.take();
}

} // namespace Lorvantic::Bench
