#pragma once

#include <QString>

namespace Lorvantic {

// What the catalogue, collection and page steps tell the user while they work. The selection
// road shows it in the progress window; the command line on a terminal. Only selectors in
// application mode have one.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // Advances the bar by the amount (single precision); the bar never passes 100.
    virtual void Progress(float nProgress) = 0;
    virtual void Status(const QString& sStatus) = 0;
    virtual void Close() = 0;
};

// Lets pending window messages run so that a progress display repaints; does nothing when the
// program has no event loop.
void LetEventsRun();

} // namespace Lorvantic
