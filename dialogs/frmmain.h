#pragma once

// The connection dialog of the stand-alone program: the user names a server, may test the
// connection, and starts a cube, dimension or role report on it.

#include "core/selector.h"
#include "model/olap.h"

#include <QDialog>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Lorvantic {

class frmMain : public QDialog {
    Q_OBJECT
public:
    using SelectorFactory = std::function<std::shared_ptr<Selector>(ReportKind)>;
    using ServerFactory = std::function<std::shared_ptr<Olap::Server>()>;

    explicit frmMain(SelectorFactory createSelector, ServerFactory createServer = &Olap::CreateServer,
                     QWidget* parent = nullptr);

    // Shows the dialog modally until Exit or the close box ends it; hiding it while a report
    // flow runs does not.
    int exec() override;

    qint32 helpContextID() const { return 20010; }
    bool isConnected() const { return m_connected; }

    QGroupBox* frConnection;
    QLabel* lblServer;
    QLineEdit* txtServer;
    QPushButton* cmdTestCon;
    QGroupBox* frReport;
    QPushButton* cmdCubes;
    QPushButton* cmdDimensions;
    QPushButton* cmdRoles;
    QPushButton* cmdClose;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    bool ConnectServer();
    void testConnection();
    void runReport(ReportKind kind);
    void showConnectionFailure();

    SelectorFactory m_createSelector;
    ServerFactory m_createServer;
    std::shared_ptr<Olap::Server> m_server;
    bool m_connected = false;
    QString m_errorDescription;
    QString m_errorNumber;
};

} // namespace Lorvantic
