#pragma once

// Windows need a widget application on the calling thread. A host that embeds the component
// may have none: a plain C host or a script gets one made here, when a display can be reached.

#include <QString>

namespace Lorvantic {

// Makes sure the dialogs can be shown on the calling thread and returns an empty text, or says
// why they cannot. A host without any Qt application gets a widget application of the
// library's own, kept for every later call. From the first call on, messages are shown in
// message boxes wherever a widget application runs on the calling thread.
QString PrepareWidgetApplication();

// Whether a widget application runs on the calling thread.
bool WidgetApplicationOnThisThread();

} // namespace Lorvantic
