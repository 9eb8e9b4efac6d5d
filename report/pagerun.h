#pragma once

// The report run every kind shares: a new report file, the page header, the optional index,
// one section per gathered item, the page end, and the browser. The kinds differ only by the
// texts of PageKind and by whether the run is guarded.

#include "core/progress.h"
#include "core/selectorstate.h"
#include "model/error.h"
#include "model/olap.h"
#include "report/pagewriter.h"
#include "report/reportwriter.h"

#include <QString>
#include <functional>
#include <memory>

namespace Lorvantic {

struct PageKind {
    QString headingLine;        // "<b><A NAME='TOP'>Information Per Cube</A></b>"
    QString headerTableLine;    // "<p></p><table border='0' width='100%'>"
    QString indexTableOpening;  // "<TABLE width='100%'><TR bgcolor='"
    QString indexHeaderClosing; // "'><TH><B>Database</B></TH><TH><B>Cube</B></TH></TR>"
    QString progressPrefix;     // "Generating HTML for Cube: "
    QString noun;               // "Cube"
    QString kindName;           // "cubes"
    // Guarded: any failure ends the run quietly, and the header and end writers are guarded
    // on their own. Unguarded: a failure passes to the caller.
    bool guarded = false;
};

// The texts of a kind's page from what the kinds differ in: the noun of an item ("Cube"), the
// header table's opening line, the index table's width ("100%") and whether the run is guarded.
PageKind MakePageKind(const QString& noun, const QString& headerTableLine, const QString& indexWidth,
                      bool guarded);

// The report's own frame: its kind's noun ("Cube") and its command-line name ("cubes").
inline QString KindNameOfNoun(const QString& noun) {
    return noun.toLower() + u's';
}

// The selector state a run reads and changes.
struct PageRunState {
    std::shared_ptr<Olap::Server> server; // its name goes into the header
    bool indexOption = false;
    bool applicationMode = false;                        // the progress window is used only then
    std::unique_ptr<ProgressWindow>* progress = nullptr; // the selector's window slot
    QStringList* reportFiles = nullptr;                  // every new page name is appended
    // Where the page goes: a new report file by default; the command line writes elsewhere.
    std::function<bool(QString& path)> createFile;
    bool openInBrowser = true;
    ReportFormat format = ReportFormat::Html;
};

// The page run's view of a selector's state.
PageRunState PageRunOf(SelectorState& state);

// One item of the page: what the index and the run read of it.
using PageItem = ReportItem;

using SectionWriter = std::function<void(qint32 index, ReportWriter& report)>;
using ItemReader = std::function<PageItem(qint32 index)>;

// The page run over count items (1-based index); writeSection writes item i's section.
// Returns the page's path ("" when no page was made).
QString CreateReport(const PageKind& kind, PageRunState& state, qint32 count, const ItemReader& item,
                     const SectionWriter& writeSection);

// The page run over a kind's gathered list (1-based, each entry a pointer to an item with
// DatabaseName and Name); writeSection(item, report) writes one item's section.
template <class List, class WriteSection>
QString CreateListReport(const PageKind& kind, PageRunState& state, const List& list,
                         WriteSection writeSection) {
    return CreateReport(
        kind, state, list.Count(),
        [&list](qint32 i) {
            const auto& item = *list[i];
            return PageItem{item.DatabaseName, item.Name};
        },
        [&list, &writeSection](qint32 i, ReportWriter& report) { writeSection(*list[i], report); });
}

// The seven header lines and the end line.
void WriteReportHeader(const PageKind& kind, const Olap::Server* server, PageWriter& page);
// The first six header lines: the page's start, title and heading and the header table up to
// its date and time cells. The server cells and the table's end follow.
void WriteReportHeaderStart(const PageKind& kind, PageWriter& page);
void WriteReportEnd(PageWriter& page);

} // namespace Lorvantic
