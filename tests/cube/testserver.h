#pragma once

// The small hand-made server of the cube tests, a recording progress window, and helpers that
// check catalogue rows and categories the way the selection dialog hands them back.

#include "cubekind.h"
#include "servermodel.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace Lorvantic::Test {

// Server "OLAPTEST01": database "FoodMart" with cubes "Sales" and "Budget <2027>", database
// "Tom's & Jerry's" with cubes "Inventory" and "Broken" (processed, without a processing date).
std::shared_ptr<const Olap::ServerData> cubeTestModel();

class RecordingProgress : public ProgressWindow {
public:
    void Progress(float nProgress) override { steps.push_back(nProgress); }
    void Status(const QString& sStatus) override { statuses << sStatus; }
    void Close() override { ++closed; }

    std::vector<float> steps;
    QStringList statuses;
    int closed = 0;
};

// A selector state on a server and its cube kind.
struct CubeSelector {
    explicit CubeSelector(std::shared_ptr<Olap::Server> server);

    // Installs a recording progress window in application mode and returns it.
    RecordingProgress& recordProgress();
    // Checks the catalogue rows of these cube names (all others unchecked).
    void checkCubes(const std::vector<const char*>& cubeNames);
    // Checks exactly these categories of the information tree.
    void checkCategories(const std::vector<CubeInfoNames>& categories);
    void checkAllCategories();
    // Runs the page into a fresh file with the header clock at 0 and returns its bytes.
    QByteArray runPage();

    SelectorState state;
    CubeKind kind{state};
};

} // namespace Lorvantic::Test
