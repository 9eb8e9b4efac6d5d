#include "dialogs/sortkeys.h"

#include <QChar>
#include <algorithm>
#include <string_view>
#include <utility>

namespace Lorvantic {

namespace {

// The value in the UTF-8 scheme (up to four bytes for the values a folded code unit can take).
void appendOrderedBytes(char32_t value, std::string& out) {
    const auto byte = [&out](char32_t bits) {
        out.push_back(static_cast<char>(bits));
    };
    if (value < 0x80) {
        byte(value);
    } else if (value < 0x800) {
        byte(0xC0 | (value >> 6));
        byte(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        byte(0xE0 | (value >> 12));
        byte(0x80 | ((value >> 6) & 0x3F));
        byte(0x80 | (value & 0x3F));
    } else {
        byte(0xF0 | (value >> 18));
        byte(0x80 | ((value >> 12) & 0x3F));
        byte(0x80 | ((value >> 6) & 0x3F));
        byte(0x80 | (value & 0x3F));
    }
}

} // namespace

// The comparison folds code units one by one, a low surrogate together with the high one
// before it. Each folded value is written in the UTF-8 scheme, which keeps the order of the
// values (lone surrogates included).
void appendSortKey(QStringView text, std::string& out) {
    char16_t last = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit));
            last = unit;
            continue;
        }
        const char32_t point = QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(last)
                                   ? QChar::surrogateToUcs4(last, unit)
                                   : char32_t(unit);
        appendOrderedBytes(QChar::toCaseFolded(point), out);
        last = unit;
    }
}

void TextRanking::reserve(std::size_t count) {
    m_starts.reserve(count + 1);
}

void TextRanking::add(QStringView text) {
    m_starts.push_back(m_keys.size());
    appendSortKey(text, m_keys);
}

std::vector<int> TextRanking::ranks() const {
    const std::size_t count = m_starts.size();
    const auto key = [this, count](std::size_t i) {
        const std::size_t end = i + 1 < count ? m_starts[i + 1] : m_keys.size();
        return std::string_view(m_keys).substr(m_starts[i], end - m_starts[i]);
    };
    // Each key beside its text's number: the sort moves small pairs through one array.
    std::vector<std::pair<std::string_view, std::size_t>> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = {key(i), i};
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> ranks(count);
    int rank = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (k == 0 || order[k - 1].first != order[k].first)
            rank = static_cast<int>(k);
        ranks[order[k].second] = rank;
    }
    return ranks;
}

} // namespace Lorvantic
