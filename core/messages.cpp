#include "core/messages.h"

#include <atomic>
#include <cstdio>
#include <utility>

namespace Lorvantic {

namespace {
// The fallback may be set from whichever thread first shows a dialog.
MessagePresenter* installed = nullptr;
std::atomic<MessagePresenter*> fallback{nullptr};
} // namespace

MessageAnswer ShowOnStandardError(const Message& message) {
    std::fprintf(stderr, "%s\n", message.text.toUtf8().constData());
    return message.buttons == MessageButtons::YesNo ? message.defaultAnswer : MessageAnswer::OK;
}

MessagePresenter* SetMessagePresenter(MessagePresenter* presenter) {
    return std::exchange(installed, presenter);
}

void SetFallbackMessagePresenter(MessagePresenter* presenter) {
    fallback.store(presenter);
}

MessageAnswer ShowMessage(const Message& message) {
    if (installed)
        return installed->show(message);
    if (MessagePresenter* other = fallback.load())
        return other->show(message);
    return ShowOnStandardError(message);
}

void MsgBox(const QString& text) {
    ShowMessage(Message{text});
}

} // namespace Lorvantic
