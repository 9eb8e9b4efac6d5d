// The role catalogue, gathering the checked roles (users, cubes carrying them) and the role page.

#include "role/rolekind.h"
#include "role/rolelookup.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using RoleSelector = Selector<RoleKind>;

// "Archive" without roles; "Sales" with the roles of catalogue rows 0 Readers, 1 Writers,
// 2 readers, 3 Nobody and 4 "R&D <Team>" over three cubes; "HR" with row 5 Readers over one cube
// without a size.
const QString Roles = u"roles.json"_s;

// A selector on that server that has gathered these catalogue rows and categories.
std::unique_ptr<RoleSelector> gathered(const std::vector<qint32>& rows, const std::vector<qint32>& categories,
                                       std::shared_ptr<Olap::ServerData> data = serverFile(Roles)) {
    auto s = std::make_unique<RoleSelector>(data);
    s->gather(rows, categories);
    return s;
}

// Each database advances the bar by an unrounded share.
TEST(RoleCatalogue, RowsFollowDatabasesAndSkipThoseWithoutRoles) {
    EXPECT_EQ(countedCatalogue<RoleKind>(22.5f),
              (QStringList{u"DB2|x1|about x1|-|bool:false"_s, u"DB2|x2|about x2|-|bool:false"_s,
                           u"DB4|x1|about x1|-|bool:false"_s}));
}

// Nothing is guarded: failures pass to the caller.
TEST(RoleCatalogue, FailuresPassToTheCaller) {
    RoleSelector full(countedServer({32767}));
    EXPECT_EQ(full.kind.GetCatalogue().size(), 32767U);
    RoleSelector over(countedServer({32768})); // the role counter has 16 bits
    EXPECT_EQ(failureOf([&] { over.kind.GetCatalogue(); }).number, ErrorNumber::Overflow);

    RoleSelector unreachable(std::make_shared<FakeServer>()); // its databases cannot be read
    EXPECT_EQ(failureOf([&] { unreachable.kind.GetCatalogue(); }).number, ErrorNumber::NotAnswered);
    RoleSelector noServer;
    EXPECT_EQ(failureOf([&] { noServer.kind.GetCatalogue(); }).number, ErrorNumber::ObjectNotSet);
}

// The cases: tests/data/role/users.txt.
TEST(RoleUsers, SplitsAtEverySemicolonWithoutTrimming) {
    for (const Case& c : cases(u"role/users.txt"_s)) {
        QStringList names;
        for (const QByteArray& name : c.mid(2, c[1].toInt()))
            names << text(name);
        EXPECT_EQ(SplitRoleUsers(text(c[0])), names) << c[0].toStdString();
    }
}

// Every row advances the bar; only the categories checked are gathered.
TEST(RoleCollection, ProgressAndCheckedCategories) {
    RoleSelector s(serverFile(Roles));
    s.build().tick({1});
    s.check({rinCube});
    RecordingProgress& progress = s.useProgress();
    s.retrieve();
    EXPECT_EQ(progress.steps, std::vector<float>(6, 12.5f));
    EXPECT_EQ(progress.statuses, QStringList(6, u"Retrieving Role information"_s));
    const RoleInfo& writers = *(*s.kind.roleInfoList())[1];
    EXPECT_EQ(writers.Users.Count(), 0);
    EXPECT_EQ(writers.Cubes.Count(), 2);
}

TEST(RoleCollection, FailuresPassToTheCaller) {
    RoleSelector s(serverFile(Roles));
    s.selection.categories = s.kind.GetInfoTree();
    EXPECT_EQ(failureOf([&] { s.retrieve(); }).number, ErrorNumber::SubscriptOutOfRange);
    ASSERT_TRUE(s.kind.roleInfoList());
    EXPECT_EQ(s.kind.roleInfoList()->Count(), 0);

    s.build().tick({0});
    s.selection.rows[0].name = u"READERS"_s; // names compare with letter case
    EXPECT_EQ(failureOf([&] { s.retrieve(); }).number, ErrorNumber::ItemNotFound);

    // A processed cube without a processing date, and a cube naming a role the database lacks.
    const auto broken = serverFile(Roles);
    broken->databases[2].cubes[0].lastProcessed.reset();
    EXPECT_EQ(failureOf([&] { gathered({5}, {rinCube}, broken); }).number, ErrorNumber::NotAnswered);
    broken->databases[2].cubes[0].roles = {u"Ghost"_s};
    EXPECT_EQ(failureOf([&] { gathered({5}, {rinCube}, broken); }).number, ErrorNumber::ItemNotFound);
}

TEST(RolePage, MatchesHandWrittenPages) {
    expectPages<RoleKind>(u"role"_s, Roles);
}

TEST(RolePage, FailuresEndTheRunAndPassToTheCaller) {
    RoleSelector s(serverFile(Roles));
    EXPECT_EQ(failureOf([&] { s.runPage(); }).number, ErrorNumber::ObjectNotSet); // nothing gathered yet

    auto f = gathered({0}, {rinUser, rinCube});
    f->kind.followCategories({});
    EXPECT_EQ(failureOf([&] { f->runPage(); }).number, ErrorNumber::SubscriptOutOfRange);
    const QByteArray page = readBytes(f->pagePath);
    EXPECT_TRUE(page.startsWith("<html><body>\r\n"));
    EXPECT_FALSE(page.contains("</body></html>"));
}

} // namespace
} // namespace Lorvantic::Test
