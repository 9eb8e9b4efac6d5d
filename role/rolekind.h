#pragma once

// The role kind of selector: the catalogue of every role of every database, the information
// tree (users, cubes), the collection of the checked roles into a RoleInfoList, and the role
// page with one section per gathered role. Nothing here is guarded: a failure passes to the
// caller, which ends the role flow.

#include "core/selectorstate.h"
#include "model/holders.h"
#include "report/pagerun.h"
#include "report/reportwriter.h"
#include "selection/selectorkind.h"

#include <QString>
#include <memory>

namespace Lorvantic {

class RoleKind : public SelectorKind {
public:
    explicit RoleKind(SelectorState& state);

    // The role texts of the shared page run.
    static PageKind pageKind();

    // Catalogue rows: database, role, description, no status, unchecked.
    std::vector<SelectionRow> GetCatalogue() override;
    // The fourth column has neither caption nor alignment nor width of its own.
    std::vector<SelectionColumn> GetColumns() const override;

    // Collection: a new info list with the checked catalogue rows' roles.
    void CollectItem(const SelectionRow& row) override;
    QString collectionStatus() const override;
    void GetRoleInfo(const QString& databaseName, const QString& roleName);
    void GetRoleUsers(const Olap::Role& obj, RoleInfo& tempRole) const;
    void GetRoleCubes(const Olap::Role& obj, const Olap::Store& database, RoleInfo& tempRole) const;

    // The page run into a new report file, opened in the browser.
    void CreateReport() override;
    // The page run with the given destination; anchors in the sections follow the selector's
    // index option. Returns the page's path ("" when no page was made).
    QString CreateReport(PageRunState& run);
    void WriteSection(const RoleInfo& tempRole, ReportWriter& report) const;

    // Empty until the first RetrieveInfo.
    const std::shared_ptr<RoleInfoList>& roleInfoList() const { return m_roles; }

protected:
    // Categories 1 "User" and 2 "Cube", both unchecked, and a third without key or caption.
    std::vector<SelectionCategory> infoTree() const override;
    void startInfoList(const Selection& selection) override;

private:
    const Olap::Server& server() const;
    // The list RetrieveInfo made; fails when there is none yet.
    RoleInfoList& roleList() const;

    SelectorState& m_state;
    std::shared_ptr<RoleInfoList> m_roles;
};

} // namespace Lorvantic
