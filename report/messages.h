#pragma once

// Message boxes of the component behind one small interface: the dialogs install one that
// shows real boxes, tests one that records the texts and answers, the command line one that
// writes to standard error.

#include <QString>

namespace Lorvantic {

enum class MessageButtons { OK, YesNo };
enum class MessageIcon { None, Exclamation, Information, Critical };
enum class MessageAnswer { OK, Yes, No };

inline const QString& DefaultCaption() {
    static const QString caption = QStringLiteral("Lorvantic");
    return caption;
}

struct Message {
    QString text;
    MessageButtons buttons = MessageButtons::OK;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::OK;
    QString caption = DefaultCaption();
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer show(const Message& message) = 0;
};

// Installs the presenter used from now on (nullptr: back to standard error); returns the old one.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

MessageAnswer ShowMessage(const Message& message);
// A message with only an OK button, no icon and the default caption.
void MsgBox(const QString& text);

} // namespace Lorvantic
