#include "role/rolelookup.h"

namespace Lorvantic {

QStringList SplitRoleUsers(const QString& users) {
    QStringList names;
    QStringView rest(users);
    while (!rest.isEmpty()) {
        const qsizetype separator = rest.indexOf(u';');
        if (separator < 0) {
            names << rest.toString();
            break;
        }
        names << rest.left(separator).toString();
        rest = rest.mid(separator + 1);
    }
    return names;
}

std::vector<std::shared_ptr<Olap::Store>> CubesCarryingRole(const Olap::Store& database,
                                                            const QString& roleName) {
    return database.CubesCarryingRole(roleName);
}

} // namespace Lorvantic
