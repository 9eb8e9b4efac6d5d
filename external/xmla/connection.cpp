#include "external/xmla/connection.h"

#include "model/error.h"

#include <QFile>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>
#include <utility>

namespace Lorvantic::Olap::Xmla {

namespace {

[[noreturn]] void fail(const QString& label, const QString& what) {
    throw Error(ErrorNumber::ServerNotFound, label + QStringLiteral(": ") + what);
}

// The first of the variables that is set and not empty, with its name.
std::pair<QString, QString> firstSet(std::initializer_list<const char*> variables) {
    for (const char* variable : variables) {
        const QString value = qEnvironmentVariable(variable).trimmed();
        if (!value.isEmpty())
            return {QString::fromLatin1(variable), value};
    }
    return {};
}

std::pair<QString, QString> caFileSetting() {
    return firstSet({"LORVANTIC_XMLA_CA_FILE", "SSL_CERT_FILE"});
}

QByteArray readPem(const QString& label, const QString& variable, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(label, QStringLiteral("%1 names '%2', which cannot be read (%3)")
                        .arg(variable, path, file.errorString()));
    return file.readAll();
}

QSslKey readKey(const QByteArray& pem) {
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(pem, algorithm, QSsl::Pem);
        if (!key.isNull())
            return key;
    }
    return {};
}

} // namespace

QSslConfiguration TlsConfigurationFromEnvironment(const QString& label) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const auto [caVariable, caPath] = caFileSetting();
    if (!caPath.isEmpty()) {
        const QList<QSslCertificate> authorities =
            QSslCertificate::fromData(readPem(label, caVariable, caPath), QSsl::Pem);
        if (authorities.isEmpty())
            fail(label,
                 QStringLiteral("%1 names '%2', which holds no PEM certificate").arg(caVariable, caPath));
        // Instead of the system's store, as curl and OpenSSL take it.
        tls.setCaCertificates(authorities);
    }
    const QString certPath = qEnvironmentVariable("LORVANTIC_XMLA_CLIENT_CERT").trimmed();
    const QString keyPath = qEnvironmentVariable("LORVANTIC_XMLA_CLIENT_KEY").trimmed();
    if (certPath.isEmpty() && !keyPath.isEmpty())
        fail(label, QStringLiteral("LORVANTIC_XMLA_CLIENT_KEY is set without LORVANTIC_XMLA_CLIENT_CERT"));
    if (!certPath.isEmpty()) {
        const QByteArray certPem = readPem(label, QStringLiteral("LORVANTIC_XMLA_CLIENT_CERT"), certPath);
        const QList<QSslCertificate> chain = QSslCertificate::fromData(certPem, QSsl::Pem);
        if (chain.isEmpty())
            fail(label,
                 QStringLiteral("LORVANTIC_XMLA_CLIENT_CERT names '%1', which holds no PEM certificate")
                     .arg(certPath));
        // Without a key file, the key is looked for beside the certificate.
        const QString keyVariable = keyPath.isEmpty() ? QStringLiteral("LORVANTIC_XMLA_CLIENT_CERT")
                                                      : QStringLiteral("LORVANTIC_XMLA_CLIENT_KEY");
        const QString keyFile = keyPath.isEmpty() ? certPath : keyPath;
        const QSslKey key =
            readKey(keyPath.isEmpty() ? certPem
                                      : readPem(label, QStringLiteral("LORVANTIC_XMLA_CLIENT_KEY"), keyPath));
        if (key.isNull())
            fail(label,
                 QStringLiteral("%1 names '%2', which holds no unencrypted PEM private key (RSA, EC or DSA)")
                     .arg(keyVariable, keyFile));
        tls.setLocalCertificateChain(chain);
        tls.setPrivateKey(key);
    }
    return tls;
}

QString DescribeTlsErrors(const QList<QSslError>& errors, const QString& host) {
    QStringList said;
    bool authority = false;
    for (const QSslError& error : errors) {
        QString text;
        const QSslCertificate certificate = error.certificate();
        switch (error.error()) {
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::CertificateUntrusted:
        case QSslError::CertificateRejected:
            authority = true;
            text =
                QStringLiteral("the certificate's authority is unknown (not among the trusted certificates)");
            break;
        case QSslError::CertificateExpired:
            text = QStringLiteral("the certificate expired (valid until %1)")
                       .arg(certificate.expiryDate().toUTC().toString(Qt::ISODate));
            break;
        case QSslError::CertificateNotYetValid:
            text = QStringLiteral("the certificate is not valid yet (valid from %1)")
                       .arg(certificate.effectiveDate().toUTC().toString(Qt::ISODate));
            break;
        case QSslError::HostNameMismatch: {
            QStringList names;
            const auto alternatives = certificate.subjectAlternativeNames();
            for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it)
                names << it.value();
            if (names.isEmpty())
                names = certificate.subjectInfo(QSslCertificate::CommonName);
            text =
                QStringLiteral("wrong host name: the certificate is for %1, not for %2")
                    .arg(names.isEmpty() ? QStringLiteral("no host name") : names.join(QStringLiteral(", ")),
                         host);
            break;
        }
        default:
            text = error.errorString();
            break;
        }
        if (!said.contains(text))
            said << text;
    }
    QString description = said.join(QStringLiteral("; "));
    if (authority) {
        const auto [variable, path] = caFileSetting();
        description +=
            path.isEmpty()
                ? QStringLiteral(" (trusted: the system's certificate store); pass the authority's "
                                 "certificates as a PEM bundle in LORVANTIC_XMLA_CA_FILE or SSL_CERT_FILE")
                : QStringLiteral(" (trusted: the bundle '%1' of %2); add the authority's certificate "
                                 "to it or name another PEM bundle")
                      .arg(path, variable);
    }
    return description;
}

