#include "rolefixture.h"
#include "rolelookup.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

TEST(RoleUsers, SplitsAtEverySemicolonWithoutTrimming) {
    const struct {
        const char* text;
        QStringList names;
    } cases[] = {
        {"", {}},
        {"corp\\alice", {QStringLiteral("corp\\alice")}},
        {"a;b;c", {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"a;", {QStringLiteral("a")}},
        {"a;;", {QStringLiteral("a"), QString()}},
        {";", {QString()}},
        {";a", {QString(), QStringLiteral("a")}},
        {"a;;b", {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {" a ; b ", {QStringLiteral(" a "), QStringLiteral(" b ")}},
        {"a,b:c", {QStringLiteral("a,b:c")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitRoleUsers(QString::fromUtf8(c.text)), c.names) << c.text;
}

QStringList cubeNames(const RoleInfo& role) {
    QStringList names;
    for (const auto& cube : role.Cubes)
        names << cube->Name;
    return names;
}

TEST(RoleCollection, GathersCheckedRolesInCatalogueOrder) {
    RoleFixture f(sampleServer());
    const std::vector<RoleKey> chosen = {allSampleRoles()[4], allSampleRoles()[0], allSampleRoles()[2]};
    f.check(chosen, true, true);
    f.kind.RetrieveInfo();
    const RoleInfoList& list = *f.kind.roleInfoList();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[1]->Name, QStringLiteral("Readers"));
    EXPECT_EQ(list[2]->Name, QStringLiteral("readers"));
    EXPECT_EQ(list[3]->Name, QStringLiteral("R&D <Team>"));

    // Role names compare with letter case: each twin has its own cubes.
    EXPECT_EQ(cubeNames(*list[1]), QStringList({QStringLiteral("Budget"), QStringLiteral("Stock & <Flow>")}));
    EXPECT_EQ(cubeNames(*list[2]), QStringList({QStringLiteral("Forecast")}));
}

TEST(RoleCollection, CategoriesCountWhenTheirFlagConvertsToTrue) {
    RoleFixture f(sampleServer());
    f.check({allSampleRoles()[1]}, false, false);
    f.state.infoTreeRows.at(rinUser, 3) = QVariant();
    f.state.infoTreeRows.at(rinCube, 3) = QVariant(1);
    f.kind.RetrieveInfo();
    const RoleInfo& writers = *(*f.kind.roleInfoList())[1];
    EXPECT_EQ(writers.Users.Count(), 0);
    EXPECT_EQ(writers.Cubes.Count(), 2);
}

TEST(RoleCollection, ProgressAdvancesForEveryRow) {
    RoleFixture f(sampleServer());
    RecordingProgress& progress = f.useProgress();
    f.check({allSampleRoles()[3]}, true, true);
    progress.steps.clear();
    progress.statuses.clear();
    f.kind.RetrieveInfo();
    EXPECT_EQ(progress.steps, std::vector<float>(6, 12.5f));
    EXPECT_EQ(progress.statuses, QStringList(6, QStringLiteral("Retrieving Role information")));
}

qint32 failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

TEST(RoleCollection, FailuresPassToTheCaller) {
    RoleFixture f(sampleServer());
    f.kind.GetInfoTree();
    EXPECT_EQ(failureOf([&] { f.kind.RetrieveInfo(); }), ErrorNumber::SubscriptOutOfRange);
    ASSERT_TRUE(f.kind.roleInfoList());
    EXPECT_EQ(f.kind.roleInfoList()->Count(), 0);

    f.check({allSampleRoles()[0]}, true, true);
    f.state.catalogueRows.at(1, 0) = QStringLiteral("READERS");
    EXPECT_EQ(failureOf([&] { f.kind.RetrieveInfo(); }), ErrorNumber::ItemNotFound);

    // A processed cube without a processing date, and a cube naming a role the database lacks.
    Olap::ServerData broken = sampleServer();
    broken.databases[2].cubes[0].lastProcessed.reset();
    RoleFixture undated(broken);
    undated.check({allSampleRoles()[5]}, false, true);
    EXPECT_EQ(failureOf([&] { undated.kind.RetrieveInfo(); }), ErrorNumber::NotAnswered);

    broken.databases[2].cubes[0].roles = {QStringLiteral("Ghost")};
    RoleFixture ghost(broken);
    ghost.check({allSampleRoles()[5]}, false, true);
    EXPECT_EQ(failureOf([&] { ghost.kind.RetrieveInfo(); }), ErrorNumber::ItemNotFound);
}

} // namespace
} // namespace Lorvantic::Test
