#pragma once

// The command line of kavenor: reports, catalogues and the list of known servers, written
// without any dialog, for scripts and pipelines.

#include <QStringList>

namespace Lorvantic::Cli {

// Exit codes: 0 done, 1 a failure (server, item, output), 2 a usage error. diff, as diff(1):
// 0 no differences, 1 differences found, 2 a usage error, 3 a server could not be read (or the
// page not written).
enum ExitCode { Success = 0, Failure = 1, UsageError = 2, DifferencesFound = 1, DiffTrouble = 3 };

// True when the arguments (without the program name) ask for the command line rather than
// the connection dialog.
bool WantsCommandLine(const QStringList& arguments);

// Runs the command; messages go to standard error, pages and lists to standard output.
int Run(const QStringList& arguments);

QString UsageText();

} // namespace Lorvantic::Cli
