// Catalogue rows, column arrays, information tree and catalogue progress of the dimension kind.

#include "dimension/dimensionkind.h"
#include "tests/cube/fakeolap.h"
#include "tests/cube/selectorfixture.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;
using DimensionSelector = Selector<DimensionKind>;

// Each database advances the bar by an unrounded share.
TEST(DimensionCatalogue, RowsFollowDatabasesAndSkipEmptyOnes) {
    EXPECT_EQ(countedCatalogue<DimensionKind>(22.5f),
              (QStringList{u"DB2|x1|N/A|Processed|bool:false"_s, u"DB2|x2|N/A|Not Processed|bool:false"_s,
                           u"DB4|x1|N/A|Processed|bool:false"_s}));
}

TEST(DimensionCatalogue, ColumnArraysAndInfoTree) {
    DimensionSelector s;
    EXPECT_EQ(
        columnAndTreeLines(s.kind, s.state),
        (QStringList{u"Database|Dimension|Size|Status"_s, u"int:0|int:0|int:1|int:0"_s,
                     u"short:1600|short:3200|short:800|short:1600"_s, u"1:VOKKey1|Levels||bool:false"_s,
                     u"2:VOKKey2|Level properties|VOKKey1|bool:false"_s, u"3:VOKKey3|Cube||bool:false"_s}));
}

// Nothing is guarded: the failure reaches the caller and the rows filled before it stay.
TEST(DimensionCatalogue, FailuresReachTheCaller) {
    auto db = fakeStore(u"DB1"_s);
    auto dimension = std::make_shared<FakeDimension>();
    dimension->name = u"D1"_s;
    db->dimensions = fakeList<Olap::Dimension>({dimension});
    DimensionSelector s(fakeServer({db}, 2)); // the second database cannot be had
    EXPECT_EQ(failureOf([&] { s.kind.GetCatalogue(); }), ErrorNumber::ItemNotFound);
    EXPECT_EQ(catalogueLines(s.state.catalogueRows), QStringList{u"DB1|D1|N/A|Not Processed|bool:false"_s});

    s.state.DSOServer = fakeServer({}, 32768); // the database counter has 16 bits
    EXPECT_EQ(failureOf([&] { s.kind.GetCatalogue(); }), ErrorNumber::Overflow);
    s.state.DSOServer.reset();
    EXPECT_EQ(failureOf([&] { s.kind.GetCatalogue(); }), ErrorNumber::ObjectNotSet);
}

} // namespace
} // namespace Lorvantic::Test
