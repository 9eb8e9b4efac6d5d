// The diff of two servers over real description files and schemas: the changes as text lines
// and as a page, against golden files (LORVANTIC_UPDATE_GOLDEN=1 rewrites them).

#include "diff/diffdata.h"
#include "diff/diffpage.h"
#include "diff/difftext.h"
#include "diff/servercompare.h"
#include "tests/cube/fakeolap.h"
#include "tests/support/testsupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Diff;
using namespace Qt::StringLiterals;
namespace lt = Lorvantic::Test;

namespace {

const std::vector<ReportKind> AllKinds{ReportKind::Cubes, ReportKind::Dimensions, ReportKind::Roles};

// A path under the source tree.
QString source(const char* path) {
    return QStringLiteral(LORVANTIC_SOURCE_DIR "/") + QLatin1String(path);
}

std::vector<Change> compare(const QString& oldServer, const QString& newServer,
                            const std::vector<ReportKind>& kinds, bool processing = false) {
    return CompareServers(lt::connectedServer(oldServer), lt::connectedServer(newServer), kinds,
                          {processing});
}

QString diffText(const char* oldServer, const char* newServer, const std::vector<ReportKind>& kinds,
                 bool processing = false) {
    return DiffText(compare(source(oldServer), source(newServer), kinds, processing));
}

void expectGolden(const QByteArray& actual, const QString& name) {
    const QString path = lt::dataPath(u"diff/"_s + name);
    if (qEnvironmentVariableIsSet("LORVANTIC_UPDATE_GOLDEN"))
        lt::writeBytes(path, actual);
    EXPECT_EQ(actual, lt::readBytes(path)) << name.toStdString();
}

// No items, or one without a name, which cannot be read.
template <class Base, class Fake> Olap::CollectionPtr<Base> unreadableItemIf(bool wanted) {
    return lt::fakeList(wanted ? std::vector<std::shared_ptr<Base>>{std::make_shared<Fake>()}
                               : std::vector<std::shared_ptr<Base>>{});
}

} // namespace

TEST(ServerCompare, ShowsWhatAReaderOfBothReportsWouldSee) {
    struct Case {
        const char* oldServer;
        const char* newServer;
        bool processing;
        const char* golden;
    };
    const Case cases[] = {
        // Added, removed and changed items and parts at every depth, renamed items, the same names
        // in two databases, lists in another order, names with '<', '&', '\'' and non-ASCII.
        {"samples/servers/sample.json", "tests/data/diff/sample-edited.json", false, "sample-edited.txt"},
        {"samples/servers/sample.json", "tests/data/diff/sample-edited.json", true,
         "sample-edited-processing.txt"},
        // Every list at every depth in reverse order.
        {"samples/servers/sample.json", "tests/data/diff/sample-reordered.json", true, "identical.txt"},
        {"samples/servers/sample.json", "samples/servers/sample.json", true, "identical.txt"},
        {"samples/servers/FoodMart.xml", "tests/data/diff/FoodMart-edited.xml", false, "foodmart-edited.txt"},
    };
    for (const Case& c : cases)
        expectGolden(diffText(c.oldServer, c.newServer, AllKinds, c.processing).toUtf8(),
                     QLatin1String(c.golden));
}

TEST(ServerCompare, ComparesOnlyTheKindsAsked) {
    const QStringList all =
        diffText("samples/servers/sample.json", "tests/data/diff/sample-edited.json", AllKinds)
            .split(u'\n', Qt::SkipEmptyParts);
    const QStringList roles =
        diffText("samples/servers/sample.json", "tests/data/diff/sample-edited.json", {ReportKind::Roles})
            .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_FALSE(roles.isEmpty());
    EXPECT_EQ(roles, all.filter(QRegularExpression(u"^. role "_s)));
}

TEST(ServerCompare, QuotesNamesAndValuesSoThatALineReadsOneWay) {
    EXPECT_EQ(Quoted(u"a \"b\" \\ c\nd\te\x01"), u"\"a \\\"b\\\" \\\\ c\\nd\\te\\x01\""_s);
}

