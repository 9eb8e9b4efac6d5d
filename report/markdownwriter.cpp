// The Markdown writer: the report as GitHub Flavoured Markdown, for documentation kept in a
// repository. The header as a short list, a heading per database and per item, a table per
// section; a table that belongs to a row follows under its own heading.

#include "report/markdownwriter.h"

#include "model/olap.h"
#include "report/pagewriter.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace Lorvantic {

namespace Markdown {

namespace {

// The characters Markdown could read as markup, and the control characters, of the first 128.
constexpr std::array<bool, 128> EscapedTable = [] {
    std::array<bool, 128> table{};
    for (std::size_t c = 0; c < 0x20; ++c)
        table[c] = true;
    table[0x7F] = true;
    for (const char c : {'|', '\\', '*', '_', '`', '<', '>', '&', '[', ']', '#', '~', '!'})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool needsEscape(char16_t c) {
    return c < 128 && EscapedTable[c];
}

// The escape of one character that needs one, as ASCII ("\\*", "&lt;", "&#10;").
QByteArray escapeOf(char16_t c) {
    switch (c) {
    case u'<':
        return QByteArrayLiteral("&lt;");
    case u'>':
        return QByteArrayLiteral("&gt;");
    case u'&':
        return QByteArrayLiteral("&amp;");
    default:
        break;
    }
    if (c < 0x20 || c == 0x7F || c == u' ')
        return "&#" + QByteArray::number(c) + ';';
    return QByteArray("\\") + static_cast<char>(c);
}

// The escapes of the first 128 characters, made once.
const std::array<QByteArray, 128>& escapes() {
    static const std::array<QByteArray, 128> table = [] {
        std::array<QByteArray, 128> made;
        for (char16_t c = 0; c < 128; ++c)
            made[c] = needsEscape(c) || c == u' ' ? escapeOf(c) : QByteArray();
        return made;
    }();
    return table;
}

// Writes the text escaped through the sink's appendText (runs that need nothing) and
// appendAscii (escapes): a cell's blanks at either end become references, as a cell drops them.
template <class Sink> void escapeInto(QStringView text, Sink& sink) {
    const std::array<QByteArray, 128>& escape = escapes();
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    for (qsizetype i = 0; i < first; ++i)
        sink.appendAscii(escape[u' ']);
    qsizetype run = first;
    for (qsizetype i = first; i < last; ++i) {
        const char16_t c = text[i].unicode();
        if (!needsEscape(c))
            continue;
        sink.appendText(text.sliced(run, i - run));
        sink.appendAscii(escape[c]);
        run = i + 1;
    }
    sink.appendText(text.sliced(run, last - run));
    for (qsizetype i = last; i < text.size(); ++i)
        sink.appendAscii(escape[u' ']);
}

struct StringSink {
    QString& out;
    void appendText(QStringView text) { out += text; }
    void appendAscii(const QByteArray& bytes) { out += QLatin1String(bytes); }
};

struct PageSink {
    PageWriter& out;
    void appendText(QStringView text) { out.AppendText(text); }
    void appendAscii(const QByteArray& bytes) { out.AppendAscii(bytes); }
};

} // namespace

bool IsPlain(QStringView text) {
    if (text.startsWith(u' ') || text.endsWith(u' '))
        return false;
    return std::none_of(text.begin(), text.end(), [](QChar c) { return needsEscape(c.unicode()); });
}

QString Text(QStringView text) {
    if (IsPlain(text))
        return text.toString();
    QString out;
    out.reserve(text.size() + 16);
    StringSink sink{out};
    escapeInto(text, sink);
    return out;
}

void AppendText(PageWriter& out, QStringView text) {
    if (IsPlain(text)) {
        out.AppendText(text);
        return;
    }
    PageSink sink{out};
    escapeInto(text, sink);
}

} // namespace Markdown

namespace {

// The heading's text as Markdown shows it: the page's entities made characters.
QString plainCaption(const QString& caption) {
    QString text = caption;
    return text.replace(QLatin1String("&nbsp"), QLatin1String(" "));
}

class MarkdownReportWriter final : public ReportWriter {
public:
    explicit MarkdownReportWriter(PageWriter& out)
        : m_out(out) {}

    void beginReport(const ReportHeader& header) override {
        m_noun = header.noun;
        line(QStringLiteral("# Information Per ") + header.noun);
        blank();
        line(QStringLiteral("- Date: ") + ShortDateText(header.made));
        line(QStringLiteral("- Time: ") + TimeText(header.made));
        line(QStringLiteral("- OLAP Server Name: ") +
             (header.server ? Markdown::Text(header.server->Name()) : QString()));
    }

