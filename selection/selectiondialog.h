#pragma once

// What the selector flow needs of a selection dialog, whatever shows it.

#include "selection/selection.h"

namespace Lorvantic {

class SelectionDialog {
public:
    virtual ~SelectionDialog() = default;
    // Takes the selection to show, while the catalogue's progress display is still open.
    virtual void Offer(const Selection& selection) = 0;
    // Shows the dialog until the user closes it or asks for a report. On a report request it
    // returns true with the selection as the user left it (the rows in the order shown) and
    // whether the page gets an index; the next call shows the dialog again as it was left.
    virtual bool AskForReport(Selection& selection, bool& index) = 0;
};

} // namespace Lorvantic
