#pragma once

// How a live server is reached from inside a company's network, set up from the environment the
// way command-line tools on Linux read it:
// - TLS: the system's certificate store, or the PEM bundle of LORVANTIC_XMLA_CA_FILE, else of
//   SSL_CERT_FILE; a client certificate and key from LORVANTIC_XMLA_CLIENT_CERT and
//   LORVANTIC_XMLA_CLIENT_KEY.
// - a bearer token: the standard output of LORVANTIC_XMLA_TOKEN_COMMAND, run once per process.
// - proxies: https_proxy, http_proxy, all_proxy and no_proxy (either letter case), as curl reads
//   them: a proxy applies to every host, loopback included, unless no_proxy names it.
// Each raises Lorvantic::Error (ErrorNumber::ServerNotFound) whose description starts with the
// label given and names the variable at fault, never a secret.

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>
#include <QUrl>

namespace Lorvantic::Olap::Xmla {

// The TLS set-up of every request: peer verification always on.
QSslConfiguration TlsConfigurationFromEnvironment(const QString& label);

// Why certificate verification failed, in words that name the check (unknown authority, expired,
// wrong host name) and, where a bundle would help, how to pass one.
QString DescribeTlsErrors(const QList<QSslError>& errors, const QString& host);

// The token LORVANTIC_XMLA_TOKEN_COMMAND prints, or an empty array when the variable is not set.
// The command runs through /bin/sh at most once per process; timeoutMs bounds it.
QByteArray BearerTokenFromEnvironment(const QString& label, int timeoutMs);

// The proxy for url: NoProxy when none is set or no_proxy names the host.
QNetworkProxy ProxyFromEnvironment(const QUrl& url, const QString& label);

// Whether a no_proxy list (comma- or blank-separated) names host: "*", a host name or domain
// suffix (with or without a leading dot), an address, or an address range ("10.0.0.0/8").
bool NoProxyMatches(const QString& list, const QString& host);

// A proxy as it may be shown: host and port, without user and password.
QString DisplayProxy(const QNetworkProxy& proxy);

} // namespace Lorvantic::Olap::Xmla
