#include "enums.h"
#include "frmmain.h"
#include "servermodel.h"
#include "settingsstore.h"
#include "testsupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Lorvantic;
namespace lt = Lorvantic::Test;
using lt::ScopedEnv;

namespace {

const QString App = QStringLiteral("Kavenor");

// A server object that counts its connections and accepts only the name "good".
class CountingServer : public Olap::Server {
public:
    explicit CountingServer(int& connects)
        : m_connects(connects) {}
    void Connect(const QString& name) override {
        ++m_connects;
        if (name != QLatin1String("good"))
            throw Error(-2147221399, QStringLiteral("Server '%1' is not known").arg(name));
        m_name = name;
    }
    QString Name() const override { return m_name; }
    Olap::CollectionPtr<Olap::Store> Databases() const override { return nullptr; }

private:
    int& m_connects;
    QString m_name;
};

// Records what the connection dialog does with a selector.
class RecordingSelector : public Selector {
public:
    struct Log {
        QString serverName;
        std::shared_ptr<Olap::Server> server;
        qint32 mode = -1;
        int shown = 0;
        bool dialogHiddenDuringFlow = false;
        int released = 0;
    };
    RecordingSelector(Log& log, const QWidget* dialog)
        : m_log(log)
        , m_dialog(dialog) {}
    ~RecordingSelector() override { ++m_log.released; }
    qint32 get_InitMode() const override { return m_log.mode; }
    void put_InitMode(qint32 newMode) override { m_log.mode = newMode; }
    void putref_DSOServer(std::shared_ptr<Olap::Server> newServ) override {
        m_log.server = std::move(newServ);
    }
    void put_ServerName(const QString& newServName) override { m_log.serverName = newServName; }
    void ShowForm() override {
        ++m_log.shown;
        m_log.dialogHiddenDuringFlow = !m_dialog->isVisible();
    }

private:
    Log& m_log;
    const QWidget* m_dialog;
};

struct Harness {
    ScopedEnv settings{"XDG_CONFIG_HOME", lt::freshFolder()};
    int connects = 0;
    RecordingSelector::Log log;
    std::vector<ReportKind> kinds;
    std::unique_ptr<frmMain> dialog;

    Harness() {
        lt::presenter().clear();
        dialog = std::make_unique<frmMain>(
            [this](ReportKind kind) {
                kinds.push_back(kind);
                return std::make_shared<RecordingSelector>(log, dialog.get());
            },
            [this] { return std::make_shared<CountingServer>(connects); });
        dialog->show();
    }
};

} // namespace

TEST(frmMain, ShowsItsControlsWithCaptionsTipsAndTabOrder) {
    Harness h;
    frmMain& d = *h.dialog;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Vusk - OLAP: meta data reports"));
    EXPECT_EQ(d.helpContextID(), 20010);
    EXPECT_EQ(d.frConnection->title(), QStringLiteral("Connect to OLAP Server:"));
    EXPECT_EQ(d.lblServer->text(), QStringLiteral("&Servername:"));
    EXPECT_EQ(d.txtServer->toolTip(), QStringLiteral("Enter the name of the server"));
    EXPECT_EQ(d.frReport->title(), QStringLiteral("Report on:"));
    const std::pair<QPushButton*, const char*> buttons[] = {{d.cmdTestCon, "&Test connection"},
                                                            {d.cmdCubes, "&Cubes"},
                                                            {d.cmdDimensions, "&Dimensions"},
                                                            {d.cmdRoles, "&Roles"},
                                                            {d.cmdClose, "E&xit"}};
    for (const auto& [button, caption] : buttons)
        EXPECT_EQ(button->text(), QLatin1String(caption));
    EXPECT_EQ(d.cmdRoles->toolTip(), QStringLiteral("Generate roles report"));
    // One column: same left edge and width for the test and report buttons.
    const int left = d.cmdTestCon->mapTo(&d, QPoint()).x();
    for (QPushButton* b : {d.cmdCubes, d.cmdDimensions, d.cmdRoles}) {
        EXPECT_EQ(b->mapTo(&d, QPoint()).x(), left);
        EXPECT_EQ(b->width(), d.cmdTestCon->width());
    }
    // Tab order: text box, the three report buttons, test, exit.
    QWidget* w = d.txtServer;
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("cmdCubes"), QStringLiteral("cmdDimensions"),
                                  QStringLiteral("cmdRoles"), QStringLiteral("cmdTestCon"),
                                  QStringLiteral("cmdClose")}));
}

