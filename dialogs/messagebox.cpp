#include "dialogs/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace Lorvantic {

namespace {
QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton boxButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::OK:
        break;
    }
    return QMessageBox::Ok;
}

// A question defaults to Yes unless No is asked for; a plain message has only OK.
MessageAnswer defaultAnswer(const Message& message) {
    if (message.buttons == MessageButtons::OK)
        return MessageAnswer::OK;
    return message.defaultAnswer == MessageAnswer::No ? MessageAnswer::No : MessageAnswer::Yes;
}

MessageAnswer answerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::OK;
    }
}
} // namespace

MessageAnswer MessageBoxPresenter::show(const Message& message) {
    const bool question = message.buttons == MessageButtons::YesNo;
    QMessageBox box(boxIcon(message.icon), message.caption, message.text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(boxButton(defaultAnswer(message)));
    box.setEscapeButton(question ? QMessageBox::No : QMessageBox::Ok);
    return answerOf(box.exec());
}

} // namespace Lorvantic
