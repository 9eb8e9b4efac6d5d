#include "diff/diffdata.h"

#include "report/jsonwriter.h"
#include "report/markdownwriter.h"

#include <array>

namespace Lorvantic::Diff {

using namespace Qt::StringLiterals;

namespace {

QByteArrayView typeName(Change::Type type) {
    static constexpr std::array<QByteArrayView, 3> names{"added", "removed", "changed"};
    return names.at(static_cast<std::size_t>(type));
}

QString kindTitle(ReportKind kind) {
    QString noun = ItemNoun(kind);
    noun[0] = noun[0].toUpper();
    return noun + u's';
}

// "Sales / measure Store Cost": the item, then its parts from the outside in.
QString objectPath(const Change& change) {
    QString path = Markdown::Text(change.item);
    for (const PartName& part : change.parts)
        path += u" / "_s + part.noun + u' ' + Markdown::Text(part.name);
    return path;
}

QString tableOf(ReportKind kind, const QString& database, const std::vector<const Change*>& changes) {
    static constexpr std::array<QStringView, 3> marks{u"added", u"removed", u"changed"};
    QString table = u"\n### "_s + kindTitle(kind) + u" in "_s + Markdown::Text(database) +
                    u"\n\n| Change | Object | Property | Old | New |\n|---|---|---|---|---|\n"_s;
    for (const Change* change : changes) {
        const bool changed = change->type == Change::Changed;
        table += u"| "_s + marks.at(static_cast<std::size_t>(change->type)) + u" | "_s + objectPath(*change) +
                 u" | "_s + (changed ? QString(change->value) : QString()) + u" | "_s +
                 (changed ? Markdown::Text(change->oldText) : QString()) + u" | "_s +
                 (changed ? Markdown::Text(change->newText) : QString()) + u" |\n"_s;
    }
    return table;
}

} // namespace

void WriteDiffJson(PageWriter& out, const DiffPageSides& sides, const std::vector<ReportKind>& kinds,
                   const std::vector<Change>& changes) {
    out.AppendAscii(R"({"format":"lorvantic-diff/1","old":)");
    Json::AppendString(out, sides.oldServer);
    out.AppendAscii(R"(,"new":)");
    Json::AppendString(out, sides.newServer);
    out.AppendAscii(R"(,"kinds":[)");
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0)
            out.AppendAscii(",");
        Json::AppendString(out, QString(ItemNoun(kinds[i])));
    }
    out.AppendAscii(R"(],"changes":[)");
    bool first = true;
    for (const Change& change : changes) {
        out.AppendAscii(first ? "" : ",");
        first = false;
        out.EndLine();
        out.AppendAscii(R"({"change":")");
        out.AppendAscii(typeName(change.type));
        out.AppendAscii(R"(","kind":)");
        Json::AppendString(out, QString(ItemNoun(change.kind)));
        out.AppendAscii(R"(,"database":)");
        Json::AppendString(out, change.database);
        out.AppendAscii(R"(,"path":[{"type":)");
        Json::AppendString(out, QString(ItemNoun(change.kind)));
        out.AppendAscii(R"(,"name":)");
        Json::AppendString(out, change.item);
        for (const PartName& part : change.parts) {
            out.AppendAscii(R"(},{"type":)");
            Json::AppendString(out, QString(part.noun));
            out.AppendAscii(R"(,"name":)");
            Json::AppendString(out, part.name);
        }
        out.AppendAscii(R"(}])");
        if (change.type == Change::Changed) {
            out.AppendAscii(R"(,"property":)");
            Json::AppendString(out, QString(change.value));
            out.AppendAscii(R"(,"old":)");
            Json::AppendString(out, change.oldText);
            out.AppendAscii(R"(,"new":)");
            Json::AppendString(out, change.newText);
        } else {
            out.AppendAscii(R"(,"property":null,"old":null,"new":null)");
        }
        out.AppendAscii("}");
    }
    out.EndLine();
    out.AppendAscii("]}");
    out.EndLine();
}

QString DiffSummary(const std::vector<ReportKind>& kinds, const std::vector<Change>& changes) {
    if (changes.empty())
        return u"No differences."_s;
    QStringList parts;
    for (const ReportKind kind : kinds) {
        std::array<int, 3> counts{};
        for (const Change& change : changes)
            counts.at(static_cast<std::size_t>(change.type)) += change.kind == kind ? 1 : 0;
        parts << u"%1: %2 added, %3 removed, %4 changed"_s.arg(kindTitle(kind))
                     .arg(counts[Change::Added])
                     .arg(counts[Change::Removed])
                     .arg(counts[Change::Changed]);
    }
    return parts.join(u"; "_s) + u'.';
}

QString DiffMarkdown(const DiffPageSides& sides, const std::vector<ReportKind>& kinds,
                     const std::vector<Change>& changes, qsizetype maxCharacters) {
    QString text = u"**"_s + DiffSummary(kinds, changes) + u"** ("_s + Markdown::Text(sides.oldServer) +
                   u" -> "_s + Markdown::Text(sides.newServer) + u")\n"_s;
    std::size_t shown = 0;
    for (std::size_t start = 0; start < changes.size();) {
        // One table for a run of changes of one kind and database (the changes come grouped).
        std::vector<const Change*> group;
        std::size_t end = start;
        while (end < changes.size() && changes[end].kind == changes[start].kind &&
               changes[end].database == changes[start].database)
            group.push_back(&changes[end++]);
        const QString table = tableOf(changes[start].kind, changes[start].database, group);
        if (text.size() + table.size() > maxCharacters - 300)
            break;
        text += table;
        shown = end;
        start = end;
    }
    if (shown < changes.size())
        text += u"\n%1 of %2 changes are not shown here. `kavenor diff --format text` (or `--format json`) "
                "lists them all.\n"_s.arg(changes.size() - shown)
                    .arg(changes.size());
    return text;
}

} // namespace Lorvantic::Diff
