// The page writer: what the kinds emit, as the HTML page every report has always been, byte for
// byte (the tables' frames, stray and missing closing tags included: pages are compared across
// versions).

#include "report/pagerun.h"
#include "report/pagewriter.h"
#include "report/reportfile.h"
#include "report/reportwriter.h"

namespace Lorvantic {

namespace {

const QString TableEnd = QStringLiteral("</TABLE>");

class PageReportWriter final : public ReportWriter {
public:
    explicit PageReportWriter(PageWriter& page)
        : m_page(page) {}

    void beginReport(const ReportHeader& header) override {
        m_index = header.index;
        m_kind = header.page;
        WriteReportHeader(*m_kind, header.server, m_page);
    }

    void index(std::span<const ReportItem> items) override {
        m_page.AppendLine(m_kind->indexTableOpening + QLatin1String(Page::HeaderColour) +
                          m_kind->indexHeaderClosing);
        for (const ReportItem& item : items)
            m_page.AppendJoined({u"<TR><TD>", item.databaseName, u"</TD><TD><A HREF='#", item.databaseName,
                                 u"_", item.name, u"'>", item.name, u"</A></TD></TR>"});
        m_page.AppendLine(TableEnd);
        m_page.AppendLine(QStringLiteral("<P><HR><P>"));
    }

    void beginItem(const ReportItem& item, const TableShape& summary,
                   std::span<const ReportCell> cells) override {
        if (m_index)
            Page::AppendBackToTop(m_page, item.databaseName, item.name);
        beginTable(summary);
        row(cells);
        endTable();
    }

    void beginTable(const TableShape& shape) override {
        m_tables.push_back({&shape, 0});
        if (!shape.columns.empty() && !shape.page.headerPerRow)
            m_page.AppendLine(shape.pageHeader);
    }

    void row(std::span<const ReportCell> cells) override {
        OpenTable& table = m_tables.back();
        const TableShape& shape = *table.shape;
        if (shape.page.headerPerRow)
            m_page.AppendLine(shape.pageHeader);
        writeRow(shape, cells);
        ++table.rows;
    }

    void endTable() override {
        const OpenTable table = m_tables.back();
        m_tables.pop_back();
        const TableShape& shape = *table.shape;
        static const QString emptyRowStart =
            QStringLiteral("<TR bgcolor='") + QLatin1String(Page::RowColour) + QStringLiteral("'><TD ");
        if (table.rows == 0 && !shape.emptyText.isEmpty())
            m_page.AppendJoined({emptyRowStart, shape.page.emptyCell, u">", shape.emptyText, u"</TD></TR>"});
        if (shape.page.closedAtEnd)
            m_page.AppendLine(TableEnd);
    }

    // One bordered table of one cell, the server's text escaped.
    void unreadable(QStringView reason) override {
        static const QString header =
            QStringLiteral(
                "<table border='1' style='margin-left:60' cellspacing='0' width='90%'><tr bgcolor='") +
            QLatin1String(Page::HeaderColour) +
            QStringLiteral("'><TH vAlign='top' Align='left'><B>Could not be read</B></TH></TR>");
        m_page.AppendLine(header);
        m_page.AppendJoined({Page::RowStart(), reason.toString().toHtmlEscaped(), Page::RowEnd()});
        m_page.AppendLine(TableEnd);
    }

    void endItem() override {
        if (!m_index)
            m_page.AppendLine(QStringLiteral("<P>"));
    }

    void endReport() override { WriteReportEnd(m_page); }

private:
    struct OpenTable {
        const TableShape* shape;
        qint32 rows;
    };

    // The bytes of PageWriter::AppendRow over the cells, bold where the column says so.
    void writeRow(const TableShape& shape, std::span<const ReportCell> cells) {
        static const QByteArray start = Page::RowStart().toUtf8();
        static const QByteArray separator = Page::CellSeparator().toUtf8();
        static const QByteArray end = Page::RowEnd().toUtf8();
        m_page.AppendAscii(start);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                m_page.AppendAscii(separator);
            const bool bold = i < shape.columns.size() && shape.columns[i].bold;
            if (bold)
                m_page.AppendAscii("<B>");
            m_page.AppendText(cells[i].text);
            if (bold)
                m_page.AppendAscii("</B>");
        }
        m_page.AppendAscii(end);
        if (shape.page.rowClosesTable)
            m_page.AppendText(TableEnd);
        m_page.EndLine();
    }

    PageWriter& m_page;
    const PageKind* m_kind = nullptr;
    bool m_index = false;
    std::vector<OpenTable> m_tables;
};

QString heading(const ReportColumn& column) {
    return (column.alignLeft ? QStringLiteral("<TH vAlign='top' Align='left'><B>")
                             : QStringLiteral("<TH vAlign='top'><B>")) +
           (column.pageCaption.isEmpty() ? column.caption : column.pageCaption) + QStringLiteral("</B></TH>");
}

} // namespace

QString PageTableHeader(const TableShape& shape) {
    if (!shape.page.header.isEmpty())
        return shape.page.header;
    QString line =
        QStringLiteral("<table border='1' style='margin-left:%1' cellspacing='0' width='%2%'><tr bgcolor='")
            .arg(shape.page.margin)
            .arg(shape.page.width) +
        QLatin1String(Page::HeaderColour) + QStringLiteral("'>");
    for (const ReportColumn& column : shape.columns)
        line += heading(column);
    return line + QStringLiteral("</TR>");
}

std::unique_ptr<ReportWriter> MakePageReportWriter(PageWriter& sink) {
    return std::make_unique<PageReportWriter>(sink);
}

} // namespace Lorvantic
