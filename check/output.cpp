#include "check/output.h"

#include "report/jsonwriter.h"
#include "report/markdownwriter.h"
#include "report/pagewriter.h"

#include <QDir>
#include <QUrl>
#include <array>

namespace Lorvantic::Check {

namespace {

void appendString(PageWriter& out, QStringView text) {
    Json::AppendString(out, text);
}

// ,"key": or "key": (first) and the string value.
void member(PageWriter& out, const char* key, QStringView value, bool first = false) {
    out.AppendAscii(first ? "\"" : ",\"");
    out.AppendAscii(key);
    out.AppendAscii("\":");
    appendString(out, value);
}

void member(PageWriter& out, const char* key, QLatin1String value, bool first = false) {
    member(out, key, QString(value), first);
}

void number(PageWriter& out, const char* key, qint64 value) {
    out.AppendAscii(",\"");
    out.AppendAscii(key);
    out.AppendAscii("\":");
    out.AppendAscii(QByteArray::number(value));
}

QString location(const Outcome& outcome, const Finding& finding) {
    if (outcome.file.isEmpty())
        return finding.pathText();
    if (finding.at.line <= 0)
        return outcome.file;
    return QStringLiteral("%1:%2:%3").arg(outcome.file).arg(finding.at.line).arg(finding.at.column);
}

std::array<qsizetype, 3> countBySeverity(const Outcome& outcome) {
    std::array<qsizetype, 3> counts{};
    for (const Finding& finding : outcome.findings)
        ++counts[static_cast<std::size_t>(finding.severity)];
    return counts;
}

// SARIF's level of a severity.
QLatin1String levelOf(Severity severity) {
    switch (severity) {
    case Severity::Info:
        return QLatin1String("note");
    case Severity::Warning:
        return QLatin1String("warning");
    case Severity::Error:
        break;
    }
    return QLatin1String("error");
}

// The file as a URI: relative paths stay relative to the folder the check ran in (%SRCROOT%),
// where code-review tools expect a repository's files.
QString uriOf(const QString& file) {
    const QByteArray encoded = QUrl::toPercentEncoding(QDir::fromNativeSeparators(file), "/");
    if (QDir::isAbsolutePath(file))
        return QStringLiteral("file://") + QString::fromLatin1(encoded);
    return QString::fromLatin1(encoded);
}

QLatin1String plural(qsizetype n) {
    return n == 1 ? QLatin1String() : QLatin1String("s");
}

} // namespace

QString Summary(const Outcome& outcome) {
    const auto counts = countBySeverity(outcome);
    const auto n = static_cast<qsizetype>(outcome.findings.size());
    QString text = n == 0 ? QStringLiteral("no findings")
                          : QStringLiteral("%1 finding%2 (%3 error%4, %5 warning%6, %7 info)")
                                .arg(n)
                                .arg(plural(n))
                                .arg(counts[2])
                                .arg(plural(counts[2]))
                                .arg(counts[1])
                                .arg(plural(counts[1]))
                                .arg(counts[0]);
    if (outcome.baselined > 0)
        text += QStringLiteral("; %1 more in the baseline").arg(outcome.baselined);
    return text;
}

void WriteText(PageWriter& out, const Outcome& outcome) {
    for (const Finding& finding : outcome.findings)
        out.AppendJoined({location(outcome, finding), u": ", SeverityName(finding.severity), u": ",
                          finding.message, u" [", QString::fromLatin1(finding.ruleId()), u"]"});
}

void WriteJson(PageWriter& out, const Outcome& outcome) {
    out.AppendAscii(R"({"format":"lorvantic-check/1")");
    member(out, "server", outcome.server);
    out.AppendAscii(",\"file\":");
    if (outcome.file.isEmpty())
        out.AppendAscii("null");
    else
        appendString(out, outcome.file);
    const auto counts = countBySeverity(outcome);
    out.AppendAscii(",\"summary\":{");
    out.AppendAscii("\"error\":");
    out.AppendAscii(QByteArray::number(counts[2]));
    number(out, "warning", counts[1]);
    number(out, "info", counts[0]);
    number(out, "baselined", outcome.baselined);
    out.AppendAscii("},\"findings\":[");
    out.EndLine();
    bool first = true;
    for (const Finding& finding : outcome.findings) {
        out.AppendAscii(first ? "{" : ",{");
        first = false;
        member(out, "rule", QLatin1String(finding.ruleId()), true);
        member(out, "severity", SeverityName(finding.severity));
        member(out, "message", finding.message);
        member(out, "path", finding.pathText());
        if (!outcome.file.isEmpty() && finding.at.line > 0) {
            number(out, "line", finding.at.line);
            number(out, "column", finding.at.column);
        }
        out.AppendAscii("}");
        out.EndLine();
    }
    out.AppendAscii("]}");
    out.EndLine();
}

void WriteSarif(PageWriter& out, const Outcome& outcome) {
    out.AppendAscii(R"({"$schema":"https://json.schemastore.org/sarif-2.1.0.json","version":"2.1.0",)");
    out.EndLine();
    out.AppendAscii("\"runs\":[{\"tool\":{\"driver\":{\"name\":\"kavenor\",\"version\":\"" LORVANTIC_VERSION
                    "\",\"semanticVersion\":\"" LORVANTIC_VERSION "\",\"rules\":[");
    out.EndLine();
    bool first = true;
    for (const Rule& rule : Rules()) {
        out.AppendAscii(first ? "{" : ",{");
        first = false;
        member(out, "id", QLatin1String(rule.id), true);
        out.AppendAscii(",\"shortDescription\":{");
        member(out, "text", QLatin1String(rule.summary), true);
        out.AppendAscii("},\"fullDescription\":{");
        member(out, "text", QLatin1String(rule.why), true);
        const QString help = QLatin1String(rule.summary) + u' ' + QLatin1String(rule.why) +
                             QStringLiteral(" See doc/rules.md#") + QLatin1String(rule.id) + u'.';
        out.AppendAscii("},\"help\":{");
        member(out, "text", help, true);
        out.AppendAscii(R"(},"defaultConfiguration":{"enabled":)");
        out.AppendAscii(rule.enabled ? "true" : "false");
        member(out, "level", levelOf(rule.severity));
        out.AppendAscii("}}");
        out.EndLine();
    }
    out.AppendAscii("]}},");
    out.EndLine();
    if (!outcome.file.isEmpty() && !QDir::isAbsolutePath(outcome.file))
        out.AppendAscii(
            "\"originalUriBaseIds\":{\"%SRCROOT%\":{\"description\":{\"text\":\"The folder the check ran "
            "in.\"}}},");
    out.AppendAscii(R"("columnKind":"utf16CodeUnits","results":[)");
    out.EndLine();
    const QString uri = outcome.file.isEmpty() ? QString() : uriOf(outcome.file);
    first = true;
    for (const Finding& finding : outcome.findings) {
        out.AppendAscii(first ? "{" : ",{");
        first = false;
        member(out, "ruleId", QLatin1String(finding.ruleId()), true);
        number(out, "ruleIndex", finding.rule);
        member(out, "level", levelOf(finding.severity));
        out.AppendAscii(",\"message\":{");
        member(out, "text", finding.message, true);
        out.AppendAscii("},\"locations\":[{");
        if (!uri.isEmpty()) {
            out.AppendAscii(R"("physicalLocation":{"artifactLocation":{)");
            member(out, "uri", uri, true);
            if (!QDir::isAbsolutePath(outcome.file))
                member(out, "uriBaseId", u"%SRCROOT%");
            out.AppendAscii("}");
            if (finding.at.line > 0) {
                out.AppendAscii(R"(,"region":{"startLine":)");
                out.AppendAscii(QByteArray::number(finding.at.line));
                number(out, "startColumn", finding.at.column);
                out.AppendAscii("}");
            }
            out.AppendAscii("},");
        }
        out.AppendAscii("\"logicalLocations\":[{");
        member(out, "name", finding.path.last(), true);
        member(out, "fullyQualifiedName", finding.pathText());
        out.AppendAscii("}]}],\"partialFingerprints\":{");
        member(out, "objectPath/v1", QString(QLatin1String(finding.ruleId()) + u'|' + finding.pathText()),
               true);
        out.AppendAscii("}}");
        out.EndLine();
    }
    out.AppendAscii("]}]}");
    out.EndLine();
}

void WriteMarkdown(PageWriter& out, const Outcome& outcome) {
    constexpr qsizetype MaxCharacters = 60'000;
    qsizetype written = 0;
    const auto line = [&](const QString& text) {
        written += text.size() + 1;
        out.AppendLine(text);
    };
    line(QStringLiteral("## kavenor check: ") + Markdown::Text(outcome.server));
    line(QString());
    QString summary = Summary(outcome);
    summary[0] = summary[0].toUpper();
    line(summary + u'.');
    if (outcome.findings.empty())
        return;
    line(QString());
    line(QStringLiteral("| rule | count | severity |"));
    line(QStringLiteral("|---|---:|---|"));
    // Rules in table order, each with its count and the severities its findings have.
    for (qsizetype rule = 0; rule < static_cast<qsizetype>(Rules().size()); ++rule) {
        qsizetype count = 0;
        std::array<bool, 3> severities{};
        for (const Finding& finding : outcome.findings) {
            if (finding.rule == rule) {
                ++count;
                severities[static_cast<std::size_t>(finding.severity)] = true;
            }
        }
        if (count == 0)
            continue;
        QStringList names;
        for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Info})
            if (severities[static_cast<std::size_t>(severity)])
                names << SeverityName(severity);
        line(QStringLiteral("| `%1` | %2 | %3 |")
                 .arg(QLatin1String(Rules()[static_cast<std::size_t>(rule)].id))
                 .arg(count)
                 .arg(names.join(QStringLiteral(", "))));
    }
    line(QString());
    line(QStringLiteral("| severity | where | finding | rule |"));
    line(QStringLiteral("|---|---|---|---|"));
    qsizetype shown = 0;
    for (const Finding& finding : outcome.findings) {
        const QString row =
            QStringLiteral("| %1 | %2 | %3 | `%4` |")
                .arg(SeverityName(finding.severity), Markdown::Text(location(outcome, finding)),
                     Markdown::Text(finding.message), QLatin1String(finding.ruleId()));
        if (written + row.size() > MaxCharacters)
            break;
        line(row);
        ++shown;
    }
    const auto left = static_cast<qsizetype>(outcome.findings.size()) - shown;
    if (left > 0) {
        line(QString());
        line(QStringLiteral("%1 more finding%2 not listed here (see the text or JSON output).")
                 .arg(left)
                 .arg(plural(left)));
    }
}

} // namespace Lorvantic::Check