TEST(DiffPage, IsTheGoldenPage) {
    lt::ScopedEnv epoch("SOURCE_DATE_EPOCH", u"1764511500"_s);
    const std::vector<Change> changes = compare(source("samples/servers/sample.json"),
                                                source("tests/data/diff/sample-edited.json"), AllKinds);
    const QString path = lt::freshFolder() + u"/diff.html"_s;
    {
        PageWriter page(path);
        WriteDiffPage(page, {u"OLAPDEMO01"_s, u"OLAPDEMO02 <new> & more"_s}, AllKinds, changes);
    }
    expectGolden(lt::readBytes(path), u"sample-edited.html"_s);
}

// A part of a cube that cannot be read is no removed part: the diff fails and names it.
TEST(ServerCompare, APartOfACubeThatCannotBeReadEndsTheDiff) {
    using namespace Lorvantic::Test;
    for (const QString& part : {QString(), u"roles"_s, u"partitions"_s, u"dimensions"_s, u"levels"_s,
                                u"measures"_s, u"calculated members"_s}) {
        auto cube = fakeStore(u"C"_s); // without a processing date to read
        cube->state = 0;
        cube->roles = unreadableItemIf<Olap::Role, FakeRole>(part == u"roles");
        cube->partitions = unreadableItemIf<Olap::Store, FakeStore>(part == u"partitions");
        auto dimension = std::make_shared<FakeDimension>();
        dimension->name = u"X"_s;
        dimension->shared = part == u"dimensions" ? std::nullopt : std::optional(true);
        dimension->levels = unreadableItemIf<Olap::Level, FakeLevel>(part == u"levels");
        cube->dimensions = fakeList<Olap::Dimension>({dimension});
        cube->measures = unreadableItemIf<Olap::Measure, FakeMeasure>(part == u"measures");
        cube->commands = unreadableItemIf<Olap::Command, FakeCommand>(part == u"calculated members");
        const std::shared_ptr<Olap::Server> server = fakeServer({fakeStore(u"D"_s, {cube})});
        const QString what = part == u"levels" ? u"levels of dimension 'X'"_s : part;
        EXPECT_EQ(failureOf([&] { CompareServers(server, server, {ReportKind::Cubes}); }).description,
                  part.isEmpty()
                      ? QString()
                      : u"Server 'FAKE': the %1 of cube 'C' of database 'D' could not be read"_s.arg(what));
    }
}

// A pull-request comment has a size limit: the Markdown stops before the table that would pass
// it and says how many changes it left out.
TEST(DiffMarkdown, StopsAtAWholeTableBelowTheLimitAndCountsWhatItLeftOut) {
    std::vector<Change> changes;
    for (int database = 0; database < 40; ++database) {
        for (int i = 0; i < 60; ++i) {
            Change change;
            change.kind = ReportKind::Cubes;
            change.database = u"DB %1"_s.arg(database, 2, 10, QChar(u'0'));
            change.item = u"Cube | %1"_s.arg(i);
            change.value = "Display Format"_L1;
            change.oldText = u"#,##0"_s;
            change.newText = u"Currency"_s;
            changes.push_back(change);
        }
    }
    const QString text = DiffMarkdown({u"A"_s, u"B"_s}, {ReportKind::Cubes}, changes);
    EXPECT_LE(text.size(), MarkdownLimit);
    EXPECT_TRUE(text.startsWith(u"**Cubes: 0 added, 0 removed, 2400 changed.** (A -> B)\n"_s));
    const qsizetype tables = text.count(u"\n### Cubes in DB "_s);
    EXPECT_GT(tables, 10);
    EXPECT_EQ(text.count(u"| changed | Cube \\| "_s), tables * 60) << "only whole tables";
    EXPECT_TRUE(text.endsWith(u"\n%1 of 2400 changes are not shown here. `kavenor diff --format text` (or "
                              "`--format json`) lists them all.\n"_s.arg(2400 - tables * 60)));
    EXPECT_FALSE(DiffMarkdown({u"A"_s, u"B"_s}, {ReportKind::Cubes}, {changes.begin(), changes.begin() + 60})
                     .contains(u"not shown"_s));
}
