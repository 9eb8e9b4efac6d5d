#pragma once

// Live OLAP servers over XML for Analysis: a server name that begins with "http://" or
// "https://" is the endpoint of one. Connecting reads every catalogue of the server into the
// in-memory model, with DISCOVER_XML_METADATA (a database definition) where the server answers
// it and the schema rowsets where it does not (see external/xmla/rowsetmodel.h, doc/xmla.md).
//
// Credentials (HTTP authentication) come from "user:password@" in the URL, else from the netrc
// file ($NETRC, else ~/.netrc). LORVANTIC_XMLA_TIMEOUT (seconds, default 30) is how long the
// server may stay silent; LORVANTIC_XMLA_MAX_MB (default 1024) bounds one answer.
// TLS, bearer tokens and proxies come from the environment as external/xmla/connection.h reads
// them; compressed answers and XMLA sessions are taken as the server offers them.

#include "model/servermodel.h"
#include "model/servername.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace Lorvantic::Olap {

// What one read of a live server took.
struct XmlaTransfer {
    int requests = 0;
    qint64 bytes = 0;         // answer bodies
    qint64 largestAnswer = 0; // bytes of the largest body
    qint64 milliseconds = 0;
    // The request bodies, one list per round: a round's requests go out together, a few at a
    // time, and the next round waits for its answers. Lets a caller replay the same exchange.
    std::vector<std::vector<QByteArray>> rounds;
};

// Reads the whole server at url; the model's server name is DisplayServerName(url). Each request
// is a task of the read as core/progressdisplay.h tells it: it begins when the request goes out
// ("MDSCHEMA_LEVELS of catalogue 'FoodMart'") and ends when its answer is in. Needs a
// QCoreApplication (or QApplication) in the process; runs a local event loop on the calling
// thread. Raises Lorvantic::Error whose description starts with "Server 'url without password'":
// ErrorNumber::ServerNotFound when the server cannot be reached or refuses the request,
// ErrorNumber::BadDescription when its answer is not one that can be read. Nothing is half-read,
// with one exception: a cube whose own rowset the server answers with a fault (it cannot compute
// that cube's, as when a table of it cannot be read) is kept without parts and with the fault as
// its CubeData::readFault, and the other cubes are read on.
ServerData ReadXmlaServer(const QString& url, XmlaTransfer* transfer = nullptr);

} // namespace Lorvantic::Olap
