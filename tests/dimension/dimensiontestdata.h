#pragma once

#include "dimensionkind.h"
#include "progress.h"
#include "selectorstate.h"
#include "servermodel.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace Lorvantic::Test {

// OLAPTEST01: "FoodMart" (dimensions Time, Sales^Promotion Media, Store Size, R&D <Labs>; cubes
// Sales, Budget, Warehouse) and "Lab & <Test>" (dimension Product; cube Trials).
std::shared_ptr<Olap::ServerData> dimensionServer();

Olap::DimensionData dimensionNamed(const QString& name);
Olap::CubeData cubeUsing(const QString& name, std::vector<QString> dimensions);

// A server of empty databases holding the given numbers of dimensions ("D1", "D2", ...).
std::shared_ptr<Olap::ServerData> serverWithDimensions(const std::vector<int>& dimensionsPerDatabase);

struct ProgressLog {
    std::vector<float> steps;
    QStringList statuses;
    int closes = 0;
};

class RecordingProgress : public ProgressWindow {
public:
    explicit RecordingProgress(ProgressLog& log)
        : m_log(log) {}
    void Progress(float nProgress) override { m_log.steps.push_back(nProgress); }
    void Status(const QString& sStatus) override { m_log.statuses << sStatus; }
    void Close() override { ++m_log.closes; }

private:
    ProgressLog& m_log;
};

// A dimension selector on the server (with a log: in application mode, with a recording
// window) whose catalogue and information tree are built.
struct Selector {
    explicit Selector(std::shared_ptr<const Olap::ServerData> data, ProgressLog* log = nullptr);
    void tick(std::initializer_list<qint32> rows);
    void check(std::initializer_list<qint32> categories);
    const DimensionInfo& item(qint32 i) const { return *(*kind.infoList())[i]; }
    // Runs the page into a new file without a browser; returns the file's path.
    QString writePage();

    std::unique_ptr<SelectorState> state;
    DimensionKind kind;
};

} // namespace Lorvantic::Test
