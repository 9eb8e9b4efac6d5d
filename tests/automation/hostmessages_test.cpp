// Messages reach a host that runs a widget application as real message boxes when it installs
// no presenter of its own. (With one installed, it has them: the selector flow tests.)

#include "automation/dispatch.h"
#include "automation/factory.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;
namespace lt = Lorvantic::Test;

namespace {

// The test's recording presenter steps aside for the scope, as if the host had none.
class NoInstalledPresenter {
public:
    NoInstalledPresenter()
        : m_recording(SetMessagePresenter(nullptr)) {}
    ~NoInstalledPresenter() { SetMessagePresenter(m_recording); }
    NoInstalledPresenter(const NoInstalledPresenter&) = delete;
    NoInstalledPresenter& operator=(const NoInstalledPresenter&) = delete;

private:
    MessagePresenter* m_recording;
};

// Runs the call and closes each message box it shows; returns their texts.
QStringList boxesShownBy(const std::function<void()>& call) {
    QStringList texts;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    closer.start(20);
    call();
    return texts;
}

const QString unknownServer = u"no server of this name"_s;

// Through the late-bound call, the way a scripting host reaches ShowForm.
TEST(HostMessages, ACubeFailureIsAMessageBox) {
    const lt::ScopedEnv noServers("LORVANTIC_SERVER_PATH", lt::freshFolder());
    const NoInstalledPresenter hostWithoutPresenter;
    const QStringList boxes = boxesShownBy([] {
        const std::shared_ptr<Dispatch> selector = CreateObject(u"Lorvantic.MetaSelCube");
        selector->Invoke(u"ServerName"_s, InvokeKind::PropertyPut, {unknownServer});
        selector->Invoke(u"ShowForm"_s, InvokeKind::Method);
    });
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.front().contains(unknownServer)) << boxes.front().toStdString();
}

} // namespace
