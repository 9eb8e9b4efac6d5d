#include "core/holders.h"

#include <utility>

namespace Lorvantic {

namespace {
thread_local std::shared_ptr<HolderArena> currentArena;
} // namespace

void* HolderArena::allocate(std::size_t bytes, std::size_t alignment) {
    void* at = m_next;
    if (at == nullptr || std::align(alignment, bytes, at, m_left) == nullptr) {
        const std::size_t size = std::max(BlockBytes, bytes + alignment);
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        at = m_blocks.back().get();
        m_left = size;
        std::align(alignment, bytes, at, m_left); // a new block always has room
    }
    m_next = static_cast<std::byte*>(at) + bytes;
    m_left -= bytes;
    return at;
}

HolderArenaScope::HolderArenaScope()
    : m_outer(std::exchange(currentArena, std::make_shared<HolderArena>())) {}

HolderArenaScope::~HolderArenaScope() {
    currentArena = std::move(m_outer);
}

const std::shared_ptr<HolderArena>& CurrentHolderArena() {
    return currentArena;
}

} // namespace Lorvantic
