#pragma once

// A one- or two-dimensional array of variant cells with its own bounds per dimension, as the
// catalogue rows, the information-tree rows and the column arrays travel between a selector
// and the selection dialog. It starts without bounds; reading a bound or a cell then fails.
// Growing the last dimension keeps the contents and costs amortised constant time per row.

#include "model/error.h"
#include "lorvantic_export.h"

#include <QVariant>
#include <vector>

namespace Lorvantic {

class LORVANTIC_EXPORT VariantGrid {
public:
    VariantGrid() = default;

    bool hasBounds() const { return m_dims > 0; }
    int dimensions() const { return m_dims; }

    // Re-dimension, discarding the contents (cells become empty variants).
    void redim(qint32 lower, qint32 upper);
    void redim(qint32 lower0, qint32 upper0, qint32 lower1, qint32 upper1);
    // Grow or shrink the last dimension to the new upper bound, keeping the contents.
    void redimPreserve(qint32 upperLast);
    // Back to no bounds.
    void erase();

    // dimension is 1-based as in LBound/UBound; fails with SubscriptOutOfRange without bounds.
    qint32 lbound(int dimension = 1) const;
    qint32 ubound(int dimension = 1) const;
    // Number of elements along a dimension (0 for an empty range).
    qint32 length(int dimension = 1) const { return ubound(dimension) - lbound(dimension) + 1; }

    QVariant& at(qint32 i);
    const QVariant& at(qint32 i) const;
    QVariant& at(qint32 i, qint32 j);
    const QVariant& at(qint32 i, qint32 j) const;

    bool operator==(const VariantGrid&) const = default;

private:
    std::size_t offset(qint32 i) const;
    std::size_t offset(qint32 i, qint32 j) const;

    int m_dims = 0;
    qint32 m_lower[2] = {0, 0};
    qint32 m_upper[2] = {-1, -1};
    // Column-major along the last index, so growing the last dimension only appends.
    std::vector<QVariant> m_cells;
};

// True when the array has no bounds yet (never sized, or erased).
LORVANTIC_EXPORT bool IsArrayEmpty(const VariantGrid& grid);

} // namespace Lorvantic
