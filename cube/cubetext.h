#pragma once

// Text rules of the cube collection that depend on nothing but their input.

#include <QString>

namespace Lorvantic {

// A calculated member's statement cut down to the member's name: a leading "CREATE MEMBER"
// and the character after it are dropped, and everything from the first "AS '" on. Both
// matches are exact (letter case included); the result is not trimmed.
QString CalcMemberStatementText(const QString& statement);

// A private dimension's own name: its full name without the first (cube name length + 1)
// characters, which hold the cube's name and one separator.
QString PrivateDimensionName(const QString& fullName, const QString& cubeName);

} // namespace Lorvantic
