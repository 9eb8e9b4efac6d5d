#include "external/xmla/xmlaserver.h"

#include "core/progressdisplay.h"
#include "external/readers/asslschema.h"
#include "external/readers/serverfiles.h"
#include "external/xmla/connection.h"
#include "external/xmla/netrc.h"
#include "external/xmla/rowsetmodel.h"
#include "external/xmla/xmlaresponse.h"
#include "model/error.h"

#include <QAuthenticator>
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QSslError>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamWriter>
#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <utility>

namespace Lorvantic::Olap {

namespace {

using Xmla::Fault;
using Xmla::ResponseReader;
using Xmla::Row;
using Xmla::Rowset;

constexpr int DefaultTimeoutSeconds = 30;
constexpr qint64 DefaultMaxMegabytes = 1024;
// Requests sent together: enough to overlap the server's work with the transfer, few enough not
// to crowd a server that answers one request per connection.
constexpr int MaxInFlight = 3;
// The rowsets a catalogue is read from when it has no definition to give.
constexpr int RowsetsPerCatalogue = 5;
// An answer is taken and parsed in pieces of this size: the XML reader decodes what it is given
// at once, so a whole answer handed over in one piece would be held twice more in memory.
constexpr qint64 ReadPiece = qint64{64} << 10;
// What Qt may hold of an answer before we take it: with a server faster than the reading, an
// answer would otherwise be held whole.
constexpr qint64 ReadBuffer = qint64{1} << 20;
// How long ending a session may take, at most.
constexpr int EndSessionTimeoutMs = 5000;

void tell(int answered, int asked, const QString& what, bool answer) {
    ReportProgress(ProgressStep{answered, asked, what, answer});
}

qint64 positiveSetting(const char* variable, qint64 otherwise) {
    bool ok = false;
    const qint64 value = qEnvironmentVariable(variable).trimmed().toLongLong(&ok);
    return ok && value > 0 ? value : otherwise;
}

using Restrictions = std::vector<std::pair<QString, QString>>;

QByteArray discoverBody(QLatin1String requestType, const Restrictions& restrictions, const QString& catalog) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    const QString soap = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
    xml.writeStartDocument();
    xml.writeNamespace(soap, QStringLiteral("SOAP-ENV"));
    xml.writeStartElement(soap, QStringLiteral("Envelope"));
    xml.writeStartElement(soap, QStringLiteral("Body"));
    xml.writeDefaultNamespace(QStringLiteral("urn:schemas-microsoft-com:xml-analysis"));
    xml.writeStartElement(QStringLiteral("Discover"));
    xml.writeTextElement(QStringLiteral("RequestType"), requestType);
    xml.writeStartElement(QStringLiteral("Restrictions"));
    xml.writeStartElement(QStringLiteral("RestrictionList"));
    for (const auto& [name, value] : restrictions)
        xml.writeTextElement(name, value);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Properties"));
    xml.writeStartElement(QStringLiteral("PropertyList"));
    if (!catalog.isEmpty())
        xml.writeTextElement(QStringLiteral("Catalog"), catalog);
    xml.writeTextElement(QStringLiteral("Format"), QStringLiteral("Tabular"));
    xml.writeEndDocument();
    return body;
}

// One Discover request, its answer's rows handed on as they arrive.
struct Request {
    QString what; // "MDSCHEMA_LEVELS of catalogue 'FoodMart'"
    QByteArray body;
    const Rowset* rowset = nullptr;
    std::function<void(const Row&)> onRow;
    std::optional<Fault> fault;
};

Request discover(const Rowset& rowset, const Restrictions& restrictions, const QString& catalog,
                 std::function<void(const Row&)> onRow) {
    QString what = rowset.requestType;
    if (!catalog.isEmpty())
        what += QStringLiteral(" of catalogue ") + u'\'' + catalog + u'\'';
    for (const auto& [name, value] : restrictions)
        if (name == QLatin1String("CUBE_NAME"))
            what += QStringLiteral(", cube '") + value + u'\'';
    return {what, discoverBody(rowset.requestType, restrictions, catalog), &rowset, std::move(onRow), {}};
}

// The body with a SOAP header in front of its SOAP body: the bodies are ours (discoverBody), so
// the first "<SOAP-ENV:Body" is where the header goes.
QByteArray withHeader(const QByteArray& body, const QByteArray& header) {
    if (header.isEmpty())
        return body;
    QByteArray sent = body;
    const QByteArray start = QByteArrayLiteral("<SOAP-ENV:Body");
    return sent.insert(sent.indexOf(start), "<SOAP-ENV:Header>" + header + "</SOAP-ENV:Header>");
}

QByteArray sessionHeader(QLatin1String element, const QString& id) {
    QByteArray header = "<" + QByteArray(element.data(), element.size()) +
                        R"( xmlns="urn:schemas-microsoft-com:xml-analysis" mustUnderstand="1")";
    if (!id.isEmpty())
        header += " SessionId=\"" + id.toHtmlEscaped().toUtf8() + '"';
    return header + "/>";
}

// The requests of one connect, sent over one network access manager: its connections stay open
// between requests.
class Exchange {
public:
    Exchange(const QString& url, QString label)
        : m_label(std::move(label)) {
        QUrl endpoint(url, QUrl::StrictMode);
        if (!endpoint.isValid() || endpoint.host().isEmpty())
            throw Error(ErrorNumber::ServerNotFound, m_label + QStringLiteral(": not a valid URL"));
        const QString user = endpoint.userName();
        if (!endpoint.password().isEmpty())
            m_credentials = Xmla::Credentials{user, endpoint.password()};
        else
            m_credentials = Xmla::NetrcLoginFromFile(Xmla::NetrcPath(), endpoint.host(), user);
        // Qt's own messages then never hold the password.
        endpoint.setUserInfo(QString());
        m_endpoint = endpoint;
        m_timeoutMs = static_cast<int>(
            std::min<qint64>(positiveSetting("LORVANTIC_XMLA_TIMEOUT", DefaultTimeoutSeconds),
                             qint64{24} * 3600) *
            1000);
        m_maxBytes = std::min<qint64>(positiveSetting("LORVANTIC_XMLA_MAX_MB", DefaultMaxMegabytes),
                                      std::numeric_limits<qint64>::max() / (1 << 20)) *
                     (1 << 20);
        m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        m_https = endpoint.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        if (m_https)
            m_tls = Xmla::TlsConfigurationFromEnvironment(m_label);
        m_proxy = Xmla::ProxyFromEnvironment(endpoint, m_label);
        m_manager.setProxy(m_proxy);
        m_token = Xmla::BearerTokenFromEnvironment(m_label, m_timeoutMs);
        QObject::connect(&m_manager, &QNetworkAccessManager::authenticationRequired, &m_manager,
                         [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                             // Offered once: a second request means the server refused them.
                             if (m_credentials && !m_offered.contains(reply)) {
                                 m_offered.insert(reply);
                                 authenticator->setUser(m_credentials->user);
                                 authenticator->setPassword(m_credentials->password);
                             }
                         });
    }

    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    ~Exchange() { endSession(); }

