#include "messages.h"

#include <cstdio>

namespace Lorvantic {

namespace {
class StandardErrorPresenter : public MessagePresenter {
public:
    MessageAnswer show(const Message& message) override {
        std::fprintf(stderr, "%s\n", message.text.toUtf8().constData());
        return message.buttons == MessageButtons::YesNo ? message.defaultAnswer : MessageAnswer::OK;
    }
};

StandardErrorPresenter standardError;
MessagePresenter* current = &standardError;
} // namespace

MessagePresenter* SetMessagePresenter(MessagePresenter* presenter) {
    MessagePresenter* old = current;
    current = presenter ? presenter : &standardError;
    return old == &standardError ? nullptr : old;
}

MessageAnswer ShowMessage(const Message& message) {
    return current->show(message);
}

void MsgBox(const QString& text) {
    ShowMessage(Message{text});
}

} // namespace Lorvantic
