#pragma once

// kavenor site --server NAME --output DIR [--open]: the documentation site of a whole server.

#include <QStringList>

namespace Lorvantic::Cli {

// Runs "site" with its arguments (the first is "site"); exit codes as report: 0 done, 1 a failure
// (the server, the folder), 2 a usage error.
int RunSite(const QStringList& arguments);

} // namespace Lorvantic::Cli
