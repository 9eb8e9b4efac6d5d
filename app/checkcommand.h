#pragma once

// kavenor check: the rules of check/ over a server of any kind, from the command line.

#include <QStringList>

namespace Lorvantic::Cli {

// Exit codes of check: 0 no finding at or above --fail-on, 1 findings, 2 a usage error (a bad
// configuration or baseline included), 3 the server could not be read (or the output not
// written).
enum CheckExit { CheckClean = 0, CheckFindings = 1, CheckUsage = 2, CheckTrouble = 3 };

// Runs "kavenor check" with the arguments after "check".
int RunCheck(const QStringList& arguments);

QString CheckUsageText();
QString CheckHelpText();

} // namespace Lorvantic::Cli