    const XmlaTransfer& transfer() const { return m_transfer; }
    bool inSession() const { return !m_session.isEmpty(); }
    // The requests the next rounds are expected to send, for the progress a read tells.
    void expectLater(int requests) { m_later = requests; }

    // Sends the requests, a few at a time, and reads their answers. A request the server answers
    // with a fault keeps it; any other failure ends all of them and is raised.
    void run(std::vector<Request>& requests) {
        QEventLoop loop;
        std::optional<Error> failure;
        std::size_t next = 0;
        int running = 0;
        std::vector<std::unique_ptr<Pending>> pending;
        if (!requests.empty())
            m_transfer.rounds.emplace_back();

        std::function<void()> startNext;
        const auto stop = [&](const Error& error) {
            if (!failure)
                failure = error;
            for (const auto& p : pending)
                if (p->reply && p->reply->isRunning())
                    p->reply->abort();
            loop.quit();
        };
        const auto done = [&](Pending& p) {
            p.timer.stop();
            --running;
            ++m_answered;
            tell(m_answered, asked(requests.size() - next), p.request.what, true);
            if (!failure) {
                try {
                    receive(p);
                    finish(p);
                } catch (const Error& error) {
                    stop(error);
                    return;
                }
            }
            if (!failure)
                startNext();
            if (running == 0)
                loop.quit();
        };
        startNext = [&] {
            while (!failure && running < MaxInFlight && next < requests.size()) {
                Request& request = requests[next++];
                auto p = std::make_unique<Pending>(request, m_label + QStringLiteral(": ") + request.what);
                Pending& item = *p;
                pending.push_back(std::move(p));
                ++running;
                ++m_transfer.requests;
                m_transfer.rounds.back().push_back(request.body);
                tell(m_answered, asked(requests.size() - next), request.what, false);
                item.reply =
                    m_manager.post(networkRequest(), withHeader(request.body, sessionHeaderOfNext()));
                item.timer.setSingleShot(true);
                item.timer.setInterval(m_timeoutMs);
                QObject::connect(&item.timer, &QTimer::timeout, &loop, [&, pointer = &item] {
                    pointer->reason =
                        QStringLiteral("the server sent nothing for %1 s (LORVANTIC_XMLA_TIMEOUT)")
                            .arg(m_timeoutMs / 1000);
                    pointer->reply->abort();
                });
                // Qt holds no more than ReadBuffer of an answer we have not taken yet. Set once the
                // answer begins: Qt's network thread takes a limit set before then only when it
                // starts the request, which it does on its own time after post() returns.
                QObject::connect(item.reply, &QNetworkReply::metaDataChanged, &loop,
                                 [pointer = &item] { pointer->reply->setReadBufferSize(ReadBuffer); });
                QObject::connect(item.reply, &QNetworkReply::readyRead, &loop, [&, pointer = &item] {
                    pointer->timer.start();
                    try {
                        receive(*pointer);
                    } catch (const Error& error) {
                        stop(error);
                    }
                });
                QObject::connect(item.reply, &QNetworkReply::uploadProgress, &loop,
                                 [pointer = &item] { pointer->timer.start(); });
                QObject::connect(
                    item.reply, &QNetworkReply::sslErrors, &loop,
                    [pointer = &item](const QList<QSslError>& errors) { pointer->sslErrors << errors; });
                QObject::connect(item.reply, &QNetworkReply::finished, &loop,
                                 [&, pointer = &item] { done(*pointer); });
                item.timer.start();
            }
        };
        startNext();
        if (running > 0)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        for (const auto& p : pending)
            delete p->reply;
        if (failure) {
            // A server that cannot be reached or stopped answering is not asked to end the
            // session: the error comes within the timeout.
            if (failure->number() == ErrorNumber::ServerNotFound)
                m_session.clear();
            throw *failure;
        }
    }

private:
    struct Pending {
        Pending(Request& r, const QString& origin)
            : request(r)
            , reader(r.rowset->columns, r.onRow, origin) {}
        Request& request;
        ResponseReader reader;
        QNetworkReply* reply = nullptr;
        QTimer timer;
        QString reason; // why we ended it
        qint32 reasonNumber = ErrorNumber::ServerNotFound;
        QList<QSslError> sslErrors;
        qint64 received = 0;
        bool parse = true;
        bool parseFailed = false;
        std::optional<Error> parseError;
    };

