#pragma once

// What changes how `kavenor check` runs: the configuration file (rules on and off, their
// severities and thresholds, objects ignored by path) and the baseline (findings of an earlier
// run that are not reported again).
//
// The configuration is JSON (doc/rules.md, "Configuration"):
//   {"rules": {"RULE-ID": "off" | "on" | "info" | "warning" | "error"
//                        | {"enabled": true, "severity": "error", "threshold": 14}},
//    "ignore": ["server / database / cube / measure", ...]}

#include "check/rules.h"

namespace Lorvantic::Check {

// A configuration or baseline that cannot be used; text names the file and the fault.
struct ConfigError {
    QString text;
};

// The file that configures a run in the current folder, when it is there.
inline constexpr char DefaultConfigName[] = ".kavenor-check";

// Applies the configuration file at path to settings. Raises ConfigError for a file that cannot
// be read, is not JSON of the form above, or names a rule that does not exist.
void ApplyConfig(Settings& settings, const QString& path);

// The findings of a baseline file (the JSON output of an earlier check): rule and object path of
// each, joined by BaselineKey. Raises ConfigError for a file that is not one.
QSet<QString> ReadBaseline(const QString& path);
QString BaselineKey(const Finding& finding);

// Removes the findings whose key is in the baseline; returns how many.
qsizetype ApplyBaseline(std::vector<Finding>& findings, const QSet<QString>& baseline);

} // namespace Lorvantic::Check
