// The rules of kavenor check on their examples (tests/data/check, the examples of doc/rules.md),
// the configuration and the baseline.

#include "check/config.h"
#include "check/output.h"
#include "external/readers/serverfiles.h"
#include "report/pagewriter.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Check;
using namespace Qt::StringLiterals;
namespace lt = Lorvantic::Test;

namespace {

// The moment the examples are checked at (SOURCE_DATE_EPOCH of the command-line tests).
const QDateTime Now = QDateTime::fromSecsSinceEpoch(1764511500);

Olap::ServerData load(const QString& name) {
    return Olap::LoadServerDescription(name, lt::dataPath(u"check/"_s + name));
}

// Only the rule of that id, on and at its default severity.
Settings only(const QString& id) {
    Settings settings = DefaultSettings();
    for (RuleSetting& rule : settings.rules)
        rule.enabled = false;
    settings.rules[static_cast<std::size_t>(RuleIndex(id))].enabled = true;
    settings.now = Now;
    return settings;
}

QString lines(const std::vector<Finding>& findings) {
    QStringList out;
    for (const Finding& f : findings)
        out << u"%1:%2 %3 %4"_s.arg(f.at.line).arg(f.at.column).arg(QLatin1String(f.ruleId()), f.message);
    return out.join(u'\n');
}

QString writeOut(const std::function<void(PageWriter&)>& write) {
    const QString path = lt::freshFolder() + u"/out"_s;
    {
        PageWriter out(path, true);
        write(out);
    }
    return QString::fromUtf8(lt::readBytes(path));
}

} // namespace

// One row per rule (tests/data/check/rules.txt): its failing example gives exactly its finding,
// at the line and column of the row; its passing example gives none. Every rule has a row, and
// doc/rules.md shows both examples as they are and the rule's severity, default and reach.
TEST(CheckRules, EachRuleFindsItsFailingExampleAndNotItsPassingOne) {
    const QString doc =
        QString::fromUtf8(lt::readBytes(QStringLiteral(LORVANTIC_SOURCE_DIR "/doc/rules.md")));
    QSet<QString> covered;
    for (const QString& row :
         QString::fromUtf8(lt::readBytes(lt::dataPath(u"check/rules.txt"_s))).split(u'\n')) {
        const QStringList fields = row.split(u'|');
        if (row.startsWith(u'#') || fields.size() != 3)
            continue;
        const QString& id = fields[0];
        SCOPED_TRACE(id.toStdString());
        ASSERT_GE(RuleIndex(id), 0);
        covered.insert(id);
        const QString passing = QString(fields[1]).replace(u".fail."_s, u".pass."_s);
        const std::vector<Finding> found = RunRules(load(fields[1]), only(id), false);
        ASSERT_EQ(found.size(), 1U) << lines(found).toStdString();
        EXPECT_EQ(u"%1:%2"_s.arg(found[0].at.line).arg(found[0].at.column), fields[2]);
        EXPECT_EQ(QLatin1String(found[0].ruleId()), id);
        EXPECT_EQ(lines(RunRules(load(passing), only(id), false)), QString());
        // The summary table says what the rule table does: severity, default, live servers too.
        const Rule& rule = Rules()[static_cast<std::size_t>(RuleIndex(id))];
        const QString tableRow = u"| [`%1`](#%1) | %2 | %3%4 | %5 |"_s.arg(
            id, SeverityName(rule.severity), rule.enabled ? u"on"_s : u"off"_s,
            rule.filesOnly ? u", files only"_s : QString(), QString::fromUtf8(rule.summary));
        EXPECT_TRUE(doc.contains(tableRow)) << "doc/rules.md lacks the row " << tableRow.toStdString();
        const QString section = doc.section(u"\n## `"_s + id + u'`', 1, 1).section(u"\n## "_s, 0, 0);
        for (const QString& example : {fields[1], passing})
            EXPECT_TRUE(
                section.contains(QString::fromUtf8(lt::readBytes(lt::dataPath(u"check/"_s + example)))))
                << "doc/rules.md does not show " << example.toStdString() << " under its rule";
    }
    EXPECT_EQ(covered.size(), static_cast<qsizetype>(Rules().size()));
}

// The passing examples are clean under the default rules too: they show the model as it should be.
TEST(CheckRules, PassingExamplesAreCleanUnderTheDefaults) {
    Settings defaults = DefaultSettings();
    defaults.now = Now;
    for (const QString& name : QDir(lt::dataPath(u"check"_s)).entryList({u"*.pass.*"_s})) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(lines(RunRules(load(name), defaults, false)), QString());
    }
}

