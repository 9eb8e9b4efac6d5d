#include "model/holders.h"

#include <utility>

namespace Lorvantic {

namespace {
thread_local std::shared_ptr<HolderArena> currentArena;
} // namespace

HolderArenaScope::HolderArenaScope()
    : m_outer(std::exchange(currentArena, std::make_shared<HolderArena>())) {}

HolderArenaScope::~HolderArenaScope() {
    currentArena = std::move(m_outer);
}

const std::shared_ptr<HolderArena>& CurrentHolderArena() {
    return currentArena;
}

} // namespace Lorvantic
