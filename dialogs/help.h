#pragma once

#include <QString>

namespace Lorvantic {

// The help page of a context identifier ("20110.html" in the help folder), or "" when the
// help pages are not installed.
QString HelpTopicPath(qint32 helpContextId);

// Opens the topic in the browser; false when there is no page or no browser.
bool ShowHelpTopic(qint32 helpContextId);

} // namespace Lorvantic