TEST(CheckRules, LiveServersSkipWhatTheirRowsetsDoNotTell) {
    const std::vector<Finding> found =
        RunRules(load(u"role-without-members.fail.json"_s), only(u"role-without-members"_s), true);
    EXPECT_TRUE(found.empty());
    // A finding on a live server is placed by its path alone.
    const std::vector<Finding> live =
        RunRules(load(u"measure-without-format.fail.json"_s), only(u"measure-without-format"_s), true);
    ASSERT_EQ(live.size(), 1U);
    const Outcome outcome{u"http://olap.example/xmla"_s, QString(), live, 0};
    EXPECT_EQ(writeOut([&](PageWriter& out) { WriteText(out, outcome); }),
              u"Demo / Shop / Sales / Amount: warning: measure 'Amount' of cube 'Sales' has no format string "
              "[measure-without-format]\n"_s);
}

TEST(CheckConfig, SwitchesRulesSetsSeveritiesAndThresholdsAndIgnoresObjects) {
    const QString folder = lt::freshFolder();
    lt::writeBytes(folder + u"/c.json"_s, R"({"rules": {"measure-without-format": "error",
        "cube-stale": {"threshold": 200}, "cube-never-processed": "off", "role-without-description": "on"},
        "ignore": ["Demo / Shop / Readers"]})");
    Settings settings = DefaultSettings();
    ApplyConfig(settings, folder + u"/c.json"_s);
    const auto setting = [&](const char* id) {
        return settings.rules[static_cast<std::size_t>(RuleIndex(QString::fromLatin1(id)))];
    };
    EXPECT_EQ(setting("measure-without-format").severity, Severity::Error);
    EXPECT_TRUE(setting("cube-stale").enabled);
    EXPECT_EQ(setting("cube-stale").threshold, 200);
    EXPECT_FALSE(setting("cube-never-processed").enabled);
    EXPECT_TRUE(setting("role-without-description").enabled);
    settings.now = Now;
    // The cube is 153 days old, the role without a description is ignored.
    EXPECT_EQ(lines(RunRules(load(u"cube-stale.fail.json"_s), settings, false)), QString());
    EXPECT_EQ(lines(RunRules(load(u"role-without-description.fail.json"_s), settings, false)), QString());
    const std::vector<Finding> error = RunRules(load(u"measure-without-format.fail.json"_s), settings, false);
    ASSERT_EQ(error.size(), 1U);
    EXPECT_EQ(error[0].severity, Severity::Error);

    // Faults name the file and what is wrong; an unknown rule is never ignored.
    const std::pair<const char*, const char*> faults[] = {
        {R"({"rules": {"measure-without-fromat": "off"}})", "unknown rule 'measure-without-fromat'"},
        {R"({"rules": {"cube-stale": "loud"}})", "rule 'cube-stale': unknown severity 'loud'"},
        {R"({"rules": {"cube-stale": {"days": 3}}})", "rule 'cube-stale': 'days' is not a setting"},
        {R"({"ignore": [3]})", "each entry of \"ignore\" is an object path"},
        {R"({"rule": {}})", "'rule' is not a setting"},
        {"{\n  \"rules\": {,}\n}", "c.json:2:14: configuration is not JSON"},
    };
    for (const auto& [text, message] : faults) {
        lt::writeBytes(folder + u"/c.json"_s, text);
        try {
            ApplyConfig(settings, folder + u"/c.json"_s);
            ADD_FAILURE() << text;
        } catch (const ConfigError& e) {
            EXPECT_TRUE(e.text.contains(QLatin1String(message))) << e.text.toStdString();
        }
    }
}

// A baseline is the JSON output; it matches by rule and object path, so a finding that moved to
// another line stays out and one on another object comes in.
TEST(CheckBaseline, LeavesOutTheFindingsOfAnEarlierRunByRuleAndPath) {
    Settings settings = DefaultSettings();
    settings.now = Now;
    Outcome before{u"Demo"_s, u"x.json"_s,
                   RunRules(load(u"measure-without-format.fail.json"_s), settings, false), 0};
    ASSERT_EQ(before.findings.size(), 1U);
    const QString folder = lt::freshFolder();
    lt::writeBytes(folder + u"/baseline.json"_s,
                   writeOut([&](PageWriter& out) { WriteJson(out, before); }).toUtf8());
    const QSet<QString> baseline = ReadBaseline(folder + u"/baseline.json"_s);

    Olap::ServerData moved = load(u"measure-without-format.fail.json"_s);
    Olap::CubeData& cube = moved.databases[0].cubes[0];
    cube.measures[0].at.line += 5;
    cube.measures.push_back(cube.measures[0]);
    cube.measures.back().name = u"Discount"_s;
    std::vector<Finding> after = RunRules(moved, settings, false);
    EXPECT_EQ(ApplyBaseline(after, baseline), 1);
    EXPECT_EQ(lines(after),
              u"17:21 measure-without-format measure 'Discount' of cube 'Sales' has no format string"_s);
    lt::writeBytes(folder + u"/other.json"_s, R"({"format": "lorvantic-report/1"})");
    EXPECT_THROW(ReadBaseline(folder + u"/other.json"_s), ConfigError);
}
