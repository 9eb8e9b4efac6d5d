#pragma once

// Real message boxes behind the component's message interface.

#include "messages.h"

namespace Lorvantic {

class MessageBoxPresenter : public MessagePresenter {
public:
    // Shows a modal box with the caption, text, icon and buttons, the default answer on the
    // default button; the window's close box and Escape give OK, or No for a question.
    MessageAnswer show(const Message& message) override;
};

// Shows real message boxes for its lifetime, then restores the presenter it found.
class ScopedMessageBoxes {
public:
    ScopedMessageBoxes();
    ~ScopedMessageBoxes();
    ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
    ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

private:
    MessageBoxPresenter m_presenter;
    MessagePresenter* m_previous;
};

} // namespace Lorvantic
