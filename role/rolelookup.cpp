#include "rolelookup.h"

namespace Lorvantic {

namespace {

bool carriesRole(const Olap::Store& cube, const QString& roleName) {
    const Olap::CollectionPtr<Olap::Role> roles = cube.Roles();
    const qint32 count = roles->Count();
    for (qint32 k = 1; k <= count; ++k)
        if (roles->Item(k)->Name() == roleName)
            return true;
    return false;
}

} // namespace

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
    std::vector<std::shared_ptr<Olap::Store>> carrying;
    const Olap::CollectionPtr<Olap::Store> cubes = database.Cubes();
    const qint32 count = cubes->Count();
    for (qint32 j = 1; j <= count; ++j) {
        std::shared_ptr<Olap::Store> cube = cubes->Item(j);
        if (carriesRole(*cube, roleName))
            carrying.push_back(std::move(cube));
    }
    return carrying;
}

} // namespace Lorvantic
