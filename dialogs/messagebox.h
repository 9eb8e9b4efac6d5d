#pragma once

// Real message boxes behind the component's message interface.

#include "core/messages.h"

namespace Lorvantic {

class MessageBoxPresenter : public MessagePresenter {
public:
    // Shows a modal box with the caption, text, icon and buttons, the default answer on the
    // default button; the window's close box and Escape give OK, or No for a question.
    MessageAnswer show(const Message& message) override;
};

} // namespace Lorvantic
