#include "core/variantgrid.h"

namespace Lorvantic {

namespace {
[[noreturn]] void outOfRange() {
    throw Error(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

std::size_t span(qint32 lower, qint32 upper) {
    if (upper < lower - 1)
        outOfRange();
    return static_cast<std::size_t>(static_cast<qint64>(upper) - lower + 1);
}
} // namespace

void VariantGrid::redim(qint32 lower, qint32 upper) {
    const std::size_t n = span(lower, upper);
    m_cells.assign(n, QVariant());
    m_dims = 1;
    m_lower[0] = lower;
    m_upper[0] = upper;
}

void VariantGrid::redim(qint32 lower0, qint32 upper0, qint32 lower1, qint32 upper1) {
    const std::size_t n = span(lower0, upper0) * span(lower1, upper1);
    m_cells.assign(n, QVariant());
    m_dims = 2;
    m_lower[0] = lower0;
    m_upper[0] = upper0;
    m_lower[1] = lower1;
    m_upper[1] = upper1;
}

void VariantGrid::redimPreserve(qint32 upperLast) {
    if (m_dims == 0)
        outOfRange();
    const int last = m_dims - 1;
    const std::size_t inner = m_dims == 2 ? span(m_lower[0], m_upper[0]) : 1;
    const std::size_t n = inner * span(m_lower[last], upperLast);
    if (n > m_cells.size() && n > m_cells.capacity())
        m_cells.reserve(std::max(n, m_cells.capacity() * 2));
    m_cells.resize(n);
    m_upper[last] = upperLast;
}

void VariantGrid::erase() {
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_dims = 0;
    m_lower[0] = m_lower[1] = 0;
    m_upper[0] = m_upper[1] = -1;
}

qint32 VariantGrid::lbound(int dimension) const {
    if (dimension < 1 || dimension > m_dims)
        outOfRange();
    return m_lower[dimension - 1];
}

qint32 VariantGrid::ubound(int dimension) const {
    if (dimension < 1 || dimension > m_dims)
        outOfRange();
    return m_upper[dimension - 1];
}

std::size_t VariantGrid::offset(qint32 i) const {
    if (m_dims != 1 || i < m_lower[0] || i > m_upper[0])
        outOfRange();
    return static_cast<std::size_t>(i - m_lower[0]);
}

std::size_t VariantGrid::offset(qint32 i, qint32 j) const {
    if (m_dims != 2 || i < m_lower[0] || i > m_upper[0] || j < m_lower[1] || j > m_upper[1])
        outOfRange();
    const std::size_t inner = span(m_lower[0], m_upper[0]);
    return static_cast<std::size_t>(j - m_lower[1]) * inner + static_cast<std::size_t>(i - m_lower[0]);
}

QVariant& VariantGrid::at(qint32 i) {
    return m_cells[offset(i)];
}
const QVariant& VariantGrid::at(qint32 i) const {
    return m_cells[offset(i)];
}
QVariant& VariantGrid::at(qint32 i, qint32 j) {
    return m_cells[offset(i, j)];
}
const QVariant& VariantGrid::at(qint32 i, qint32 j) const {
    return m_cells[offset(i, j)];
}

bool IsArrayEmpty(const VariantGrid& grid) {
    try {
        (void)grid.ubound(1);
        return false;
    } catch (const Error&) {
        return true;
    }
}

} // namespace Lorvantic
