#pragma once

// The cube kind of selector: the catalogue of every cube on the server, the information tree of
// its seven categories, the collection of the checked cubes into CubeInfo holders with the
// thirteen collectors, and the cube section of the report page.

#include "core/selectorstate.h"
#include "cube/cubecollectors.h"
#include "model/holders.h"
#include "model/olap.h"
#include "report/pagerun.h"
#include "report/reportwriter.h"
#include "selection/selectorkind.h"

#include <QString>
#include <memory>

namespace Lorvantic {

class CubeKind : public SelectorKind, public CubeCollectors {
public:
    explicit CubeKind(SelectorState& state);

    // The cube texts of the page frame; the cube run is guarded.
    static PageKind pageKind();
    // The list the last collection made (null before the first).
    const std::shared_ptr<CubeInfoList>& infoList() const { return m_info; }
    // How many guarded reads a failure ended during the last collection: none means the list
    // holds everything the server gave of the checked cubes.
    qint32 failedReads() const { return m_failedReads; }

    // Catalogue and information tree. A failure ends the catalogue quietly.
    std::vector<SelectionRow> GetCatalogue() override;
    std::vector<SelectionColumn> GetColumns() const override;

    // Collection. A catalogue longer than a 16-bit counter fails; everything below is guarded
    // on its own.
    void CollectItem(const SelectionRow& row) override;
    QString collectionStatus() const override;
    void GetCubeInfo(const QString& databaseName, const QString& cubeName);
    static QString GetStorageModeText(qint32 code);
    static QString GetAggregateFunctionText(qint32 code);

    // The page over the info list, where the state's page view says (a new report file and
    // the browser unless the caller changed that).
    void CreateReport() override;
    void WriteSection(const CubeInfo& cube, ReportWriter& report) const;

    // What the collectors follow, for a selector that offers them to hosts.
    bool collectsCategory(qint32 category) const override { return categoryChecked(category); }
    void readFailed() override { ++m_failedReads; }

protected:
    std::vector<SelectionCategory> infoTree() const override;
    void startInfoList(const Selection& selection) override;

private:
    void collectParts(Olap::Store& cube, CubeInfo& info);
    void writeParts(const CubeInfo& cube, ReportWriter& report) const;
    void writeRolePart(const CubeInfo& cube, ReportWriter& report) const;
    void writePartitionPart(const CubeInfo& cube, ReportWriter& report) const;
    void writeDimensionPart(const CubeInfo& cube, ReportWriter& report) const;
    void writeMeasurePart(const CubeInfo& cube, ReportWriter& report) const;
    void writeCalcMemberPart(const CubeInfo& cube, ReportWriter& report) const;

    SelectorState& m_state;
    std::shared_ptr<CubeInfoList> m_info;
    qint32 m_failedReads = 0;
};

} // namespace Lorvantic
