// The default backend: a server object that, once connected, answers from a server description
// read in full at connect, or from a live XMLA server read in full at connect.

#include "external/readers/serverfiles.h"
#include "external/xmla/xmlaserver.h"
#include "model/olap.h"
#include "model/servermodel.h"

namespace Lorvantic::Olap {

namespace {

class DescriptionServer : public Server {
public:
    // On failure the object stays as it was: a new description replaces the old one only whole.
    void Connect(const QString& serverName) override {
        if (serverName.isEmpty())
            throw Error(ErrorNumber::ServerNotFound,
                        ServerLabel(serverName) + QStringLiteral(": no server name given"));
        if (IsXmlaServerName(serverName)) {
            m_loaded = ServerFromModel(std::make_shared<const ServerData>(ReadXmlaServer(serverName)));
            return;
        }
        const QString path = FindServerDescription(serverName);
        if (path.isEmpty())
            throw Error(ErrorNumber::ServerNotFound, ServerLabel(serverName) + notFoundReason(serverName));
        m_loaded =
            ServerFromModel(std::make_shared<const ServerData>(LoadServerDescription(serverName, path)));
    }

    QString Name() const override { return loaded().Name(); }
    CollectionPtr<Store> Databases() const override { return loaded().Databases(); }

private:
    static QString notFoundReason(const QString& serverName) {
        if (serverName.contains(u'/'))
            return QStringLiteral(": no such file");
        return QStringLiteral(": no server description named ") + serverName +
               QStringLiteral(" (.json, .xml schema or .asdatabase) in ") +
               ServerSearchFolders().join(QStringLiteral(", "));
    }

    const Server& loaded() const {
        if (!m_loaded)
            throw Error(ErrorNumber::NotConnected,
                        QStringLiteral("The server object is not connected to a server"));
        return *m_loaded;
    }

    std::shared_ptr<Server> m_loaded;
};

} // namespace

std::shared_ptr<Server> CreateServer() {
    return std::make_shared<DescriptionServer>();
}

} // namespace Lorvantic::Olap
