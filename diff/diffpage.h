#pragma once

// The page of a diff, in the reports' own frame and table style: the header with both servers'
// names, then for each kind compared one section with, per database, the items added, the items
// removed and the changed rows of changed items, old value beside new. A kind without changes
// says "No differences".

#include "diff/servercompare.h"
#include "report/pagewriter.h"

#include <QString>
#include <vector>

namespace Lorvantic::Diff {

struct DiffPageSides {
    QString oldServer; // names as the servers give them
    QString newServer;
};

void WriteDiffPage(PageWriter& page, const DiffPageSides& sides, const std::vector<ReportKind>& kinds,
                   const std::vector<Change>& changes);

} // namespace Lorvantic::Diff
