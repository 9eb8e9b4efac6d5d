#pragma once

// Sort keys of texts: each text folded once into bytes whose order is the order of
// QString::compare(..., Qt::CaseInsensitive), so that a long list sorts on plain byte
// comparisons instead of folding both texts at every comparison.

#include <QStringView>
#include <cstddef>
#include <string>
#include <vector>

namespace Lorvantic {

// Appends the text's key to out. Two keys compare with memcmp (shorter key first on a tie of
// the common part) as the texts compare without regard to letter case.
void appendSortKey(QStringView text, std::string& out);

// Ranks texts by their keys, which lie side by side in one buffer.
class TextRanking {
public:
    void reserve(std::size_t count);
    void add(QStringView text);
    // Each added text's rank, in the order they were added: the number of texts that sort
    // before it. Equal texts share a rank, so a stable sort on the ranks keeps their order
    // either way round.
    std::vector<int> ranks() const;

private:
    std::string m_keys;
    std::vector<std::size_t> m_starts;
};

} // namespace Lorvantic
