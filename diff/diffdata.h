#pragma once

// The changes as data and as Markdown. JSON ("format": "lorvantic-diff/1", fields in
// doc/json.md): both servers, then each change with its kind, database, object path, property
// and old and new value. Markdown, for a pull-request comment: one summary line of counts per
// kind, then a table per kind and database; past a size limit it stops before a table and says
// how many changes it left out and how to list them all.

#include "diff/diffpage.h"
#include "report/pagewriter.h"

#include <QString>
#include <vector>

namespace Lorvantic::Diff {

void WriteDiffJson(PageWriter& out, const DiffPageSides& sides, const std::vector<ReportKind>& kinds,
                   const std::vector<Change>& changes);

// "Cubes: 1 added, 0 removed, 2 changed; ..." over the kinds compared, or "No differences."
QString DiffSummary(const std::vector<ReportKind>& kinds, const std::vector<Change>& changes);

// At most about maxCharacters (whole tables only, the note on what was left out included).
inline constexpr qsizetype MarkdownLimit = 60000;
QString DiffMarkdown(const DiffPageSides& sides, const std::vector<ReportKind>& kinds,
                     const std::vector<Change>& changes, qsizetype maxCharacters = MarkdownLimit);

} // namespace Lorvantic::Diff
