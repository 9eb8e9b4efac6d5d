#include "core/variantgrid.h"

#include <gtest/gtest.h>

using namespace Lorvantic;

// A grid starts without bounds, keeps its own lower bounds, grows its last dimension keeping its
// contents, fails outside its bounds, copies by value and is erased whole.
TEST(VariantGrid, BoundsContentsAndCopies) {
    VariantGrid grid;
    EXPECT_TRUE(IsArrayEmpty(grid));
    EXPECT_THROW(grid.ubound(), Error);
    EXPECT_THROW(grid.at(0), Error);
    grid.redim(1, 5, 0, 1);
    EXPECT_FALSE(IsArrayEmpty(grid));
    EXPECT_EQ(grid.lbound(1), 1);
    EXPECT_EQ(grid.lbound(2), 0);
    EXPECT_EQ(grid.length(1), 5);
    EXPECT_THROW(grid.lbound(3), Error);
    for (int r = 0; r <= 1; ++r)
        for (int c = 1; c <= 5; ++c)
            grid.at(c, r) = c * 10 + r;
    grid.redimPreserve(4);
    EXPECT_EQ(grid.ubound(1), 5);
    EXPECT_EQ(grid.ubound(2), 4);
    for (int r = 0; r <= 1; ++r)
        for (int c = 1; c <= 5; ++c)
            EXPECT_EQ(grid.at(c, r).toInt(), c * 10 + r);
    EXPECT_FALSE(grid.at(3, 4).isValid());
    for (const auto& [i, j] : {std::pair{0, 0}, std::pair{6, 0}, std::pair{1, -1}, std::pair{1, 5}})
        EXPECT_THROW(grid.at(i, j), Error) << i << ',' << j;
    EXPECT_THROW(grid.at(1), Error);
    VariantGrid copy = grid;
    copy.at(5, 1) = false;
    EXPECT_EQ(grid.at(5, 1).toInt(), 51);
    grid.erase(); // and its cells with it
    EXPECT_EQ(grid, VariantGrid());
}
