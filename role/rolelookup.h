#pragma once

// The two questions the role collection asks of its inputs, kept apart so that each can be
// answered another way (a fuzzed split, an index of the cubes' roles) with the same results.

#include "model/olap.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace Lorvantic {

// The user and user-group names of a role's users text, in their order: every ";" ends a name,
// names are kept exactly as written (blanks and empty names included), and a text that ends
// with ";" has no empty last name. An empty text names nobody.
QStringList SplitRoleUsers(const QString& users);

// The cubes of the database, in collection order, that carry the role: one of a cube's roles
// has exactly this name (letter case counts).
std::vector<std::shared_ptr<Olap::Store>> CubesCarryingRole(const Olap::Store& database,
                                                            const QString& roleName);

} // namespace Lorvantic
