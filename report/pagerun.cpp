#include "report/pagerun.h"

#include "core/messages.h"
#include "report/reportfile.h"

namespace Lorvantic {

namespace {

// Runs one part of the page; in a guarded run a failure ends only that part.
template <class Part> void runPart(bool guarded, Part part) {
    if (!guarded) {
        part();
        return;
    }
    try {
        part();
    } catch (const Error&) {
    }
}

void closeProgress(PageRunState& state, bool release) {
    if (!state.applicationMode || !state.progress || !*state.progress)
        return;
    (*state.progress)->Close();
    if (release)
        state.progress->reset();
}

ProgressWindow* progressOf(const PageRunState& state) {
    return state.applicationMode && state.progress ? state.progress->get() : nullptr;
}

std::vector<ReportItem> indexItems(qint32 count, const ItemReader& item) {
    std::vector<ReportItem> items;
    items.reserve(static_cast<std::size_t>(count));
    for (qint32 i = 1; i <= count; ++i)
        items.push_back(item(i));
    return items;
}

void runPage(const PageKind& kind, PageRunState& state, qint32 count, const ItemReader& item,
             const SectionWriter& writeSection, QString& path) {
    if (count == 0) {
        MsgBox(QStringLiteral("There is nothing to display!"));
        closeProgress(state, true);
        return;
    }
    const float step = 15.0F / static_cast<float>(count);
    QString made;
    const bool created = state.createFile ? state.createFile(made) : CreateTempFile(made);
    if (!created) {
        MsgBox(QStringLiteral("Error occurred during the creation of the temporary file!"));
        return;
    }
    path = made;
    if (state.reportFiles)
        state.reportFiles->append(path);

    PageWriter page(path, FormatEndsLinesWithFeedOnly(state.format));
    const std::unique_ptr<ReportWriter> report = MakeReportWriter(state.format, page);
    const ReportHeader header{kind.noun,     kind.kindName,     state.server.get(),
                              ReportClock(), state.indexOption, &kind};
    runPart(kind.guarded, [&] { report->beginReport(header); });
    if (state.indexOption)
        report->index(indexItems(count, item));
    for (qint32 i = 1; i <= count; ++i) {
        if (ProgressWindow* progress = progressOf(state)) {
            progress->Progress(step);
            progress->Status(kind.progressPrefix + item(i).name);
            LetEventsRun();
        }
        writeSection(i, *report);
    }
    runPart(kind.guarded, [&] { report->endReport(); });
    page.flush();
    closeProgress(state, false);
    if (state.openInBrowser && !LaunchBrowser(path))
        MsgBox(QStringLiteral("Cann't launch the default browser!"));
}

} // namespace

QString CreateReport(const PageKind& kind, PageRunState& state, qint32 count, const ItemReader& item,
                     const SectionWriter& writeSection) {
    QString path;
    runPart(kind.guarded, [&] { runPage(kind, state, count, item, writeSection, path); });
    return path;
}

void WriteReportHeader(const PageKind& kind, const Olap::Server* server, PageWriter& page) {
    WriteReportHeaderStart(kind, page);
    if (!server)
        RaiseObjectNotSet();
    page.AppendLine(QStringLiteral("<td valign='top'><b>OLAP Server Name:</b>") + server->Name() +
                    QStringLiteral("</td></tr></table><P>&nbsp</P>"));
}

void WriteReportHeaderStart(const PageKind& kind, PageWriter& page) {
    page.AppendLine(QStringLiteral("<html><body>"));
    page.AppendLine(QStringLiteral("<p><b><big>Vusk Kavenor</big></b></p>"));
    page.AppendLine(kind.headingLine);
    page.AppendLine(kind.headerTableLine);
    page.AppendLine(QStringLiteral("<tr><td valign='top'><b>Date:</b>") + ShortDateText(ReportClock()) +
                    QStringLiteral("</td>"));
    page.AppendLine(QStringLiteral("<td valign='top'><b>Time:</b>") + TimeText(ReportClock()) +
                    QStringLiteral("</td>"));
}

void WriteReportEnd(PageWriter& page) {
    page.AppendLine(QStringLiteral("</body></html>"));
}

PageKind MakePageKind(const QString& noun, const QString& headerTableLine, const QString& indexWidth,
                      bool guarded) {
    PageKind kind;
    kind.headingLine =
        QStringLiteral("<b><A NAME='TOP'>Information Per ") + noun + QStringLiteral("</A></b>");
    kind.headerTableLine = headerTableLine;
    kind.indexTableOpening =
        QStringLiteral("<TABLE width='") + indexWidth + QStringLiteral("'><TR bgcolor='");
    kind.indexHeaderClosing =
        QStringLiteral("'><TH><B>Database</B></TH><TH><B>") + noun + QStringLiteral("</B></TH></TR>");
    kind.progressPrefix = QStringLiteral("Generating HTML for ") + noun + QStringLiteral(": ");
    kind.noun = noun;
    kind.kindName = KindNameOfNoun(noun);
    kind.guarded = guarded;
    return kind;
}

PageRunState PageRunOf(SelectorState& state) {
    PageRunState run;
    run.server = state.DSOServer;
    run.indexOption = state.indexOption;
    run.applicationMode = state.applicationMode();
    run.progress = &state.progress;
    run.reportFiles = &state.reportFiles;
    run.createFile = state.pageFile;
    run.openInBrowser = state.openPages;
    run.format = state.pageFormat;
    return run;
}

} // namespace Lorvantic
