#pragma once

// The dimension selector's own steps: the catalogue of every database's dimensions, the
// collection of the checked ones into DimensionInfo holders, and the dimension page.
// Nothing here is guarded: a failing server or holder read passes to the caller.

#include "core/selectorstate.h"
#include "model/holders.h"
#include "model/olap.h"
#include "report/pagerun.h"
#include "report/reportwriter.h"
#include "selection/selectorkind.h"

#include <QString>
#include <memory>
#include <vector>

namespace Lorvantic {

class DimensionKind : public SelectorKind {
public:
    explicit DimensionKind(SelectorState& state);

    // Catalogue rows (database, dimension, "N/A", processed text, unchecked), its columns and
    // the three categories.
    std::vector<SelectionRow> GetCatalogue() override;
    std::vector<SelectionColumn> GetColumns() const override;

    // Collection: a new info list with one DimensionInfo per checked catalogue row.
    void CollectItem(const SelectionRow& row) override;
    QString collectionStatus() const override;
    void GetDimInfo(const QString& databaseName, const QString& dimensionName);
    void GetDimLevels(const Olap::Dimension& obj, DimensionInfo& tempDimension) const;
    static void GetLevelProps(const Olap::Level& obj, LevelInfo& tempLevel);
    static void GetDimCubes(const Olap::Dimension& obj, const Olap::Store& database,
                            DimensionInfo& tempDimension);

    // The page over the info list, written where PageRunOf(state) says.
    static PageKind pageKind();
    void CreateReport() override;
    void WriteSection(const DimensionInfo& item, ReportWriter& report) const;

    const std::shared_ptr<DimensionInfoList>& infoList() const { return m_infoList; }

protected:
    std::vector<SelectionCategory> infoTree() const override;
    void startInfoList(const Selection& selection) override;

private:
    const Olap::Server& server() const;
    static void appendCatalogueRows(const Olap::Store& database, const QString& databaseName,
                                    std::vector<SelectionRow>& rows);
    void writeLevels(const LevelInfoList& levels, ReportWriter& report) const;

    SelectorState& m_state;
    std::shared_ptr<DimensionInfoList> m_infoList;
};

// The cubes of the database that use the named dimension (exact, case-sensitive name match), in
// the database's cube order. Kept on its own so that it can be answered from an index later.
std::vector<std::shared_ptr<Olap::Store>> CubesUsingDimension(const Olap::Store& database,
                                                              const QString& dimensionName);

} // namespace Lorvantic
