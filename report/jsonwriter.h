#pragma once

// JSON pieces the report's data writers share: strings and typed values written straight into a
// sink, so that no document is ever held in memory.

#include "report/pagewriter.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringView>

namespace Lorvantic::Json {

// The text as a JSON string. Besides what JSON requires, '<', '>' and '&' are escaped, so the
// data can sit inside a page's script without ending it.
void AppendString(PageWriter& out, QStringView text);
// The same as a text, for pieces made once.
QString String(QStringView text);
// The text read as a number, in the C locale or else the user's (no group separators); "null"
// when it is none or not finite.
QByteArray Number(QStringView text);
void AppendNumber(PageWriter& out, QStringView text);
// A moment as ISO 8601 ("2026-11-30T14:05:00", with "Z" or an offset where it has one).
QString Moment(const QDateTime& when);

} // namespace Lorvantic::Json
