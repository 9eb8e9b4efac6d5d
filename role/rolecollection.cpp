// Gathering the checked roles: each role's users and the cubes that carry it.

#include "core/grids.h"
#include "report/reportfile.h"
#include "role/rolekind.h"
#include "role/rolelookup.h"

namespace Lorvantic {

void RoleKind::RetrieveInfo() {
    m_roles = std::make_shared<RoleInfoList>();
    const VariantGrid& rows = m_state.catalogueRows;
    // Reading the bounds fails for a catalogue that never received rows.
    const qint32 first = rows.lbound(2);
    const qint32 last = rows.ubound(2);
    const float step = 75.0F / static_cast<float>(last - first + 1);
    for (qint32 row = first; row <= last; ++row) {
        m_state.advanceProgress(step);
        m_state.showStatus(QStringLiteral("Retrieving Role information"));
        if (rows.at(CatalogueColumn::Checked, row).toBool())
            GetRoleInfo(rows.at(CatalogueColumn::Database, row).toString(),
                        rows.at(CatalogueColumn::Name, row).toString());
    }
}

void RoleKind::GetRoleInfo(const QString& databaseName, const QString& roleName) {
    RoleInfoList& list = roleList();
    auto tempRole = MakeHolder<RoleInfo>();
    const std::shared_ptr<Olap::Store> database = server().Databases()->Item(databaseName);
    const std::shared_ptr<Olap::Role> role = database->Roles()->Item(roleName);
    tempRole->Name = role->Name();
    if (m_state.categoryChecked(rinUser, false))
        GetRoleUsers(*role, *tempRole);
    if (m_state.categoryChecked(rinCube, false))
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
