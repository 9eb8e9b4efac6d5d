#pragma once

// Descriptions repeat many texts (aggregation and data source names, connection and format
// strings): equal short ASCII texts share one QString, saving an allocation and its memory for
// every repetition. An open-addressing table keyed by the hash of the bytes.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace Lorvantic::Olap {

class TextPool {
public:
    // The text of utf8 (ascii: it is plain ASCII); empty gives a null QString.
    QString get(const std::string& utf8, bool ascii) {
        if (utf8.empty())
            return QString();
        const auto size = static_cast<qsizetype>(utf8.size());
        if (!ascii)
            return QString::fromUtf8(utf8.data(), size);
        if (utf8.size() > MaxLength)
            return QString::fromLatin1(utf8.data(), size);
        const std::size_t hash = std::hash<std::string_view>()(utf8);
        Slot& slot = find(hash, QLatin1String(utf8.data(), size));
        if (!slot.text.isNull())
            return slot.text;
        QString text = QString::fromLatin1(utf8.data(), size);
        slot = {hash, text};
        if (++m_count * 2 > m_slots.size())
            makeRoom();
        return text;
    }

private:
    static constexpr std::size_t MaxLength = 256;
    // Small enough to stay in the processor's cache; when half full, it starts afresh.
    // It starts small (most descriptions repeat few texts) and doubles up to that size.
    static constexpr std::size_t MaxSlots = 1 << 13;
    static constexpr std::size_t FirstSlots = 1 << 6;

    struct Slot {
        std::size_t hash = 0;
        QString text; // null: free
    };

    // The slot holding the text, or the free slot where it belongs.
    Slot& find(std::size_t hash, QLatin1String text) {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.text.isNull() || (slot.hash == hash && slot.text == text))
                return slot;
        }
    }

    // Where a text not yet in the table goes.
    Slot& freeSlot(std::size_t hash) {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = hash & mask;
        while (!m_slots[i].text.isNull())
            i = (i + 1) & mask;
        return m_slots[i];
    }

    void makeRoom() {
        if (m_slots.size() >= MaxSlots) {
            std::fill(m_slots.begin(), m_slots.end(), Slot());
            m_count = 0;
            return;
        }
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (Slot& slot : old)
            if (!slot.text.isNull())
                freeSlot(slot.hash) = std::move(slot);
    }

    std::vector<Slot> m_slots = std::vector<Slot>(FirstSlots);
    std::size_t m_count = 0;
};

} // namespace Lorvantic::Olap