    // The SOAP header of the request about to go out: the first asks for a session, the others
    // carry the one the server began, if it did.
    QByteArray sessionHeaderOfNext() {
        if (!m_sessionAsked) {
            m_sessionAsked = true;
            return sessionHeader(QLatin1String("BeginSession"), {});
        }
        return m_session.isEmpty() ? QByteArray() : sessionHeader(QLatin1String("Session"), m_session);
    }

    // Ends the session the server began, if any; a failure to end it is not reported (the read
    // is done, or has failed for another reason already).
    void endSession() noexcept {
        if (m_session.isEmpty())
            return;
        const QByteArray body = withHeader(discoverBody(QLatin1String("DISCOVER_DATASOURCES"), {}, QString()),
                                           sessionHeader(QLatin1String("EndSession"), m_session));
        m_session.clear();
        QEventLoop loop;
        QNetworkReply* reply = m_manager.post(networkRequest(), body);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(std::min(m_timeoutMs, EndSessionTimeoutMs), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        reply->abort();
        delete reply;
    }

    QNetworkRequest networkRequest() const {
        QNetworkRequest request(m_endpoint);
        if (m_https)
            request.setSslConfiguration(m_tls);
        if (!m_token.isEmpty())
            request.setRawHeader("Authorization", "Bearer " + m_token);
        // Answers in gzip or deflate are taken as they arrive (Qt asks for them and decompresses
        // them); LORVANTIC_XMLA_MAX_MB bounds what they decompress to, so Qt's own ratio check,
        // which would refuse well-compressed XML, is off.
        request.setDecompressedSafetyCheckThreshold(-1);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
        request.setRawHeader("SOAPAction", "\"urn:schemas-microsoft-com:xml-analysis:Discover\"");
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        return request;
    }

    static int statusOf(const QNetworkReply& reply) {
        return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    // SOAP faults may come with HTTP 500; other failed statuses carry pages that are not read.
    static bool readable(int status) {
        return status == 0 || (status >= 200 && status < 300) || status == 500;
    }

    // Takes what has arrived of an answer, piece by piece.
    void receive(Pending& p) {
        while (p.reason.isEmpty() && p.reply->bytesAvailable() > 0)
            receivePiece(p, p.reply->read(ReadPiece));
    }

    void receivePiece(Pending& p, const QByteArray& bytes) {
        p.received += bytes.size();
        m_transfer.bytes += bytes.size();
        m_transfer.largestAnswer = std::max(m_transfer.largestAnswer, p.received);
        if (p.received > m_maxBytes) {
            p.reason = QStringLiteral("the answer is larger than %1 MB (LORVANTIC_XMLA_MAX_MB)")
                           .arg(m_maxBytes / (1 << 20));
            p.reasonNumber = ErrorNumber::BadDescription;
            p.reply->abort();
            return;
        }
        if (!readable(statusOf(*p.reply)) || p.parseError)
            return;
        try {
            p.reader.addData(bytes);
        } catch (const Error& error) {
            // The page of a failed status is no answer; its HTTP status tells what went wrong.
            if (statusOf(*p.reply) != 500)
                throw;
            p.parseError = error;
        }
    }

    void finish(Pending& p) {
        const QString origin = m_label + QStringLiteral(": ") + p.request.what + QStringLiteral(": ");
        if (!p.reason.isEmpty())
            throw Error(p.reasonNumber, origin + p.reason);
        const int status = statusOf(*p.reply);
        const QNetworkReply::NetworkError error = p.reply->error();
        if (error == QNetworkReply::NoError && status >= 300 && status < 400)
            throw Error(ErrorNumber::ServerNotFound,
                        origin +
                            QStringLiteral("the server redirects (HTTP %1) to %2; connect to that address")
                                .arg(status)
                                .arg(p.reply->header(QNetworkRequest::LocationHeader)
                                         .toUrl()
                                         .toString(QUrl::RemovePassword)));
        if (error == QNetworkReply::NoError || status == 500) {
            if (!p.parseError) {
                try {
                    p.reader.finish();
                } catch (const Error&) {
                    if (status != 500)
                        throw;
                }
            }
            if (m_session.isEmpty() && !p.reader.sessionId().isEmpty())
                m_session = p.reader.sessionId();
            if (p.reader.fault()) {
                p.request.fault = p.reader.fault();
                return;
            }
            if (error == QNetworkReply::NoError) {
                if (p.parseError)
                    throw *p.parseError;
                return;
            }
        }
        throw Error(ErrorNumber::ServerNotFound, origin + describe(p, error, status));
    }

    QString describe(const Pending& p, QNetworkReply::NetworkError error, int status) const {
        const QString reason = p.reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        const QString http =
            QStringLiteral("HTTP %1%2").arg(status).arg(reason.isEmpty() ? QString() : u' ' + reason);
        switch (error) {
        case QNetworkReply::SslHandshakeFailedError:
            if (!p.sslErrors.isEmpty())
                return QStringLiteral("TLS handshake failed: ") +
                       Xmla::DescribeTlsErrors(p.sslErrors, m_endpoint.host());
            return QStringLiteral("TLS handshake failed: ") + p.reply->errorString() +
                   clientCertificateHint();
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::HostNotFoundError:
            // Over a proxy, it is the proxy that is not there.
            if (m_proxy.type() == QNetworkProxy::NoProxy)
                return error == QNetworkReply::ConnectionRefusedError
                           ? QStringLiteral("connection refused (no server listens at %1)")
                                 .arg(m_endpoint.authority())
                           : QStringLiteral("host %1 not found (DNS)").arg(m_endpoint.host());
            [[fallthrough]];
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyConnectionClosedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
            return QStringLiteral("the proxy %1 cannot be reached or closed the connection (%2); the proxy "
                                  "comes from https_proxy, http_proxy or all_proxy, no_proxy exempts hosts")
                .arg(Xmla::DisplayProxy(m_proxy), proxyErrorWords(error));
        case QNetworkReply::ProxyAuthenticationRequiredError:
            return m_proxy.user().isEmpty()
                       ? QStringLiteral("the proxy %1 asks for credentials (HTTP 407); give them as "
                                        "user:password@ in the proxy's URL")
                             .arg(Xmla::DisplayProxy(m_proxy))
                       : QStringLiteral("the proxy %1 refused the credentials (HTTP 407)")
                             .arg(Xmla::DisplayProxy(m_proxy));
        case QNetworkReply::AuthenticationRequiredError:
            if (!m_token.isEmpty())
                return QStringLiteral("the server refused the token of LORVANTIC_XMLA_TOKEN_COMMAND (%1)")
                    .arg(http);
            return m_credentials ? QStringLiteral("the server refused the credentials (%1)").arg(http)
                                 : QStringLiteral("the server asks for credentials (%1); give them as "
                                                  "user:password@ in the URL or in %2")
                                       .arg(http, Xmla::NetrcPath());
        case QNetworkReply::ContentAccessDenied:
            return QStringLiteral("access denied (%1)").arg(http);
        case QNetworkReply::ContentNotFoundError:
            return QStringLiteral("no XMLA service at this address (%1)").arg(http);
        case QNetworkReply::RemoteHostClosedError:
            // Over TLS, a server that wants a client certificate may close before its alert is read.
            return QStringLiteral("the server closed the connection before it answered in full") +
                   (m_https && status == 0 ? clientCertificateHint() : QString());
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError:
            return QStringLiteral("the server sent nothing for %1 s (LORVANTIC_XMLA_TIMEOUT)")
                .arg(m_timeoutMs / 1000);
        default:
            break;
        }
        if (status >= 400)
            return QStringLiteral("the server failed the request (%1)").arg(http);
        // A server that wants a client certificate says so with a TLS alert after the handshake.
        if (m_https && p.reply->errorString().contains(QLatin1String("alert")))
            return p.reply->errorString() + clientCertificateHint();
        return p.reply->errorString();
    }

    QString clientCertificateHint() const {
        return m_tls.localCertificate().isNull()
                   ? QStringLiteral(" (a server that asks for a client certificate takes it from "
                                    "LORVANTIC_XMLA_CLIENT_CERT and LORVANTIC_XMLA_CLIENT_KEY)")
                   : QString();
    }

    static QString proxyErrorWords(QNetworkReply::NetworkError error) {
        switch (error) {
        case QNetworkReply::ProxyConnectionRefusedError:
            return QStringLiteral("connection refused");
        case QNetworkReply::ProxyNotFoundError:
            return QStringLiteral("host not found");
        case QNetworkReply::ProxyTimeoutError:
            return QStringLiteral("timed out");
        default:
            return QStringLiteral("connection closed");
        }
    }

    QString m_label;
    QUrl m_endpoint;
    bool m_https = false;
    QSslConfiguration m_tls;
    QNetworkProxy m_proxy;
    QByteArray m_token;
    bool m_sessionAsked = false;
    QString m_session;
    std::optional<Xmla::Credentials> m_credentials;
    int m_timeoutMs = DefaultTimeoutSeconds * 1000;
    qint64 m_maxBytes = DefaultMaxMegabytes << 20;
    QNetworkAccessManager m_manager;
    QSet<QNetworkReply*> m_offered;
    int asked(std::size_t waiting) const { return m_transfer.requests + static_cast<int>(waiting) + m_later; }

    XmlaTransfer m_transfer;
    int m_answered = 0;
    int m_later = 0;
};

[[noreturn]] void faulted(const QString& label, const Request& request) {
    throw Error(ErrorNumber::BadDescription, label + QStringLiteral(": ") + request.what +
                                                 QStringLiteral(": the server answered with a fault: ") +
                                                 request.fault->text);
}

struct Catalog {
    QString name;
    QString roles;
    QString metadata;
    std::unique_ptr<Xmla::DatabaseBuilder> builder;
};

// What a cube shows for the fault its request was answered with: one line, as a status cell and
// a warning line show it.
QString cubeFault(const Request& request) {
    return QStringLiteral("the server answered %1 with a fault: %2")
        .arg(request.rowset->requestType, request.fault->text.simplified());
}

// The catalogues the server does not describe as database definitions, from their rowsets:
// each rowset once per catalogue, and once per cube where a server refuses that. A cube whose
// own request is answered with a fault keeps it (the server could not compute that cube's
// rowset, for one a table it cannot read); the other cubes are read on.
void readRowsets(Exchange& exchange, const QString& label, std::vector<Catalog*>& catalogs) {
    using Add = void (Xmla::DatabaseBuilder::*)(const std::vector<QString>&);
    struct Kind {
        const Rowset& rowset;
        Add add;
        Restrictions extra;
    };
    const Kind kinds[] = {
        {Xmla::CubesRowset(), &Xmla::DatabaseBuilder::addCube, {}},
        {Xmla::DimensionsRowset(), &Xmla::DatabaseBuilder::addDimension, {}},
        {Xmla::LevelsRowset(), &Xmla::DatabaseBuilder::addLevel, {}},
        {Xmla::PropertiesRowset(),
         &Xmla::DatabaseBuilder::addProperty,
         {{QStringLiteral("PROPERTY_TYPE"), QStringLiteral("1")}}},
        {Xmla::MeasuresRowset(), &Xmla::DatabaseBuilder::addMeasure, {}},
    };
    static_assert(sizeof(kinds) / sizeof(kinds[0]) == RowsetsPerCatalogue);
    std::vector<Request> requests;
    std::vector<std::pair<Catalog*, const Kind*>> of;
    for (Catalog* catalog : catalogs) {
        for (const Kind& kind : kinds) {
            Restrictions restrictions{{QStringLiteral("CATALOG_NAME"), catalog->name}};
            restrictions.insert(restrictions.end(), kind.extra.begin(), kind.extra.end());
            Xmla::DatabaseBuilder* builder = catalog->builder.get();
            requests.push_back(discover(kind.rowset, restrictions, catalog->name,
                                        [builder, add = kind.add](const Row& row) { (builder->*add)(row); }));
            of.emplace_back(catalog, &kind);
        }
    }
    exchange.run(requests);
    std::vector<Request> perCube;
    std::vector<std::pair<Xmla::DatabaseBuilder*, QString>> cubeOf;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (!requests[i].fault)
            continue;
        const auto [catalog, kind] = of[i];
        if (&kind->rowset == &Xmla::CubesRowset())
            faulted(label, requests[i]);
        for (const QString& cube : catalog->builder->cubeNames()) {
            Restrictions restrictions{{QStringLiteral("CATALOG_NAME"), catalog->name},
                                      {QStringLiteral("CUBE_NAME"), cube}};
            restrictions.insert(restrictions.end(), kind->extra.begin(), kind->extra.end());
            Xmla::DatabaseBuilder* builder = catalog->builder.get();
            perCube.push_back(discover(kind->rowset, restrictions, catalog->name,
                                       [builder, add = kind->add](const Row& row) { (builder->*add)(row); }));
            cubeOf.emplace_back(builder, cube);
        }
    }
    exchange.run(perCube);
    for (std::size_t i = 0; i < perCube.size(); ++i)
        if (perCube[i].fault)
            cubeOf[i].first->setCubeFault(cubeOf[i].second, cubeFault(perCube[i]));
}

} // namespace

ServerData ReadXmlaServer(const QString& url, XmlaTransfer* transfer) {
    const QString shown = DisplayServerName(url);
    const QString label = ServerLabel(shown);
    if (!QCoreApplication::instance())
        throw Error(ErrorNumber::ServerNotFound,
                    label + QStringLiteral(": reading a live server needs a Qt application object "
                                           "(QCoreApplication) in the program"));
    QElapsedTimer clock;
    clock.start();
    Exchange exchange(url, label);

    // Names and roles only while the list comes in, in a deque that is not copied as it grows:
    // an endless list stopped at LORVANTIC_XMLA_MAX_MB then holds less than twice its size.
    std::deque<std::pair<QString, QString>> listed;
    std::vector<Request> first{discover(Xmla::CatalogsRowset(), {}, QString(), [&](const Row& row) {
        if (!row[0].isEmpty())
            listed.emplace_back(row[0], row[1]);
    })};
    // A server of one catalogue takes its definition, or its rowsets, after the catalogues.
    exchange.expectLater(1 + RowsetsPerCatalogue);
    exchange.run(first);
    if (first[0].fault && !exchange.inSession()) {
        // A server may refuse the request for the session it asked for: once more without.
        first[0].fault.reset();
        exchange.run(first);
    }
    if (first[0].fault)
        faulted(label, first[0]);
    std::vector<Catalog> catalogs;
    catalogs.reserve(listed.size());
    for (auto& [name, roles] : listed)
        catalogs.push_back(Catalog{std::move(name), std::move(roles), {}, {}});
    listed.clear();

    std::vector<Request> metadata;
    metadata.reserve(catalogs.size());
    for (Catalog& catalog : catalogs)
        metadata.push_back(discover(Xmla::MetadataRowset(),
                                    {{QStringLiteral("DatabaseID"), catalog.name},
                                     {QStringLiteral("ObjectExpansion"), QStringLiteral("ExpandFull")}},
                                    catalog.name, [target = &catalog](const Row& row) {
                                        if (target->metadata.isEmpty())
                                            target->metadata = row[0];
                                    }));
    exchange.expectLater(RowsetsPerCatalogue * static_cast<int>(catalogs.size()));
    exchange.run(metadata);
    exchange.expectLater(0);

    const QDateTime cap = Xmla::ProcessedCapFromEnvironment();
    std::vector<Catalog*> fromRowsets;
    for (std::size_t i = 0; i < catalogs.size(); ++i) {
        Catalog& catalog = catalogs[i];
        if (metadata[i].fault || catalog.metadata.trimmed().isEmpty()) {
            catalog.builder = std::make_unique<Xmla::DatabaseBuilder>(
                catalog.name, label + QStringLiteral(": catalogue '") + catalog.name + u'\'', cap);
            catalog.builder->setRoles(catalog.roles);
            fromRowsets.push_back(&catalog);
        }
    }
    if (!fromRowsets.empty())
        readRowsets(exchange, label, fromRowsets);

    ServerData server;
    server.name = shown;
    for (std::size_t i = 0; i < catalogs.size(); ++i) {
        Catalog& catalog = catalogs[i];
        if (catalog.builder) {
            server.databases.push_back(catalog.builder->build());
            continue;
        }
        QByteArray bytes = catalog.metadata.toUtf8();
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        ServerData read = ReadAsslDatabase(device, label + QStringLiteral(": ") + metadata[i].what);
        for (DatabaseData& database : read.databases)
            server.databases.push_back(std::move(database));
    }
    const QString broken = FindBrokenReference(server);
    if (!broken.isEmpty())
        throw Error(ErrorNumber::BadDescription, label + QStringLiteral(": ") + broken);
    if (transfer) {
        *transfer = exchange.transfer();
        transfer->milliseconds = clock.elapsed();
    }
    return server;
}

} // namespace Lorvantic::Olap
