// The diff of servers larger than one group of databases (it collects a few hundred catalogue
// rows at a time): every group is compared, the changes come in database order, and holders
// made in a group's arena outlive it where something keeps them.

#include "bench/generator.h"
#include "diff/servercompare.h"
#include "model/holders.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<Olap::Server> serverOf(const QByteArray& description, const QString& path) {
    Lorvantic::Test::writeBytes(path, description);
    return Lorvantic::Test::connectedServer(path);
}

TEST(DiffGroups, ChangesInTheFirstAndLastGroupComeInDatabaseOrder) {
    Bench::GeneratorOptions options;
    options.databases = 12; // 480 cubes and 360 dimensions: more than one group of each
    options.sharedDimensions = 2;
    options.levels = 1;
    options.memberProperties = 0;
    options.partitions = 1;
    options.aggregations = 1;
    const QByteArray before = Bench::GenerateDescription(options);
    QByteArray after = before;
    const QByteArray from = R"("solveOrder": 1)", to = R"("solveOrder": 7)";
    after.replace(after.lastIndexOf(from), from.size(), to).replace(after.indexOf(from), from.size(), to);

    const QString folder = Lorvantic::Test::freshFolder();
    const auto oldServer = serverOf(before, folder + u"/old.json"_s);
    const auto newServer = serverOf(after, folder + u"/new.json"_s);
    const std::vector<ReportKind> kinds{ReportKind::Cubes, ReportKind::Dimensions, ReportKind::Roles};
    EXPECT_TRUE(Diff::CompareServers(oldServer, oldServer, kinds).empty());
    const std::vector<Diff::Change> changes = Diff::CompareServers(oldServer, newServer, kinds);
    ASSERT_EQ(changes.size(), 2U);
    EXPECT_LT(changes[0].database, changes[1].database);
    for (const Diff::Change& change : changes)
        EXPECT_EQ(change.oldText + u"->"_s + change.newText, u"1->7"_s);
}

TEST(HolderArena, AHolderOutlivesTheScopeItWasMadeIn) {
    std::shared_ptr<LevelInfo> kept;
    {
        const HolderArenaScope outer;
        kept = MakeHolder<LevelInfo>();
        const HolderArenaScope inner;
        MakeHolder<CubeInfo>()->Name = u"dropped"_s;
    }
    kept->Name = u"Year"_s;
    EXPECT_EQ(kept->Name, u"Year"_s);
    EXPECT_EQ(CurrentHolderArena(), nullptr);
}

} // namespace
