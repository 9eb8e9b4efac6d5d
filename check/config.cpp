#include "check/config.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Lorvantic::Check {

namespace {

[[noreturn]] void fail(const QString& path, const QString& what) {
    throw ConfigError{path + QStringLiteral(": ") + what};
}

// The file as a JSON object; a syntax error names its line and column.
QJsonObject readObject(const QString& path, const char* kind) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("cannot read the %1: %2").arg(QLatin1String(kind), file.errorString()));
    const QByteArray bytes = file.readAll();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = bytes.left(error.offset);
        const qsizetype line = before.count('\n') + 1;
        const qsizetype column = QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size() + 1;
        throw ConfigError{QStringLiteral("%1:%2:%3: %4 is not JSON: %5")
                              .arg(path)
                              .arg(line)
                              .arg(column)
                              .arg(QLatin1String(kind), error.errorString())};
    }
    if (!document.isObject())
        fail(path, QStringLiteral("a %1 is a JSON object").arg(QLatin1String(kind)));
    return document.object();
}

void applyRule(RuleSetting& setting, const QString& id, const QJsonValue& value, const QString& path) {
    const auto severity = [&](const QJsonValue& name) {
        const std::optional<Severity> found = SeverityNamed(name.toString());
        if (!found)
            fail(path, QStringLiteral("rule '%1': unknown severity '%2' (info, warning or error)")
                           .arg(id, name.toVariant().toString()));
        return *found;
    };
    if (value.isString()) {
        const QString word = value.toString();
        if (word == u"off" || word == u"on") {
            setting.enabled = word == u"on";
        } else {
            setting.severity = severity(value);
            setting.enabled = true;
        }
        return;
    }
    if (!value.isObject())
        fail(path,
             QStringLiteral("rule '%1': a setting is \"off\", \"on\", a severity or an object").arg(id));
    const QJsonObject object = value.toObject();
    setting.enabled = true;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == u"enabled" && it.value().isBool())
            setting.enabled = it.value().toBool();
        else if (it.key() == u"severity")
            setting.severity = severity(it.value());
        else if (it.key() == u"threshold" && it.value().isDouble() && it.value().toDouble() >= 0 &&
                 it.value().toDouble() == it.value().toInt())
            setting.threshold = it.value().toInt();
        else
            fail(path, QStringLiteral("rule '%1': '%2' is not a setting (enabled: true or false, severity, "
                                      "threshold: a whole number of at least 0)")
                           .arg(id, it.key()));
    }
}

} // namespace

void ApplyConfig(Settings& settings, const QString& path) {
    const QJsonObject config = readObject(path, "configuration");
    for (auto it = config.begin(); it != config.end(); ++it) {
        if (it.key() == u"rules" && it.value().isObject()) {
            const QJsonObject rules = it.value().toObject();
            for (auto rule = rules.begin(); rule != rules.end(); ++rule) {
                const qsizetype index = RuleIndex(rule.key());
                if (index < 0)
                    fail(path,
                         QStringLiteral("unknown rule '%1' (the rules are listed in doc/rules.md and by "
                                        "kavenor check --list-rules)")
                             .arg(rule.key()));
                applyRule(settings.rules[static_cast<std::size_t>(index)], rule.key(), rule.value(), path);
            }
        } else if (it.key() == u"ignore" && it.value().isArray()) {
            for (const QJsonValue entry : it.value().toArray()) {
                if (!entry.isString())
                    fail(path, QStringLiteral("each entry of \"ignore\" is an object path, as a text"));
                settings.ignored.insert(entry.toString());
            }
        } else {
            fail(path, QStringLiteral("'%1' is not a setting (\"rules\": an object, \"ignore\": a list)")
                           .arg(it.key()));
        }
    }
}

QString BaselineKey(const Finding& finding) {
    return QLatin1String(finding.ruleId()) + QChar(0x1F) + finding.pathText();
}

QSet<QString> ReadBaseline(const QString& path) {
    const QJsonObject baseline = readObject(path, "baseline");
    if (baseline.value(QLatin1String("format")).toString() != u"lorvantic-check/1")
        fail(path, QStringLiteral("a baseline is the output of kavenor check --format json (\"format\": "
                                  "\"lorvantic-check/1\")"));
    QSet<QString> keys;
    for (const QJsonValue entry : baseline.value(QLatin1String("findings")).toArray()) {
        const QJsonObject finding = entry.toObject();
        keys.insert(finding.value(QLatin1String("rule")).toString() + QChar(0x1F) +
                    finding.value(QLatin1String("path")).toString());
    }
    return keys;
}

qsizetype ApplyBaseline(std::vector<Finding>& findings, const QSet<QString>& baseline) {
    const auto kept = std::remove_if(findings.begin(), findings.end(), [&](const Finding& finding) {
        return baseline.contains(BaselineKey(finding));
    });
    const auto removed = static_cast<qsizetype>(findings.end() - kept);
    findings.erase(kept, findings.end());
    return removed;
}

} // namespace Lorvantic::Check
