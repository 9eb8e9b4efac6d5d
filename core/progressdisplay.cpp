#include "core/progressdisplay.h"

#include <utility>

namespace Lorvantic {

namespace {
thread_local ProgressListener currentListener;
} // namespace

void ReportProgress(const ProgressStep& step) {
    if (currentListener)
        currentListener(step);
}

ScopedProgressListener::ScopedProgressListener(ProgressListener listener)
    : m_previous(std::exchange(currentListener, std::move(listener))) {}

ScopedProgressListener::~ScopedProgressListener() {
    currentListener = std::move(m_previous);
}

ScopedProgressDisplay::ScopedProgressDisplay(WindowOpener open)
    : m_open(std::move(open))
    , m_listener([this](const ProgressStep& step) { show(step); }) {}

ScopedProgressDisplay::~ScopedProgressDisplay() = default;

void ScopedProgressDisplay::show(const ProgressStep& step) {
    if (!m_window)
        m_window = m_open();
    if (!m_window)
        return;
    if (!step.ended)
        m_window->Status(QStringLiteral("Reading ") + step.what);
    if (step.total <= 0)
        return;
    const float done = 100.0F * static_cast<float>(step.done) / static_cast<float>(step.total);
    if (done > m_shown) {
        m_window->Progress(done - m_shown);
        m_shown = done;
    }
}

} // namespace Lorvantic
