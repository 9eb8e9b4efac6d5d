#pragma once

// File names and anchors of the site, made from object names by one rule:
//   KIND-SLUG-HASH.html
// KIND is "database", "cube", "dimension" or "role"; SLUG is the name's ASCII letters and digits in
// lower case, every other run of characters one '-', at most 40 characters (empty allowed); HASH
// is the first 12 hex digits (lower case) of the SHA-256 of KIND, the database name and the exact
// name (UTF-8, separated by NUL). The name never holds '/', '.' or upper-case letters, so it stays
// inside the site's folder, differs from every other on a file system that ignores letter case,
// and is the same on every run.

#include <QString>
#include <QStringView>

namespace Lorvantic::Site {

QString PageFileName(QStringView kind, QStringView database, QStringView name);

} // namespace Lorvantic::Site
