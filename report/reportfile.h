#pragma once

// Report files in the temporary folder, line writing, the browser, and the value texts the
// report steps share. None of these raise: each returns its outcome or swallows its failure.

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace Lorvantic {

namespace Olap {
class Store;
}

// The folder for report files: TEMP, else TMPDIR, else /tmp.
QString TempFolder();

// Makes a new page name "VOK<hex>.html" in the temporary folder; its empty companion
// "VOK<hex>.tmp" and the page itself are created exclusively (0600, links never followed).
// False, with path unchanged, when no name could be made.
bool CreateTempFile(QString& path);

// Appends the bytes to the file (created 0600 if missing, links not followed); false on failure,
// which leaves the file as it was (a part written before a full disk is cut off again).
bool AppendBytes(const QString& path, const QByteArray& bytes);

// Appends text and CR LF to the file, creating it if missing. Failures lose the line silently.
void AppendLine(const QString& path, const QString& text);

// Opens the file in the user's browser ($BROWSER, else xdg-open); true when it could be started.
bool LaunchBrowser(const QString& path);

// Deletes the page, then its companion (the name with "tmp" in place of the last four
// characters); false at the first deletion that fails.
bool EraseTempFiles(const QString& path);

// The store's estimated size in megabytes, "0.00" in the user's locale; "0" on any failure.
QString GetSizeInMB(const Olap::Store& store);

// "Processed" or "Not Processed".
QString GetProcessedText(bool processed);

// The value of key in a connection string: text after the key's first occurrence, after the
// next mark, up to the terminator, trimmed of blanks; all searches ignore letter case.
QString GetConnectionValue(const QVariant& connection, const QString& key, const QString& mark,
                           const QString& terminator);

// Short date, a blank and the time with seconds, the time left out at exactly midnight.
QString GeneralDateText(const QDateTime& when);
QString ShortDateText(const QDateTime& when);
QString TimeText(const QDateTime& when);

// The text of when the object (a cube or a dimension) was last processed, with the moment in
// when; notProcessed, and when left as it is, for one never processed.
template <class Object>
QString ProcessingDateText(const Object& object, QDateTime& when, const QString& notProcessed) {
    if (object.State() == 0)
        return notProcessed;
    when = object.LastProcessed();
    return GeneralDateText(when);
}

// The moment a page header shows: SOURCE_DATE_EPOCH (as UTC) when set, else the clock.
QDateTime ReportClock();

} // namespace Lorvantic