QByteArray BearerTokenFromEnvironment(const QString& label, int timeoutMs) {
    const QString command = qEnvironmentVariable("LORVANTIC_XMLA_TOKEN_COMMAND");
    if (command.trimmed().isEmpty())
        return {};
    // Once per process: a sign-in tool may ask the user or be slow, and every read takes the
    // same token.
    static QMutex mutex;
    static QString ranCommand;
    static QByteArray token;
    const QMutexLocker lock(&mutex);
    if (!token.isEmpty() && ranCommand == command)
        return token;
    const QString variable = QStringLiteral("LORVANTIC_XMLA_TOKEN_COMMAND");
    QProcess process;
    // The command's messages (and questions) reach the user; only its output is the token.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(timeoutMs))
        fail(label, QStringLiteral("%1 could not be run (%2)").arg(variable, process.errorString()));
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        fail(label, QStringLiteral("%1 did not finish within %2 s (LORVANTIC_XMLA_TIMEOUT)")
                        .arg(variable)
                        .arg(timeoutMs / 1000));
    }
    const QByteArray output = process.readAllStandardOutput().trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(label, QStringLiteral("%1 failed (%2)")
                        .arg(variable, process.exitStatus() == QProcess::NormalExit
                                           ? QStringLiteral("exit status %1").arg(process.exitCode())
                                           : QStringLiteral("it crashed")));
    if (output.isEmpty())
        fail(label, QStringLiteral("%1 printed no token").arg(variable));
    for (const char c : output)
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f')
            fail(label, QStringLiteral("%1 printed more than one token (blanks, lines or control characters)")
                            .arg(variable));
    ranCommand = command;
    token = output;
    return token;
}

bool NoProxyMatches(const QString& list, const QString& host) {
    QString name = host.toLower();
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    if (name.endsWith(u'.'))
        name.chop(1);
    const QHostAddress address(name);
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (QString entry : list.toLower().split(separators, Qt::SkipEmptyParts)) {
        if (entry == QLatin1String("*"))
            return true;
        if (entry.startsWith(u'[') && entry.contains(u']'))
            entry = entry.mid(1).section(u']', 0, 0);
        if (!address.isNull()) {
            if (entry.contains(u'/')) {
                const auto subnet = QHostAddress::parseSubnet(entry);
                if (subnet.first.protocol() != QHostAddress::UnknownNetworkLayerProtocol &&
                    address.isInSubnet(subnet))
                    return true;
            } else if (QHostAddress(entry) == address) {
                return true;
            }
            continue;
        }
        while (entry.startsWith(u'.'))
            entry.remove(0, 1);
        if (entry.endsWith(u'.'))
            entry.chop(1);
        if (!entry.isEmpty() && (name == entry || name.endsWith(u'.' + entry)))
            return true;
    }
    return false;
}

QNetworkProxy ProxyFromEnvironment(const QUrl& url, const QString& label) {
    const bool https = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    auto [variable, value] = https ? firstSet({"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
                                   : firstSet({"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"});
    if (value.isEmpty() || NoProxyMatches(firstSet({"no_proxy", "NO_PROXY"}).second, url.host()))
        return QNetworkProxy(QNetworkProxy::NoProxy);
    if (!value.contains(QLatin1String("://")))
        value.prepend(QLatin1String("http://"));
    const QUrl proxyUrl(value, QUrl::StrictMode);
    const QString scheme = proxyUrl.scheme().toLower();
    QNetworkProxy::ProxyType type = QNetworkProxy::HttpProxy;
    if (scheme == QLatin1String("socks5") || scheme == QLatin1String("socks5h"))
        type = QNetworkProxy::Socks5Proxy;
    else if (scheme != QLatin1String("http"))
        fail(label, QStringLiteral("%1: a proxy reached over %2 is not supported (http:// and socks5:// are)")
                        .arg(variable, scheme.isEmpty() ? QStringLiteral("this scheme")
                                                        : scheme + QStringLiteral("://")));
    if (!proxyUrl.isValid() || proxyUrl.host().isEmpty())
        fail(label,
             QStringLiteral("%1 is not a proxy address (host[:port] or http://[user:password@]host[:port])")
                 .arg(variable));
    // curl's default port for a proxy.
    return QNetworkProxy(type, proxyUrl.host(), static_cast<quint16>(proxyUrl.port(1080)),
                         proxyUrl.userName(QUrl::FullyDecoded), proxyUrl.password(QUrl::FullyDecoded));
}

QString DisplayProxy(const QNetworkProxy& proxy) {
    const QString host = proxy.hostName().contains(u':') ? u'[' + proxy.hostName() + u']' : proxy.hostName();
    return QStringLiteral("%1:%2").arg(host).arg(proxy.port());
}

} // namespace Lorvantic::Olap::Xmla
