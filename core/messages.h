#pragma once

// Message boxes of the component behind one small interface. Tests install a presenter that
// records the texts and answers; without one, messages go to the fallback: standard error until
// the dialogs put one there that shows real boxes where a widget application runs.

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

// Installs the presenter used from now on (nullptr: back to the fallback); returns the old one.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

// The presenter used while none is installed (nullptr: standard error again).
void SetFallbackMessagePresenter(MessagePresenter* presenter);
// Writes the text to standard error; a question gets its default answer.
MessageAnswer ShowOnStandardError(const Message& message);

MessageAnswer ShowMessage(const Message& message);
// A message with only an OK button, no icon and the default caption.
void MsgBox(const QString& text);

} // namespace Lorvantic
