#include "dialogs/frmmain.h"

#include "core/messages.h"
#include "core/progressdisplay.h"
#include "core/selector.h"
#include "dialogs/frmprogress.h"
#include "dialogs/help.h"
#include "dialogs/waitcursor.h"
#include "model/servername.h"
#include "settings/settingsstore.h"

#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Lorvantic {

namespace {
const QString Application = QStringLiteral("Kavenor");
const QString ServerSection = QStringLiteral("Server");
const QString LastServerKey = QStringLiteral("Last Server");

QPushButton* button(const char* name, const QString& caption, const QString& tip, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}
} // namespace

frmMain::frmMain(SelectorFactory createSelector, ServerFactory createServer, QWidget* parent)
    : QDialog(parent)
    , m_createSelector(std::move(createSelector))
    , m_createServer(std::move(createServer)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vusk - OLAP: meta data reports"));
    buildControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    QString lastServer;
    BestEffort(SettingsAccess::Read,
               [&] { lastServer = GetSetting(Application, ServerSection, LastServerKey, QString()); });
    txtServer->setText(lastServer);
    connect(txtServer, &QLineEdit::textChanged, this, [this] { m_connected = false; });
    connect(cmdTestCon, &QPushButton::clicked, this, [this] { testConnection(); });
    connect(cmdCubes, &QPushButton::clicked, this, [this] { runReport(ReportKind::Cubes); });
    connect(cmdDimensions, &QPushButton::clicked, this, [this] { runReport(ReportKind::Dimensions); });
    connect(cmdRoles, &QPushButton::clicked, this, [this] { runReport(ReportKind::Roles); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void frmMain::buildControls() {
    frConnection = new QGroupBox(QStringLiteral("Connect to OLAP Server:"), this);
    frConnection->setObjectName(QStringLiteral("frConnection"));
    lblServer = new QLabel(QStringLiteral("&Servername:"), frConnection);
    lblServer->setObjectName(QStringLiteral("lblServer"));
    txtServer = new QLineEdit(frConnection);
    txtServer->setObjectName(QStringLiteral("txtServer"));
    txtServer->setToolTip(QStringLiteral("Enter the name of the server"));
    lblServer->setBuddy(txtServer);
    cmdTestCon = button("cmdTestCon", QStringLiteral("&Test connection"),
                        QStringLiteral("Test the connection"), frConnection);

    frReport = new QGroupBox(QStringLiteral("Report on:"), this);
    frReport->setObjectName(QStringLiteral("frReport"));
    cmdCubes =
        button("cmdCubes", QStringLiteral("&Cubes"), QStringLiteral("Generate cubes report"), frReport);
    cmdDimensions = button("cmdDimensions", QStringLiteral("&Dimensions"),
                           QStringLiteral("Generate dimensions report"), frReport);
    cmdRoles =
        button("cmdRoles", QStringLiteral("&Roles"), QStringLiteral("Generate roles report"), frReport);
    cmdClose = button("cmdClose", QStringLiteral("E&xit"), QString(), this);

    // The test and report buttons share one column under the text box: same left edge, same width.
    constexpr int ButtonWidth = 150;
    for (QPushButton* b : {cmdTestCon, cmdCubes, cmdDimensions, cmdRoles})
        b->setFixedWidth(ButtonWidth);

    auto* connection = new QGridLayout(frConnection);
    connection->addWidget(lblServer, 0, 0);
    connection->addWidget(txtServer, 0, 1);
    connection->addWidget(cmdTestCon, 1, 1, Qt::AlignLeft);
    txtServer->setMinimumWidth(ButtonWidth + 60);

    auto* report = new QGridLayout(frReport);
    // A blank as wide as the label keeps the report buttons under the test button (an empty
    // column, or a spacer, would get no spacing after it).
    auto* indent = new QWidget(frReport);
    indent->setFixedSize(lblServer->sizeHint().width(), 0);
    report->addWidget(indent, 0, 0);
    report->addWidget(cmdCubes, 0, 1, Qt::AlignLeft);
    report->addWidget(cmdDimensions, 1, 1, Qt::AlignLeft);
    report->addWidget(cmdRoles, 2, 1, Qt::AlignLeft);
    report->setColumnStretch(1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdClose);

    auto* main = new QVBoxLayout(this);
    main->addWidget(frConnection);
    main->addWidget(frReport);
    main->addLayout(bottom);

    // Tab order: frame, label, text box, report frame and its buttons, test button, exit.
    setTabOrder(txtServer, cmdCubes);
    setTabOrder(cmdCubes, cmdDimensions);
    setTabOrder(cmdDimensions, cmdRoles);
    setTabOrder(cmdRoles, cmdTestCon);
    setTabOrder(cmdTestCon, cmdClose);
}

int frmMain::exec() {
    // QDialog::exec() would end when a report flow hides the dialog; this loop ends only when
    // the dialog is finished (Exit or the close box).
    setAttribute(Qt::WA_ShowModal, true);
    show();
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    return result();
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        ShowHelpTopic(helpContextID());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmMain::ConnectServer() {
    m_server = m_createServer();
    WaitCursor wait;
    // A live server is read with requests that may take a while: the progress window shows them.
    const ScopedProgressDisplay progress(
        []() -> std::unique_ptr<ProgressWindow> { return ShowProgressWindow(); });
    try {
        m_server->Connect(txtServer->text());
    } catch (const Error& failure) {
        m_server.reset();
        m_errorDescription = failure.description();
        m_errorNumber = QString::number(failure.number());
        return false;
    }
    m_connected = true;
    return true;
}

void frmMain::testConnection() {
    if (ConnectServer())
        MsgBox(QStringLiteral("Connection successful"));
    else
        showConnectionFailure();
}

void frmMain::showConnectionFailure() {
    Message question;
    question.text = QStringLiteral("Unable to connect to server: ") + txtServer->text() +
                    QStringLiteral("\r\nDo you wish to see details?");
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::No;
    if (ShowMessage(question) != MessageAnswer::Yes)
        return;
    MsgBox(QStringLiteral("Error message: ") + m_errorDescription + QStringLiteral("\r\nError number: ") +
           m_errorNumber);
}

void frmMain::runReport(ReportKind kind) {
    if (txtServer->text().isEmpty()) {
        Message warning;
        warning.text = QStringLiteral("Please select a server first.");
        warning.icon = MessageIcon::Exclamation;
        ShowMessage(warning);
        return;
    }
    // The selector lives for this press only; its end erases the pages it wrote.
    const std::shared_ptr<Selector> selector = m_createSelector(kind);
    selector->put_ServerName(txtServer->text());
    if (!m_connected && !ConnectServer()) {
        showConnectionFailure();
        return;
    }
    BestEffort(SettingsAccess::Write, [&] {
        // A password in a server address is never stored.
        SaveSetting(Application, ServerSection, LastServerKey, Olap::DisplayServerName(txtServer->text()));
    });
    selector->putref_DSOServer(m_server);
    selector->put_InitMode(imApplication);
    hide();
    selector->ShowForm();
    show();
}

} // namespace Lorvantic
