#include "olap.h"

namespace Lorvantic::Olap {
std::shared_ptr<Server> CreateServer() {
    return nullptr;
}
} // namespace Lorvantic::Olap
