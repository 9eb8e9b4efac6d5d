// The answers of the object model that any backend can give by walking its collections.

#include "model/olap.h"

namespace Lorvantic::Olap {

namespace {

template <class T> bool containsName(const Collection<T>& items, const QString& name) {
    const qint32 count = items.Count();
    for (qint32 i = 1; i <= count; ++i)
        if (items.Item(i)->Name() == name)
            return true;
    return false;
}

template <class Uses> std::vector<std::shared_ptr<Store>> cubesWhere(const Store& database, Uses uses) {
    std::vector<std::shared_ptr<Store>> found;
    const CollectionPtr<Store> cubes = database.Cubes();
    const qint32 count = cubes->Count();
    for (qint32 j = 1; j <= count; ++j) {
        std::shared_ptr<Store> cube = cubes->Item(j);
        if (uses(*cube))
            found.push_back(std::move(cube));
    }
    return found;
}

} // namespace

std::vector<std::shared_ptr<Store>> Store::CubesUsingDimension(const QString& dimensionName) const {
    return cubesWhere(*this,
                      [&](const Store& cube) { return containsName(*cube.Dimensions(), dimensionName); });
}

std::vector<std::shared_ptr<Store>> Store::CubesCarryingRole(const QString& roleName) const {
    return cubesWhere(*this, [&](const Store& cube) { return containsName(*cube.Roles(), roleName); });
}

QString Store::ReadFault() const {
    return {};
}

std::vector<UnreadableCube> UnreadableCubes(const Server& server) {
    std::vector<UnreadableCube> found;
    const CollectionPtr<Store> databases = server.Databases();
    for (qint32 i = 1; i <= databases->Count(); ++i) {
        const std::shared_ptr<Store> database = databases->Item(i);
        const CollectionPtr<Store> cubes = database->Cubes();
        for (qint32 j = 1; j <= cubes->Count(); ++j) {
            const std::shared_ptr<Store> cube = cubes->Item(j);
            if (QString fault = cube->ReadFault(); !fault.isEmpty())
                found.push_back({database->Name(), cube->Name(), std::move(fault)});
        }
    }
    return found;
}

} // namespace Lorvantic::Olap
