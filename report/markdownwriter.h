#pragma once

// Markdown pieces the report's writers share (GitHub Flavoured Markdown).

#include "report/pagewriter.h"

#include <QString>
#include <QStringView>

namespace Lorvantic::Markdown {

// The text so that it stays text in a table cell or a heading: every character Markdown could
// read as markup is escaped, '<' and '&' become entities, line breaks and other control
// characters numeric references, and blanks at either end references too (a cell drops them).
QString Text(QStringView text);
// True when Text would give the text back unchanged.
bool IsPlain(QStringView text);
// Text written into the sink without a copy.
void AppendText(PageWriter& out, QStringView text);

} // namespace Lorvantic::Markdown
