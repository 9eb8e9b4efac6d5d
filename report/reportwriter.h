#pragma once

// What a report shows, as the kinds emit it: the report's header, its items (each with a
// summary row), the tables of each item and the rows of those tables, with the type of every
// column. A writer renders it as it arrives, without keeping the document: the page writer as
// the page always was, the JSON and Markdown writers as data and as text for repositories.
//
// Calls come in this order: beginReport, optionally index, then per item beginItem, tables
// (beginTable, rows, endTable; a table begun after a row and before its table's end belongs to
// that row) or unreadable, endItem; last endReport. The texts of cells stay valid until their item
// ends (they are the collection's holders), so a writer may keep a view of one.

#include "core/selectorstate.h"

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

namespace Lorvantic {

class PageWriter;
struct PageKind;

namespace Olap {
class Server;
}

// How the data writers read a column's texts. The page shows every text as it is.
enum class CellType {
    Text,    // a text; the column's absent text stands for no value
    Number,  // a number in the C or the user's locale; anything else is no value
    Boolean, // "Yes" or "No"; anything else is no value
    Date,    // the cell's moment; a cell without one is no value
};

struct ReportColumn {
    QString key;     // the data field: stable, camelCase
    QString caption; // the heading as text
    CellType type = CellType::Text;
    bool alignLeft = false;   // page: a left-aligned heading
    bool bold = false;        // page: the value in bold
    QString absentText = {};  // a Text column's placeholder for no value ("Not available")
    QString pageCaption = {}; // page: the heading's HTML where it differs from the caption
};

// How the page lays a table out; the defaults are an ordinary bordered table.
struct PageLayout {
    int margin = 60;
    int width = 90;
    bool headerPerRow = false;   // the heading line again before every row
    bool rowClosesTable = false; // each row's line ends the table
    bool closedAtEnd = true;     // the end of the table writes its closing line
    QString emptyCell = {};      // attributes of the one cell that says emptyText
    QString header = {};         // the heading line where it is not the one the columns give
};

struct TableShape {
    QString key;                            // the data field of the section: stable, camelCase ("measures")
    QString title;                          // the section's heading ("Measures")
    std::vector<ReportColumn> columns = {}; // no columns: a part the page closes without a table
    QString emptyText = {};                 // what the page says in place of no rows
    PageLayout page = {};
    QString pageHeader = {}; // filled by MakeTableShape
};

// The shape with its page heading line made once (shapes are built once and used for every row).
TableShape MakeTableShape(TableShape shape);

// One cell: the text the page shows and, for a date column, the moment behind it.
struct ReportCell {
    ReportCell(const QString& text) // NOLINT(google-explicit-constructor): cells are written as texts
        : text(text) {}
    ReportCell(QStringView text) // NOLINT(google-explicit-constructor)
        : text(text) {}
    ReportCell(const char16_t* text) // NOLINT(google-explicit-constructor)
        : text(text) {}
    ReportCell(const QString& text, const QDateTime& when)
        : text(text)
        , when(when.isValid() ? &when : nullptr) {}
    QStringView text;
    const QDateTime* when = nullptr;
};

struct ReportHeader {
    QString noun;                         // an item's noun: "Cube"
    QString kind;                         // the kind's command-line name: "cubes"
    const Olap::Server* server = nullptr; // its name goes into the header
    QDateTime made;                       // the report clock
    bool index = false;
    const PageKind* page = nullptr; // the page's own texts of the kind
};

// An entry of the index and the start of an item.
struct ReportItem {
    QString databaseName;
    QString name;
};

class ReportWriter {
public:
    ReportWriter() = default;
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;
    virtual ~ReportWriter() = default;

    // The page raises when the header has no server, after writing what comes before its name.
    virtual void beginReport(const ReportHeader& header) = 0;
    virtual void index(std::span<const ReportItem> items) = 0;
    // An item and its summary row (the first table of its section on the page).
    virtual void beginItem(const ReportItem& item, const TableShape& summary,
                           std::span<const ReportCell> cells) = 0;
    virtual void beginTable(const TableShape& shape) = 0;
    virtual void row(std::span<const ReportCell> cells) = 0;
    virtual void endTable() = 0;
    // In place of an item's tables: why the server could not give its parts (a text of the
    // server's, shown as text).
    virtual void unreadable(QStringView reason) = 0;
    virtual void endItem() = 0;
    virtual void endReport() = 0;

    void row(std::initializer_list<ReportCell> cells) { row(std::span(cells.begin(), cells.size())); }
    void beginItem(const ReportItem& item, const TableShape& summary,
                   std::initializer_list<ReportCell> cells) {
        beginItem(item, summary, std::span(cells.begin(), cells.size()));
    }
};

// The formats a report is written in, by their command-line names.
QString ReportFormatName(ReportFormat format);
// False when the name is none of "html", "json", "markdown".
bool ReportFormatNamed(QStringView name, ReportFormat& format);

// A writer of the format into the sink; the sink ends lines as the format wants (see
// FormatEndsLinesWithFeedOnly).
std::unique_ptr<ReportWriter> MakeReportWriter(ReportFormat format, PageWriter& sink);
bool FormatEndsLinesWithFeedOnly(ReportFormat format);

// The three writers.
std::unique_ptr<ReportWriter> MakePageReportWriter(PageWriter& sink);
std::unique_ptr<ReportWriter> MakeJsonReportWriter(PageWriter& sink);
std::unique_ptr<ReportWriter> MakeMarkdownReportWriter(PageWriter& sink);

// The page's heading line of a table: its columns' headings in the layout's frame.
QString PageTableHeader(const TableShape& shape);

} // namespace Lorvantic