    void index(std::span<const ReportItem> items) override {
        blank();
        line(QStringLiteral("| Database | ") + m_noun + QStringLiteral(" |"));
        line(QStringLiteral("|---|---|"));
        for (const ReportItem& item : items)
            line(QStringLiteral("| ") + Markdown::Text(item.databaseName) + QStringLiteral(" | ") +
                 Markdown::Text(item.name) + QStringLiteral(" |"));
    }

    void beginItem(const ReportItem& item, const TableShape& summary,
                   std::span<const ReportCell> cells) override {
        if (!m_inDatabase || item.databaseName != m_database) {
            blank();
            line(QStringLiteral("## ") + Markdown::Text(item.databaseName));
            m_database = item.databaseName;
            m_inDatabase = true;
        }
        blank();
        line(QStringLiteral("### ") + Markdown::Text(item.name));
        blank();
        writeHeader(summary);
        writeRow(summary, cells);
    }

    void beginTable(const TableShape& shape) override {
        const bool underRow = !m_tables.empty();
        if (underRow)
            m_tables.back().interrupted = true;
        m_tables.push_back({&shape});
        if (shape.columns.empty())
            return;
        blank();
        // "#### Measures", and one level deeper for a table under a row: "##### Levels: Time".
        static const QByteArray hashes("######");
        m_out.AppendAscii(QByteArrayView(hashes).first(
            static_cast<qsizetype>(std::min<std::size_t>(3 + m_tables.size(), 6))));
        m_out.AppendAscii(" ");
        Markdown::AppendText(m_out, shape.title);
        if (underRow && !m_tables[m_tables.size() - 2].lastFirstCell.isEmpty()) {
            m_out.AppendAscii(": ");
            Markdown::AppendText(m_out, m_tables[m_tables.size() - 2].lastFirstCell);
        }
        m_out.EndLine();
        blank();
        writeHeader(shape);
    }

    void row(std::span<const ReportCell> cells) override {
        Table& table = m_tables.back();
        // A table the page repeats for every row is one table a row here too.
        if (table.interrupted || (table.rows > 0 && table.shape->page.headerPerRow)) {
            blank();
            writeHeader(*table.shape);
            table.interrupted = false;
        }
        writeRow(*table.shape, cells);
        ++table.rows;
        table.lastFirstCell = cells.empty() ? QStringView() : cells.front().text;
    }

    void endTable() override {
        const Table table = m_tables.back();
        m_tables.pop_back();
        if (table.rows == 0 && !table.shape->emptyText.isEmpty()) {
            blank();
            line(QStringLiteral("*") + Markdown::Text(table.shape->emptyText) + QStringLiteral("*"));
        }
        if (!m_tables.empty())
            m_tables.back().interrupted = true;
    }

    void unreadable(QStringView reason) override {
        blank();
        line(QStringLiteral("**Could not be read:** ") + Markdown::Text(reason));
    }

    void endItem() override {}

    void endReport() override {}

private:
    struct Table {
        const TableShape* shape;
        qint32 rows = 0;
        bool interrupted = false;
        QStringView lastFirstCell = {}; // valid until the item ends, as every cell's text
    };

    void line(const QString& text) {
        m_out.AppendText(text);
        m_out.EndLine();
    }

    void blank() { m_out.EndLine(); }

    // The heading row and the rule under it, made once per shape (tables repeat them often).
    void writeHeader(const TableShape& shape) {
        auto found = m_headers.find(&shape);
        if (found == m_headers.end()) {
            QString heading = QStringLiteral("|");
            QString rule = QStringLiteral("|");
            for (const ReportColumn& column : shape.columns) {
                heading += u' ' + Markdown::Text(plainCaption(column.caption)) + QStringLiteral(" |");
                rule += QStringLiteral("---|");
            }
            found = m_headers.emplace(&shape, std::pair{heading.toUtf8(), rule.toUtf8()}).first;
        }
        m_out.AppendAscii(found->second.first);
        m_out.EndLine();
        m_out.AppendAscii(found->second.second);
        m_out.EndLine();
    }

    // A cell the page leaves blank with an entity ("&nbsp") stays blank.
    void writeRow(const TableShape& shape, std::span<const ReportCell> cells) {
        m_out.AppendAscii("|");
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const QStringView text = cells[i].text;
            const bool blank =
                i < shape.columns.size() && text.startsWith(u'&') && text == shape.columns[i].absentText;
            m_out.AppendAscii(" ");
            if (!blank)
                Markdown::AppendText(m_out, text);
            m_out.AppendAscii(" |");
        }
        m_out.EndLine();
    }

    PageWriter& m_out;
    QString m_noun;
    QString m_database;
    bool m_inDatabase = false;
    std::vector<Table> m_tables;
    std::unordered_map<const TableShape*, std::pair<QByteArray, QByteArray>> m_headers;
};

} // namespace

std::unique_ptr<ReportWriter> MakeMarkdownReportWriter(PageWriter& sink) {
    return std::make_unique<MarkdownReportWriter>(sink);
}

} // namespace Lorvantic
