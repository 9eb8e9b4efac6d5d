#pragma once

// The cube kind of selector: the catalogue of every cube on the server, the information tree of
// its seven categories, the collection of the checked cubes into CubeInfo holders, and the
// cube section of the report page.

#include "model/holders.h"
#include "core/selectorstate.h"
#include "core/variantgrid.h"
#include "model/olap.h"
#include "report/pagerun.h"
#include "report/reportwriter.h"

#include <QString>
#include <memory>

namespace Lorvantic {

class CubeKind : public SelectorKind {
public:
    explicit CubeKind(SelectorState& state);

    // The cube texts of the page frame; the cube run is guarded.
    static PageKind pageKind();
    // The list the last RetrieveInfo made (null before the first).
    const std::shared_ptr<CubeInfoList>& infoList() const { return m_info; }
    // How many guarded reads a failure ended during the last RetrieveInfo: none means the list
    // holds everything the server gave of the checked cubes.
    qint32 failedReads() const { return m_failedReads; }

    // Catalogue and information tree.
    void GetCatalogue() override;
    void GetColumnHeaders(VariantGrid& aColHead) const override;
    void GetColumnAligns(VariantGrid& aColAlign) const override;
    void GetColumnWidths(VariantGrid& aColWidth) const override;
    void GetInfoTree() override;

    // Collection. RetrieveInfo fails on a catalogue without bounds; everything below it is
    // guarded on its own.
    void RetrieveInfo() override;
    void GetCubeInfo(const QString& databaseName, const QString& cubeName);
    static QString GetStorageModeText(qint32 code);
    static QString GetAggregateFunctionText(qint32 code);

    // The public collectors: a Boolean one returns false when a failure ended it.
    void GetCubeRoles(Olap::Store& obj, CubeInfo& tempCube);
    bool GetCubePartitions(Olap::Store& obj, CubeInfo& tempCube);
    bool GetPartitionInfo(Olap::Store& obj, CubeInfo& tempCube);
    bool GetCubeDataSources(Olap::Store& obj, PartitionInfo& tempPart);
    bool GetDataSourceInfo(Olap::DataSource& obj, PartitionInfo& tempPart);
    bool GetCubeDimensions(Olap::Store& obj, CubeInfo& tempCube);
    bool GetDimensionInfo(Olap::Dimension& obj, CubeInfo& tempCube);
    void GetDimLevelInfo(Olap::Dimension& obj, DimensionInfo& tempDimension);
    bool GetLevelInfo(Olap::Level& obj, DimensionInfo& tempDimension);
    bool GetCubeMeasures(Olap::Store& obj, CubeInfo& tempCube);
    bool GetMeasureInfo(Olap::Measure& obj, CubeInfo& tempCube);
    bool GetCubeCalcMbrs(Olap::Store& obj, CubeInfo& tempCube);
    bool GetCalcMbrInfo(Olap::Command& obj, CubeInfo& tempCube);

    // The page over the info list, where the state's page view says (a new report file and
    // the browser unless the caller changed that).
    void CreateReport() override;
    void WriteSection(const CubeInfo& cube, ReportWriter& report) const;

private:
    bool categoryChecked(CubeInfoNames category) const;
    template <class Step> bool guarded(Step&& step);
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
