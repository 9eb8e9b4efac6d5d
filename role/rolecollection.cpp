// Gathering the checked roles: each role's users and the cubes that carry it.

#include "report/reportfile.h"
#include "role/rolekind.h"
#include "role/rolelookup.h"

namespace Lorvantic {

void RoleKind::startInfoList(const Selection& /*selection*/) {
    m_roles = std::make_shared<RoleInfoList>();
}

QString RoleKind::collectionStatus() const {
    return QStringLiteral("Retrieving Role information");
}

void RoleKind::CollectItem(const SelectionRow& row) {
    GetRoleInfo(row.database, row.name);
}

void RoleKind::GetRoleInfo(const QString& databaseName, const QString& roleName) {
    RoleInfoList& list = roleList();
    auto tempRole = MakeHolder<RoleInfo>();
    const std::shared_ptr<Olap::Store> database = server().Databases()->Item(databaseName);
    const std::shared_ptr<Olap::Role> role = database->Roles()->Item(roleName);
    tempRole->Name = role->Name();
    if (categoryChecked(rinUser))
        GetRoleUsers(*role, *tempRole);
    if (categoryChecked(rinCube))
        GetRoleCubes(*role, *database, *tempRole);
    tempRole->DatabaseName = database->Name();
    list.Add(std::move(tempRole));
}

void RoleKind::GetRoleUsers(const Olap::Role& obj, RoleInfo& tempRole) const {
    const QStringList names = SplitRoleUsers(obj.UsersList());
    tempRole.Users.Reserve(static_cast<qint32>(names.size()));
    for (const QString& name : names) {
        auto user = MakeHolder<UserInfo>();
        user->Name = name;
        tempRole.Users.Add(std::move(user));
    }
}

void RoleKind::GetRoleCubes(const Olap::Role& obj, const Olap::Store& database, RoleInfo& tempRole) const {
    const std::vector<std::shared_ptr<Olap::Store>> cubes = CubesCarryingRole(database, obj.Name());
    tempRole.Cubes.Reserve(static_cast<qint32>(cubes.size()));
    for (const std::shared_ptr<Olap::Store>& cube : cubes) {
        auto tempCube = MakeHolder<CubeInfo>();
        tempCube->Name = cube->Name();
        tempCube->Size = GetSizeInMB(*cube);
        tempCube->ProcessingDate =
            ProcessingDateText(*cube, tempCube->ProcessedAt, QStringLiteral("Not processed"));
        tempRole.Cubes.Add(std::move(tempCube));
    }
}

} // namespace Lorvantic
