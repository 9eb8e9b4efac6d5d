#include "diff/diffpage.h"

#include "report/pagerun.h"

#include <algorithm>
#include <span>

namespace Lorvantic::Diff {

using namespace Qt::StringLiterals;

namespace {

// Names and values are shown as they are: the page escapes what HTML would read as markup.
QString cellText(const QString& text) {
    return text.isEmpty() ? u"&nbsp;"_s : text.toHtmlEscaped();
}

QString heading(QStringView text) {
    return u"<TH vAlign='top'><B>"_s + text + u"</B></TH>"_s;
}

QString tableStart(std::initializer_list<QStringView> headings) {
    QString line = u"<table border='1' style='margin-left:10' cellspacing='0' width='95%'><tr bgcolor='"_s +
                   QLatin1String(Page::HeaderColour) + u"'>"_s;
    for (const QStringView text : headings)
        line += heading(text);
    return line + u"</TR>"_s;
}

// "Cube" for "cube": the noun as it starts a title.
QString titleNoun(ReportKind kind) {
    const QString noun = ItemNoun(kind);
    return noun.left(1).toUpper() + noun.mid(1);
}

// "dimension <B>Time</B> / level <B>Year</B>"
QString partsText(const Change& change) {
    QStringList parts;
    for (const PartName& part : change.parts)
        parts << part.noun + u" <B>"_s + cellText(part.name) + u"</B>"_s;
    return parts.isEmpty() ? u"&nbsp;"_s : parts.join(u" / "_s);
}

// The items of the database added to or removed from the new server, one row each.
void writeItemTable(PageWriter& page, std::span<const Change> changes, Change::Type type,
                    const QString& title) {
    bool opened = false;
    for (const Change& change : changes) {
        if (change.type != type || !change.parts.empty())
            continue;
        if (!opened)
            page.AppendLine(tableStart({title}));
        opened = true;
        page.AppendRow({cellText(change.item)});
    }
    if (opened)
        page.AppendLine(u"</TABLE><P>"_s);
}

QString changedValue(const Change& change) {
    if (change.type == Change::Changed)
        return cellText(change.value);
    return change.type == Change::Added ? u"<I>added</I>"_s : u"<I>removed</I>"_s;
}

void writeChangedTable(PageWriter& page, std::span<const Change> changes, const QString& itemHeading) {
    bool opened = false;
    for (const Change& change : changes) {
        if (change.type != Change::Changed && change.parts.empty())
            continue;
        if (!opened)
            page.AppendLine(tableStart({itemHeading, u"Part", u"Value", u"Old", u"New"}));
        opened = true;
        const bool valueChange = change.type == Change::Changed;
        page.AppendRow({cellText(change.item), partsText(change), changedValue(change),
                        valueChange ? cellText(change.oldText) : u"&nbsp;"_s,
                        valueChange ? cellText(change.newText) : u"&nbsp;"_s});
    }
    if (opened)
        page.AppendLine(u"</TABLE><P>"_s);
}

void writeDatabase(PageWriter& page, ReportKind kind, std::span<const Change> changes) {
    page.AppendLine(u"<P><b>Database: "_s + cellText(changes.front().database) + u"</b></P>"_s);
    const QString title = titleNoun(kind);
    writeItemTable(page, changes, Change::Added, u"Added "_s + title);
    writeItemTable(page, changes, Change::Removed, u"Removed "_s + title);
    writeChangedTable(page, changes, u"Changed "_s + title);
}

void writeKind(PageWriter& page, ReportKind kind, std::span<const Change> changes) {
    page.AppendLine(u"<P><HR><P>"_s);
    page.AppendLine(u"<b>"_s + titleNoun(kind) + u"s</b>"_s);
    if (changes.empty()) {
        page.AppendLine(u"<P>No differences</P>"_s);
        return;
    }
    // The changes come ordered by database: one part of the section per run of one database.
    std::size_t start = 0;
    for (std::size_t i = 1; i <= changes.size(); ++i) {
        if (i == changes.size() || changes[i].database != changes[start].database) {
            writeDatabase(page, kind, changes.subspan(start, i - start));
            start = i;
        }
    }
}

} // namespace

void WriteDiffPage(PageWriter& page, const DiffPageSides& sides, const std::vector<ReportKind>& kinds,
                   const std::vector<Change>& changes) {
    PageKind frame;
    frame.headingLine = u"<b><A NAME='TOP'>Differences Between Two Servers</A></b>"_s;
    frame.headerTableLine = u"<p></p><table border='0' width='100%'>"_s;
    WriteReportHeaderStart(frame, page);
    page.AppendLine(u"<td valign='top'><b>Old OLAP Server Name:</b>"_s + cellText(sides.oldServer) +
                    u"</td>"_s);
    page.AppendLine(u"<td valign='top'><b>New OLAP Server Name:</b>"_s + cellText(sides.newServer) +
                    u"</td></tr></table><P>&nbsp</P>"_s);
    const std::span<const Change> all(changes);
    for (const ReportKind kind : kinds) {
        // The changes come ordered by kind.
        const auto first = std::ranges::find_if(all, [kind](const Change& c) { return c.kind == kind; });
        const auto last = std::find_if(first, all.end(), [kind](const Change& c) { return c.kind != kind; });
        writeKind(page, kind, {first, last});
    }
    WriteReportEnd(page);
}

} // namespace Lorvantic::Diff
