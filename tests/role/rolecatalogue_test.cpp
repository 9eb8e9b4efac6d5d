// The role catalogue, its progress and failures, the column arrays and the information tree.

#include "role/rolekind.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using RoleSelector = Selector<RoleKind>;

// Each database advances the bar by an unrounded share.
TEST(RoleCatalogue, RowsFollowDatabasesAndSkipThoseWithoutRoles) {
    EXPECT_EQ(countedCatalogue<RoleKind>(22.5f),
              (QStringList{u"DB2|x1|about x1|-|bool:false"_s, u"DB2|x2|about x2|-|bool:false"_s,
                           u"DB4|x1|about x1|-|bool:false"_s}));
}

// Nothing is guarded: failures pass to the caller.
TEST(RoleCatalogue, FailuresPassToTheCaller) {
    RoleSelector full(countedServer({32767}));
    full.kind.GetCatalogue();
    EXPECT_EQ(full.state.catalogueRows.ubound(2), 32766);
    RoleSelector over(countedServer({32768})); // the role counter has 16 bits
    EXPECT_EQ(failureOf([&] { over.kind.GetCatalogue(); }), ErrorNumber::Overflow);

    RoleSelector unreachable(std::make_shared<FakeServer>()); // its databases cannot be read
    EXPECT_EQ(failureOf([&] { unreachable.kind.GetCatalogue(); }), ErrorNumber::NotAnswered);
    RoleSelector noServer;
    EXPECT_EQ(failureOf([&] { noServer.kind.GetCatalogue(); }), ErrorNumber::ObjectNotSet);
}

TEST(RoleCatalogue, ColumnArraysAndInfoTree) {
    RoleSelector s;
    EXPECT_EQ(columnAndTreeLines(s.kind, s.state),
              (QStringList{u"Database|Roles|Description|-"_s, u"int:0|int:0|int:0|-"_s,
                           u"short:1600|short:3200|short:3200|-"_s, u"1:VOKKey1|User||bool:false"_s,
                           u"2:VOKKey2|Cube||bool:false"_s, u"3:-|-|-|-"_s}));
}

} // namespace
} // namespace Lorvantic::Test
