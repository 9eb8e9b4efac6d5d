#include "core/variantgrid.h"

#include <gtest/gtest.h>

using namespace Lorvantic;

TEST(VariantGrid, StartsWithoutBoundsAndFailsToReadThem) {
    VariantGrid grid;
    EXPECT_TRUE(IsArrayEmpty(grid));
    EXPECT_THROW(grid.ubound(), Error);
    EXPECT_THROW(grid.at(0), Error);
    grid.redim(0, 3);
    EXPECT_FALSE(IsArrayEmpty(grid));
    grid.erase();
    EXPECT_TRUE(IsArrayEmpty(grid));
}

TEST(VariantGrid, GrowsTheLastDimensionKeepingContents) {
    VariantGrid rows;
    rows.redim(0, 4, 0, 1);
    for (int r = 0; r <= 1; ++r)
        for (int c = 0; c <= 4; ++c)
            rows.at(c, r) = c * 10 + r;
    rows.redimPreserve(4);
    EXPECT_EQ(rows.ubound(2), 4);
    EXPECT_EQ(rows.ubound(1), 4);
    for (int r = 0; r <= 1; ++r)
        for (int c = 0; c <= 4; ++c)
            EXPECT_EQ(rows.at(c, r).toInt(), c * 10 + r);
    EXPECT_FALSE(rows.at(3, 4).isValid());
    EXPECT_THROW(rows.at(5, 0), Error);
    EXPECT_THROW(rows.at(0, 5), Error);
    EXPECT_THROW(rows.at(0), Error);
}

TEST(VariantGrid, KeepsItsOwnLowerBounds) {
    VariantGrid tree;
    tree.redim(1, 7, 0, 3);
    EXPECT_EQ(tree.lbound(1), 1);
    EXPECT_EQ(tree.lbound(2), 0);
    EXPECT_EQ(tree.length(1), 7);
    EXPECT_THROW(tree.at(0, 0), Error);
    EXPECT_THROW(tree.lbound(3), Error);
    tree.at(7, 3) = true;
    VariantGrid copy = tree;
    copy.at(7, 3) = false;
    EXPECT_TRUE(tree.at(7, 3).toBool());
}
