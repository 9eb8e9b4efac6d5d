#pragma once

// The two files every site carries unchanged: the stylesheet and the search script.

#include <QByteArrayView>

namespace Lorvantic::Site {

QByteArrayView StyleSheet();
// Reads window.lorvanticSearch (search-index.js) and serves the search box of the page.
QByteArrayView SearchScript();

} // namespace Lorvantic::Site
