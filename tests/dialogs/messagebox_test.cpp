// Messages reach a host that runs a widget application as real message boxes when it installs
// no presenter of its own: the dialogs put one in the fallback.

#include "dialogs/widgetapplication.h"
#include "tests/support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;
using namespace Lorvantic::Test;

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows the message as for a host without a presenter; once the box is up, records it and
// answers with the button (or Escape when none is given).
std::pair<MessageAnswer, SeenBox> showAndAnswer(const Message& message,
                                                QMessageBox::StandardButton answer = QMessageBox::NoButton) {
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = nullptr;
        EXPECT_TRUE(waitUntil([&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr;
        }));
        if (!box)
            return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                box->standardButton(box->defaultButton())};
        if (answer == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
    MessagePresenter* const recording = SetMessagePresenter(nullptr);
    const MessageAnswer answered = ShowMessage(message);
    SetMessagePresenter(recording);
    return {answered, seen};
}

TEST(MessageBoxes, ShowCaptionTextIconAndButtonsAndAnswerWithTheButtonPressed) {
    ASSERT_EQ(PrepareWidgetApplication(), QString());
    const auto [ok, notice] = showAndAnswer(
        Message{u"Please select a server first."_s, MessageButtons::OK, MessageIcon::Exclamation},
        QMessageBox::Ok);
    EXPECT_EQ(ok, MessageAnswer::OK);
    EXPECT_EQ(notice.caption, u"Lorvantic"_s);
    EXPECT_EQ(notice.text, u"Please select a server first."_s);
    EXPECT_EQ(notice.icon, QMessageBox::Warning);
    EXPECT_EQ(notice.buttons, QMessageBox::Ok);

    const Message question{u"Do you wish to see details?"_s, MessageButtons::YesNo, MessageIcon::None,
                           MessageAnswer::No, u"Connection"_s};
    const auto [yes, box] = showAndAnswer(question, QMessageBox::Yes);
    EXPECT_EQ(yes, MessageAnswer::Yes);
    EXPECT_EQ(box.caption, u"Connection"_s);
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.defaultButton, QMessageBox::No);
    EXPECT_EQ(showAndAnswer(question).first, MessageAnswer::No) << "Escape";
    Message yesFirst = question;
    yesFirst.defaultAnswer = MessageAnswer::Yes;
    EXPECT_EQ(showAndAnswer(yesFirst).second.defaultButton, QMessageBox::Yes);
}

} // namespace
