#pragma once

// Live OLAP servers over XML for Analysis: a server name that begins with "http://" or
// "https://" is the endpoint of one. Connecting reads every catalogue of the server into the
// in-memory model, with DISCOVER_XML_METADATA (a database definition) where the server answers
// it and the schema rowsets where it does not (see external/xmla/rowsetmodel.h, doc/xmla.md).
//
// Credentials (HTTP authentication) come from "user:password@" in the URL, else from the netrc
// file ($NETRC, else ~/.netrc). LORVANTIC_XMLA_TIMEOUT (seconds, default 30) is how long the
// server may stay silent; LORVANTIC_XMLA_MAX_MB (default 1024) bounds one answer.

#include "external/servermodel.h"

#include <QString>

namespace Lorvantic::Olap {

// Whether a server name is an XMLA endpoint (the scheme's letter case ignored).
bool IsXmlaServerName(const QString& name);

// The server name as it may be shown: an endpoint without the password it carries; any other
// name unchanged.
QString DisplayServerName(const QString& name);

// What one read of a live server took.
struct XmlaTransfer {
    int requests = 0;
    qint64 bytes = 0; // answer bodies
    qint64 milliseconds = 0;
};

// Reads the whole server at url; the model's server name is DisplayServerName(url). Needs a
// QCoreApplication (or QApplication) in the process; runs a local event loop on the calling
// thread. Raises Lorvantic::Error whose description starts with "Server 'url without password'":
// ErrorNumber::ServerNotFound when the server cannot be reached or refuses the request,
// ErrorNumber::BadDescription when its answer is not one that can be read. Nothing is half-read.
ServerData ReadXmlaServer(const QString& url, XmlaTransfer* transfer = nullptr);

} // namespace Lorvantic::Olap
