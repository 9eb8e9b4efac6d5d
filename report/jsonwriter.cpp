// The JSON writer: the report as data ("format": "lorvantic-report/1", fields in doc/json.md),
// written as it is emitted, one row a line.

#include "report/jsonwriter.h"

#include "model/olap.h"
#include "report/reportwriter.h"

#include <QLocale>
#include <array>
#include <cmath>
#include <unordered_map>

namespace Lorvantic {

namespace Json {

namespace {

// The characters a JSON string here escapes, as a table of the first 128.
constexpr std::array<bool, 128> EscapedTable = [] {
    std::array<bool, 128> table{};
    for (std::size_t c = 0; c < 0x20; ++c)
        table[c] = true;
    for (const char c : {'"', '\\', '<', '>', '&'})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool escaped(char16_t c) {
    return c < 128 && EscapedTable[c];
}

// True when the text is a number as JSON writes it: -?(0|[1-9][0-9]*)(.[0-9]+)?
bool isJsonNumber(QStringView text) {
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digits = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i == digits || (text[digits] == u'0' && i - digits > 1))
        return false;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fraction = ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i == fraction)
            return false;
    }
    return i == text.size();
}

} // namespace

namespace {

// Writes the text as a JSON string through the sink's appendText (runs that need nothing) and
// appendAscii (quotes and escapes).
template <class Sink> void escapeInto(QStringView text, Sink& sink) {
    static constexpr char Hex[] = "0123456789abcdef";
    sink.appendAscii("\"");
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!escaped(c))
            continue;
        sink.appendText(text.sliced(run, i - run));
        run = i + 1;
        if (c == u'"')
            sink.appendAscii("\\\"");
        else if (c == u'\\')
            sink.appendAscii("\\\\");
        else if (c == u'\n')
            sink.appendAscii("\\n");
        else if (c == u'\r')
            sink.appendAscii("\\r");
        else if (c == u'\t')
            sink.appendAscii("\\t");
        else {
            const char escape[] = {'\\', 'u', '0', '0', Hex[(c >> 4) & 0xF], Hex[c & 0xF]};
            sink.appendAscii(QByteArrayView(escape, sizeof escape));
        }
    }
    sink.appendText(text.sliced(run));
    sink.appendAscii("\"");
}

struct PageSink {
    PageWriter& out;
    void appendText(QStringView text) { out.AppendText(text); }
    void appendAscii(QByteArrayView bytes) { out.AppendAscii(bytes); }
};

struct StringSink {
    QString& out;
    void appendText(QStringView text) { out += text; }
    void appendAscii(QByteArrayView bytes) { out += QLatin1String(bytes.data(), bytes.size()); }
};

} // namespace

void AppendString(PageWriter& out, QStringView text) {
    PageSink sink{out};
    escapeInto(text, sink);
}

QString String(QStringView text) {
    QString out;
    StringSink sink{out};
    escapeInto(text, sink);
    return out;
}

void AppendNumber(PageWriter& out, QStringView text) {
    if (isJsonNumber(text))
        out.AppendText(text);
    else
        out.AppendAscii(Number(text));
}

QByteArray Number(QStringView text) {
    if (isJsonNumber(text))
        return text.toLatin1();
    static const QLocale c = [] {
        QLocale locale = QLocale::c();
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        return locale;
    }();
    static const QLocale user = [] {
        QLocale locale = QLocale::system();
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        return locale;
    }();
    bool ok = false;
    double value = c.toDouble(text, &ok);
    if (!ok)
        value = user.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return QByteArrayLiteral("null");
    if (value == std::trunc(value) && std::abs(value) < 1e15)
        return QByteArray::number(static_cast<qint64>(value));
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

QString Moment(const QDateTime& when) {
    return when.toString(Qt::ISODate);
}

} // namespace Json

namespace {

QByteArrayView typeName(CellType type) {
    switch (type) {
    case CellType::Number:
        return "number";
    case CellType::Boolean:
        return "boolean";
    case CellType::Date:
        return "date";
    case CellType::Text:
        break;
    }
    return "text";
}

class JsonReportWriter final : public ReportWriter {
public:
    explicit JsonReportWriter(PageWriter& out)
        : m_out(out) {}

    void beginReport(const ReportHeader& header) override {
        m_out.AppendAscii(R"({"format":"lorvantic-report/1","server":)");
        if (header.server)
            Json::AppendString(m_out, header.server->Name());
        else
            m_out.AppendAscii("null");
        m_out.AppendAscii(R"(,"made":)");
        Json::AppendString(m_out, Json::Moment(header.made));
        m_out.AppendAscii(R"(,"kind":)");
        Json::AppendString(m_out, header.kind);
        m_out.AppendAscii(R"(,"title":)");
        Json::AppendString(m_out, QString(QStringLiteral("Information Per ") + header.noun));
        m_out.AppendAscii(R"(,"databases":[)");
    }

    // The index is the page's way round; the data has the items themselves.
    void index(std::span<const ReportItem> /*items*/) override {}

    void beginItem(const ReportItem& item, const TableShape& summary,
                   std::span<const ReportCell> cells) override {
        if (!m_inDatabase || item.databaseName != m_database) {
            if (m_inDatabase)
                close("]}");
            next(m_firstDatabase);
            m_out.AppendAscii(R"({"name":)");
            Json::AppendString(m_out, item.databaseName);
            m_out.AppendAscii(R"(,"items":[)");
            m_database = item.databaseName;
            m_inDatabase = true;
            m_firstItem = true;
        }
        next(m_firstItem);
        m_out.AppendAscii("{");
        writeFields(summary, cells);
        m_itemSectionsOpen = false;
        m_firstSection = true;
    }

