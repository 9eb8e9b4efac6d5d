#pragma once

// The documentation site of a whole server: a folder of linked pages (server, databases, cubes,
// shared dimensions, roles), the dimension usage and role matrices, and a search index, opened
// straight from disk.

#include "model/olap.h"

#include <QString>

namespace Lorvantic::Site {

// The file a folder holds when this tool wrote the site in it.
inline constexpr auto MarkerFileName = ".lorvantic-site";
// The number of the failure when the folder cannot be written or replaced.
inline constexpr qint32 SiteNotWritten = 75;

// Writes the site of the connected server to folder. The site is made in a new sibling folder and
// put in place at the end; a folder already there is replaced only when it holds the marker file,
// and stays as it was when anything fails. Raises Lorvantic::Error when the server cannot be read
// or the folder not written. The index page names the moment of ReportClock().
void WriteSite(const Olap::Server& server, const QString& folder);

} // namespace Lorvantic::Site
