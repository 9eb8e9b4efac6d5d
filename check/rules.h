#pragma once

// The rules of `kavenor check`: what each finds in a server's model, how severe it is by
// default, and the run of the rules over a model. doc/rules.md has a page per rule.

#include "model/servermodel.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>
#include <optional>
#include <span>
#include <vector>

namespace Lorvantic::Check {

// In rising order: --fail-on and the outputs compare them.
enum class Severity { Info, Warning, Error };

QString SeverityName(Severity severity);
std::optional<Severity> SeverityNamed(QStringView name);

struct Rule {
    const char* id;       // stable: configurations, baselines and SARIF name rules by it
    Severity severity;    // by default
    bool enabled;         // by default
    bool filesOnly;       // needs what a live server's rowsets do not tell (doc/xmla.md)
    const char* summary;  // one line: what it finds
    const char* why;      // why it matters
    qint32 threshold = 0; // the rule's number, where it has one (cube-stale: days)
};

// Every rule, in the order of doc/rules.md.
std::span<const Rule> Rules();
// The position of the rule of that id in Rules(), or -1.
qsizetype RuleIndex(QStringView id);

// How one rule runs: the defaults, changed by a configuration.
struct RuleSetting {
    bool enabled = false;
    Severity severity = Severity::Warning;
    qint32 threshold = 0;
};

struct Settings {
    std::vector<RuleSetting> rules; // one per rule, in the order of Rules()
    QSet<QString> ignored;          // object paths ("server / database / cube / measure")
    QDateTime now;                  // what "processed long ago" is judged against
};

// Every rule as Rules() gives it; now is SOURCE_DATE_EPOCH when set, else the clock.
Settings DefaultSettings();

struct Finding {
    qsizetype rule = 0; // position in Rules()
    Severity severity = Severity::Warning;
    QString message;         // one line naming the object
    QStringList path;        // server, database, then the object and those above it
    Olap::SourcePosition at; // line 0 where the model does not know it

    QString pathText() const { return path.join(QStringLiteral(" / ")); }
    const char* ruleId() const { return Rules()[static_cast<std::size_t>(rule)].id; }
};

// The findings of the rules settings switch on, in model order (databases, then within each its
// dimensions, cubes and roles); live: the model comes from a live server.
std::vector<Finding> RunRules(const Olap::ServerData& server, const Settings& settings, bool live);

} // namespace Lorvantic::Check