    void beginTable(const TableShape& shape) override {
        if (m_tables.empty()) {
            if (!m_itemSectionsOpen) {
                m_out.AppendAscii(R"(,"sections":[)");
                m_itemSectionsOpen = true;
            }
            next(m_firstSection);
        } else {
            Table& parent = m_tables.back();
            if (!parent.rowSectionsOpen) {
                m_out.AppendAscii(R"(,"sections":[)");
                parent.rowSectionsOpen = true;
            }
            next(parent.firstChild);
        }
        m_tables.push_back({&shape});
        m_out.AppendAscii(pieces(shape).head);
    }

    void row(std::span<const ReportCell> cells) override {
        Table& table = m_tables.back();
        closeRow(table);
        next(table.firstRow);
        m_out.AppendAscii("{");
        writeFields(*table.shape, cells);
        table.rowOpen = true;
    }

    void endTable() override {
        closeRow(m_tables.back());
        m_tables.pop_back();
        close("]}");
    }

    void unreadable(QStringView reason) override {
        m_out.AppendAscii(R"(,"unreadable":)");
        Json::AppendString(m_out, reason);
    }

    void endItem() override {
        if (m_itemSectionsOpen)
            close("]}");
        else
            m_out.AppendAscii("}");
    }

    void endReport() override {
        if (m_inDatabase)
            close("]}");
        close("]}");
        m_out.EndLine();
    }

private:
    struct Table {
        const TableShape* shape;
        bool firstRow = true;
        bool rowOpen = false;
        bool rowSectionsOpen = false;
        bool firstChild = true;
    };

    // Starts an element of an array: a comma after the one before, each on its own line.
    void next(bool& first) {
        if (!first)
            m_out.AppendAscii(",");
        first = false;
        m_out.EndLine();
    }

    void close(QByteArrayView closing) {
        m_out.EndLine();
        m_out.AppendAscii(closing);
    }

    void closeRow(Table& table) {
        if (!table.rowOpen)
            return;
        if (table.rowSectionsOpen)
            close("]}");
        else
            m_out.AppendAscii("}");
        table.rowOpen = false;
        table.rowSectionsOpen = false;
        table.firstChild = true;
    }

    // What every occurrence of a table writes the same: its head and its fields' names, made once.
    struct Pieces {
        QByteArray head;               // {"key":..,"title":..,"columns":[..],"rows":[
        std::vector<QByteArray> names; // "key": (with a comma before all but the first)
    };

    const Pieces& pieces(const TableShape& shape) {
        auto found = m_pieces.find(&shape);
        if (found != m_pieces.end())
            return found->second;
        Pieces made;
        QString head = QStringLiteral(R"({"key":)") + Json::String(shape.key) +
                       QStringLiteral(R"(,"title":)") + Json::String(shape.title) +
                       QStringLiteral(R"(,"columns":[)");
        for (std::size_t i = 0; i < shape.columns.size(); ++i) {
            const ReportColumn& column = shape.columns[i];
            head += (i > 0 ? QStringLiteral(",") : QString()) + QStringLiteral(R"({"key":)") +
                    Json::String(column.key) + QStringLiteral(R"(,"caption":)") +
                    Json::String(column.caption) + QStringLiteral(R"(,"type":")") +
                    QLatin1String(typeName(column.type)) + QStringLiteral(R"("})");
            made.names.push_back((i > 0 ? QByteArray(",") : QByteArray()) +
                                 Json::String(column.key).toUtf8() + ':');
        }
        made.head = (head + QStringLiteral(R"(],"rows":[)")).toUtf8();
        return m_pieces.emplace(&shape, std::move(made)).first->second;
    }

    void writeFields(const TableShape& shape, std::span<const ReportCell> cells) {
        const Pieces& names = pieces(shape);
        const std::size_t count = std::min(cells.size(), shape.columns.size());
        for (std::size_t i = 0; i < count; ++i) {
            m_out.AppendAscii(names.names[i]);
            writeValue(shape.columns[i], cells[i]);
        }
    }

    void writeValue(const ReportColumn& column, const ReportCell& cell) {
        switch (column.type) {
        case CellType::Number:
            Json::AppendNumber(m_out, cell.text);
            return;
        case CellType::Boolean:
            m_out.AppendAscii(cell.text == u"Yes" ? "true" : cell.text == u"No" ? "false" : "null");
            return;
        case CellType::Date:
            if (cell.when)
                Json::AppendString(m_out, moment(*cell.when));
            else
                m_out.AppendAscii("null");
            return;
        case CellType::Text:
            break;
        }
        if (!column.absentText.isEmpty() && cell.text == column.absentText)
            m_out.AppendAscii("null");
        else
            Json::AppendString(m_out, cell.text);
    }

    // The last moment's text: the same moment comes under many rows (a cube's under its users).
    const QString& moment(const QDateTime& when) {
        if (when != m_lastMoment || m_lastMomentText.isEmpty()) {
            m_lastMoment = when;
            m_lastMomentText = Json::Moment(when);
        }
        return m_lastMomentText;
    }

    PageWriter& m_out;
    QDateTime m_lastMoment;
    QString m_lastMomentText;
    bool m_firstDatabase = true;
    bool m_inDatabase = false;
    QString m_database;
    bool m_firstItem = true;
    bool m_itemSectionsOpen = false;
    bool m_firstSection = true;
    std::vector<Table> m_tables;
    std::unordered_map<const TableShape*, Pieces> m_pieces;
};

} // namespace

std::unique_ptr<ReportWriter> MakeJsonReportWriter(PageWriter& sink) {
    return std::make_unique<JsonReportWriter>(sink);
}

} // namespace Lorvantic
