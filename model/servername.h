#pragma once

// Server names as the user gives them: a file, a folder or a bare name, or the endpoint of a
// live server.

#include <QString>

namespace Lorvantic::Olap {

// Whether a server name is an XMLA endpoint (the scheme's letter case ignored).
bool IsXmlaServerName(const QString& name);

// The server name as it may be shown: an endpoint without the password it carries; any other
// name unchanged.
QString DisplayServerName(const QString& name);

} // namespace Lorvantic::Olap