TEST(frmMain, FirstStartAsksForAServerFirst) {
    Harness h;
    EXPECT_TRUE(h.dialog->txtServer->text().isEmpty());
    QTest::mouseClick(h.dialog->cmdCubes, Qt::LeftButton);
    ASSERT_EQ(lt::presenter().shown.size(), 1u);
    EXPECT_EQ(lt::presenter().shown[0].text, QStringLiteral("Please select a server first."));
    EXPECT_EQ(lt::presenter().shown[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(h.kinds.empty());
    EXPECT_EQ(h.connects, 0);
}

TEST(frmMain, ATestedConnectionIsUsedByTheNextReport) {
    Harness h;
    QTest::keyClicks(h.dialog->txtServer, QStringLiteral("good"));
    QTest::mouseClick(h.dialog->cmdTestCon, Qt::LeftButton);
    EXPECT_EQ(lt::presenter().texts(), QStringList{QStringLiteral("Connection successful")});
    EXPECT_EQ(
        GetSetting(App, QStringLiteral("Server"), QStringLiteral("Last Server"), QStringLiteral("(none)")),
        QStringLiteral("(none)"))
        << "testing does not store the name";
    QTest::mouseClick(h.dialog->cmdRoles, Qt::LeftButton);
    EXPECT_EQ(h.connects, 1) << "no second connection";
    EXPECT_EQ(h.kinds, std::vector<ReportKind>{ReportKind::Roles});
    EXPECT_EQ(h.log.serverName, QStringLiteral("good"));
    EXPECT_EQ(h.log.mode, qint32(imApplication));
    ASSERT_TRUE(h.log.server);
    EXPECT_EQ(h.log.server->Name(), QStringLiteral("good"));
    EXPECT_EQ(h.log.shown, 1);
    EXPECT_TRUE(h.log.dialogHiddenDuringFlow);
    EXPECT_TRUE(h.dialog->isVisible()) << "shown again after the flow";
    EXPECT_EQ(h.log.released, 1) << "the selector goes once the press is handled";
    EXPECT_EQ(GetSetting(App, QStringLiteral("Server"), QStringLiteral("Last Server"), QString()),
              QStringLiteral("good"));
}

TEST(frmMain, AnEditMeansANewConnection) {
    Harness h;
    h.dialog->txtServer->setText(QStringLiteral("good"));
    QTest::mouseClick(h.dialog->cmdTestCon, Qt::LeftButton);
    QTest::keyClick(h.dialog->txtServer, Qt::Key_End);
    QTest::keyClick(h.dialog->txtServer, Qt::Key_Backspace);
    QTest::keyClicks(h.dialog->txtServer, QStringLiteral("d"));
    EXPECT_FALSE(h.dialog->isConnected());
    QTest::mouseClick(h.dialog->cmdCubes, Qt::LeftButton);
    EXPECT_EQ(h.connects, 2);
    EXPECT_EQ(h.log.shown, 1);
}

TEST(frmMain, AFailedConnectionAsksWhetherToShowTheDetails) {
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        Harness h;
        SaveSetting(App, QStringLiteral("Server"), QStringLiteral("Last Server"), QStringLiteral("earlier"));
        h.dialog->txtServer->setText(QStringLiteral("bad"));
        lt::presenter().answers = {answer};
        QTest::mouseClick(h.dialog->cmdCubes, Qt::LeftButton);
        const auto& shown = lt::presenter().shown;
        ASSERT_EQ(shown.size(), answer == MessageAnswer::Yes ? 2u : 1u);
        EXPECT_EQ(shown[0].text,
                  QStringLiteral("Unable to connect to server: bad\r\nDo you wish to see details?"));
        EXPECT_EQ(shown[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(shown[0].defaultAnswer, MessageAnswer::No);
        EXPECT_EQ(shown[0].icon, MessageIcon::None);
        if (answer == MessageAnswer::Yes) {
            EXPECT_EQ(
                shown[1].text,
                QStringLiteral("Error message: Server 'bad' is not known\r\nError number: -2147221399"));
        }
        EXPECT_EQ(h.log.shown, 0);
        EXPECT_EQ(h.log.released, 1) << "the new selector is discarded";
        EXPECT_EQ(GetSetting(App, QStringLiteral("Server"), QStringLiteral("Last Server"), QString()),
                  QStringLiteral("earlier"));
    }
}

TEST(frmMain, LoadsTheLastServerAndEndsOnlyWhenClosed) {
    ScopedEnv settings("XDG_CONFIG_HOME", lt::freshFolder());
    SaveSetting(App, QStringLiteral("Server"), QStringLiteral("Last Server"), QStringLiteral("OLAP 01/ä"));
    int connects = 0;
    int flows = 0;
    std::unique_ptr<frmMain> dialog;
    RecordingSelector::Log log;
    dialog = std::make_unique<frmMain>(
        [&](ReportKind) {
            ++flows;
            return std::make_shared<RecordingSelector>(log, dialog.get());
        },
        [&] { return std::make_shared<CountingServer>(connects); });
    EXPECT_EQ(dialog->txtServer->text(), QStringLiteral("OLAP 01/ä"));
    dialog->txtServer->setText(QStringLiteral("good"));
    // A report hides the dialog, which must not end the modal showing; Exit does.
    QTimer::singleShot(0, dialog.get(), [&] {
        dialog->cmdDimensions->click();
        QTimer::singleShot(0, dialog.get(), [&] { dialog->cmdClose->click(); });
    });
    dialog->exec();
    EXPECT_EQ(flows, 1);
    EXPECT_FALSE(dialog->isVisible());
}
