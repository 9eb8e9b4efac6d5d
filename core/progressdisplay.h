#pragma once

// Work that takes a while and does not know who watches it (reading a live server) tells its
// steps here; a caller that wants them shown or recorded listens on the same thread while the
// work runs.

#include "core/progress.h"

#include <QString>
#include <functional>
#include <memory>

namespace Lorvantic {

// One step of a piece of work made of tasks.
struct ProgressStep {
    int done = 0;       // tasks ended so far
    int total = 0;      // tasks known so far: grows as the work learns more
    QString what;       // the task that began or ended: "MDSCHEMA_LEVELS of catalogue 'FoodMart'"
    bool ended = false; // what ended (else it began)
};
using ProgressListener = std::function<void(const ProgressStep&)>;

// Tells the step to the listener of this thread, if there is one.
void ReportProgress(const ProgressStep& step);

// While it lives, the steps reported on this thread go to the listener; the one it replaces
// hears them again afterwards. The listener runs inside the work and must not start more of it.
class ScopedProgressListener {
public:
    explicit ScopedProgressListener(ProgressListener listener);
    ~ScopedProgressListener();
    ScopedProgressListener(const ScopedProgressListener&) = delete;
    ScopedProgressListener& operator=(const ScopedProgressListener&) = delete;

private:
    ProgressListener m_previous;
};

// While it lives, the steps reported on this thread show in a progress window that open() gives
// at the first step: the status "Reading " + what as a task begins, the bar at done of total,
// never going back. The window goes with the display.
class ScopedProgressDisplay {
public:
    using WindowOpener = std::function<std::unique_ptr<ProgressWindow>()>;
    explicit ScopedProgressDisplay(WindowOpener open);
    ~ScopedProgressDisplay();
    ScopedProgressDisplay(const ScopedProgressDisplay&) = delete;
    ScopedProgressDisplay& operator=(const ScopedProgressDisplay&) = delete;

private:
    void show(const ProgressStep& step);

    WindowOpener m_open;
    std::unique_ptr<ProgressWindow> m_window;
    float m_shown = 0; // the bar's percentage
    ScopedProgressListener m_listener;
};

} // namespace Lorvantic
