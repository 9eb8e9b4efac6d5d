#pragma once

// The outputs of `kavenor check`: text lines for editors and CI logs, JSON (also the baseline
// format), SARIF 2.1.0 for code-review tools and Markdown for a job summary or a pull-request
// comment. Each is written through a PageWriter (lines end in LF).

#include "check/rules.h"

namespace Lorvantic {
class PageWriter;
}

namespace Lorvantic::Check {

struct Outcome {
    QString server;                // the server's name as it may be shown
    QString file;                  // the file the model was read from, as shown; empty: a live server
    std::vector<Finding> findings; // those reported (after the baseline)
    qsizetype baselined = 0;       // findings left out as they are in the baseline
};

// "FILE:LINE:COL: warning: message [rule-id]", or "server / database / ...: ..." for a live
// server, one line per finding.
void WriteText(PageWriter& out, const Outcome& outcome);
// {"format": "lorvantic-check/1", ...}: doc/rules.md, "Outputs".
void WriteJson(PageWriter& out, const Outcome& outcome);
void WriteSarif(PageWriter& out, const Outcome& outcome);
// A summary table (rule, count, severity), then a table of the findings; at most about 60,000
// characters (the rest is counted, not listed).
void WriteMarkdown(PageWriter& out, const Outcome& outcome);

// "3 findings (1 error, 2 warnings)"; "no findings" when there are none.
QString Summary(const Outcome& outcome);

} // namespace Lorvantic::Check
