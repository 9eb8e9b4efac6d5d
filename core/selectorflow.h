#pragma once

// The sequence every road drives a selector through: connect, build the catalogue, and, with the
// rows the road checked, collect and write the page. The dialog road checks the rows its
// selection dialog returns, the command line the rows its arguments name; both use this one
// sequence, so a change to it reaches both.

#include "core/progress.h"
#include "core/selectorstate.h"
#include "lorvantic_export.h"

#include <functional>
#include <memory>

namespace Lorvantic {

class LORVANTIC_EXPORT SelectorFlow {
public:
    // Opens the road's progress display (a window, a terminal line), or none.
    using ProgressOpener = std::function<std::unique_ptr<ProgressWindow>()>;

    SelectorFlow(SelectorState& state, SelectorKind& kind, ProgressOpener openProgress);

    // Opens the progress display at its first step, connects to the server by name unless the
    // host handed a server object over, and builds the catalogue. The display stays open: the
    // road closes it when it has shown what it needs.
    void OpenCatalogue();
    // Collects the items checked in the state's catalogue and information tree and writes the
    // page, with the index when asked, under a progress display of its own.
    void Report(bool index);

    // In application mode only: other selectors have no progress display.
    void OpenProgress();
    void CloseProgress();

private:
    SelectorState& m_state;
    SelectorKind& m_kind;
    ProgressOpener m_openProgress;
};

} // namespace Lorvantic
