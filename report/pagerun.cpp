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

void writeIndex(const PageKind& kind, qint32 count, const ItemReader& item, PageWriter& page) {
    page.AppendLine(kind.indexTableOpening + QLatin1String(Page::HeaderColour) + kind.indexHeaderClosing);
    for (qint32 i = 1; i <= count; ++i) {
        const PageItem it = item(i);
        page.AppendJoined({u"<TR><TD>", it.databaseName, u"</TD><TD><A HREF='#", it.databaseName, u"_",
                           it.name, u"'>", it.name, u"</A></TD></TR>"});
    }
    page.AppendLine(QStringLiteral("</TABLE>"));
    page.AppendLine(QStringLiteral("<P><HR><P>"));
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
        AppendReportFile(*state.reportFiles, path);

    PageWriter page(path);
    runPart(kind.guarded, [&] { WriteReportHeader(kind, state.server.get(), page); });
    if (state.indexOption)
        writeIndex(kind, count, item, page);
    for (qint32 i = 1; i <= count; ++i) {
        if (ProgressWindow* progress = progressOf(state)) {
            progress->Progress(step);
            progress->Status(kind.progressPrefix + item(i).name);
            LetEventsRun();
        }
        writeSection(i, page);
        if (!state.indexOption)
            page.AppendLine(QStringLiteral("<P>"));
    }
    runPart(kind.guarded, [&] { WriteReportEnd(page); });
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
    return run;
}

void AppendReportFile(VariantGrid& files, const QString& path) {
    if (IsArrayEmpty(files))
        files.redim(0, 0);
    else
        files.redimPreserve(files.ubound() + 1);
    files.at(files.ubound()) = path;
}

} // namespace Lorvantic
