#pragma once

// Where server descriptions are found and how a found file is read.
//
// A server name that is the path of an existing file opens that file. Any other name is looked
// for as NAME plus a known suffix (".json") in each search folder in turn: first the exact file
// name, then the name ignoring letter case; the first folder that has one wins.

#include "model/servermodel.h"

#include <QStringList>
#include <vector>

namespace Lorvantic::Olap {

struct ServerDescriptionFile {
    QString name; // what a server object connects to
    QString path;
};

// The folders searched for a bare server name, in order, each once: LORVANTIC_SERVER_PATH
// (colon-separated), the user's data folder ($XDG_DATA_HOME/lorvantic/servers), the installed
// data folder and the source tree's samples/servers.
QStringList ServerSearchFolders();

// The absolute path of the description a server name leads to, or an empty string.
QString FindServerDescription(const QString& serverName);

// Every description that a bare name reaches, in search order (by name within a folder). A file
// hidden by a same-named one (ignoring letter case) in an earlier folder is left out.
std::vector<ServerDescriptionFile> ListServerDescriptions();

// Reads a description file with the reader its kind calls for (chosen by the file name's suffix).
// Raises Lorvantic::Error whose description starts with "Server 'serverName': path".
ServerData LoadServerDescription(const QString& serverName, const QString& path);

// "Server 'x'", the start of every connection failure's description.
QString ServerLabel(const QString& serverName);

} // namespace Lorvantic::Olap
