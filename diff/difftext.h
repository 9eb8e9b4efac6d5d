#pragma once

// The changes as text, one line per change, for logs and terminals:
//
//   + cube "Sales" in "FoodMart"
//   - cube "Sales" in "FoodMart": measure "Profit"
//   ~ cube "Sales" in "FoodMart": measure "Store Cost": Display Format "#,###.00" -> "Currency"
//
// '+' added on the new server, '-' removed from it, '~' a value changed. The item is named with
// its database always; parts follow from the outside in. Every name and value is in double
// quotes, with '"', '\' and control characters escaped as in C.

#include "diff/servercompare.h"

#include <QString>
#include <QStringList>

namespace Lorvantic::Diff {

// The text in double quotes, escaped.
QString Quoted(QStringView text);

QString ChangeLine(const Change& change);

// Every change's line, each ending in a line feed; "no differences\n" when there is none.
QString DiffText(const std::vector<Change>& changes);

} // namespace Lorvantic::Diff
