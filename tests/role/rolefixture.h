#pragma once

#include "rolekind.h"
#include "servermodel.h"

#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace Lorvantic::Test {

class RecordingProgress : public ProgressWindow {
public:
    void Progress(float nProgress) override { steps.push_back(nProgress); }
    void Status(const QString& sStatus) override { statuses << sStatus; }
    void Close() override { ++closed; }

    std::vector<float> steps;
    QStringList statuses;
    int closed = 0;
};

using RoleKey = std::pair<QString, QString>; // database, role

Olap::CubeData cube(const QString& name, qint32 state, std::optional<QDateTime> lastProcessed,
                    std::optional<double> size, std::vector<QString> roles);

// OLAPTEST01: "Archive" without roles; "Sales" with Readers, Writers, readers, Nobody and
// "R&D <Team>" over three cubes; "HR" with Readers over one cube without a size.
Olap::ServerData sampleServer();
std::vector<RoleKey> allSampleRoles();

// A role selector over a server model.
struct RoleFixture {
    explicit RoleFixture(const Olap::ServerData& data);

    // Switches to application mode with a recording progress window.
    RecordingProgress& useProgress();
    // Builds the catalogue and the tree, then checks the given roles and categories.
    void check(const std::vector<RoleKey>& roles, bool users, bool cubes);

    SelectorState state;
    RoleKind kind{state};
};

} // namespace Lorvantic::Test
