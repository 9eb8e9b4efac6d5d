#pragma once

// The pages of the site, the search index and the two static files (stylesheet, search script),
// written into a folder from the server's picture.

#include "site/sitemodel.h"

#include <QString>

namespace Lorvantic::Site {

// Writes every file of the site into folder (which exists and is empty). generated is the moment
// the index page names ("" for none).
void WriteSiteFiles(const SiteServer& server, const QString& folder, const QString& generated);

} // namespace Lorvantic::Site
