#pragma once

// The sequence every road drives a selector through: connect, build the selection, and, with
// the rows the road checked, collect and write the page. The dialog road checks the rows in its
// selection dialog, the command line the rows its arguments name; both use this one sequence,
// so a change to it reaches both.

#include "core/progress.h"
#include "core/selectorstate.h"
#include "selection/selection.h"
#include "selection/selectiondialog.h"
#include "selection/selectorkind.h"

#include <functional>
#include <memory>

namespace Lorvantic {

class SelectorFlow {
public:
    // Opens the road's progress display (a window, a terminal line), or none.
    using ProgressOpener = std::function<std::unique_ptr<ProgressWindow>()>;

    SelectorFlow(SelectorState& state, SelectorKind& kind, ProgressOpener openProgress);

    // Opens the progress display at its first step, connects to the server by name unless the
    // host handed a server object over, and builds the selection: the catalogue, its columns
    // and the information categories, all unchecked. The display stays open: the road closes
    // it when it has shown what it needs.
    Selection OpenCatalogue();
    // Collects the selection's checked rows and writes the page, with the index when asked,
    // under a progress display of its own.
    void Report(const Selection& selection, bool index);
    // The dialog road, after OpenCatalogue: the selection is offered to the dialog, the
    // catalogue's display closes, and every report the user asks for is written, until the
    // dialog is closed.
    void Run(SelectionDialog& dialog, Selection selection);

    // In application mode only: other selectors have no progress display.
    void OpenProgress();
    void CloseProgress();

private:
    SelectorState& m_state;
    SelectorKind& m_kind;
    ProgressOpener m_openProgress;
};

// The one loop over a selection's rows: the kind begins a new list for the selection and takes
// each checked row, while the state's progress display advances an equal share of 75 points per
// row and says what is being collected. A selection without rows fails once the list is made.
void CollectSelection(SelectorKind& kind, const Selection& selection, const SelectorState& state);

} // namespace Lorvantic
