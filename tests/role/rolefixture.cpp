#include "rolefixture.h"

#include <algorithm>

namespace Lorvantic::Test {

Olap::CubeData cube(const QString& name, qint32 state, std::optional<QDateTime> lastProcessed,
                    std::optional<double> size, std::vector<QString> roles) {
    Olap::CubeData data;
    data.name = name;
    data.state = state;
    data.lastProcessed = std::move(lastProcessed);
    data.estimatedSize = size;
    data.roles = std::move(roles);
    return data;
}

Olap::ServerData sampleServer() {
    const QString readers = QStringLiteral("Readers");
    const QString writers = QStringLiteral("Writers");
    const QString team = QStringLiteral("R&D <Team>");

    Olap::DatabaseData sales;
    sales.name = QStringLiteral("Sales");
    sales.roles = {{readers, QStringLiteral("Read only"), QStringLiteral("corp\\alice")},
                   {writers, QString(), QStringLiteral("corp\\bob;corp\\carol; corp\\dave")},
                   {QStringLiteral("readers"), QStringLiteral("Case twin"), QStringLiteral("corp\\erin;")},
                   {QStringLiteral("Nobody"), QStringLiteral("Carried by no cube"), QString()},
                   {team, QStringLiteral("<&>"), QStringLiteral("a<b;c&d")}};
    sales.cubes = {
        cube(QStringLiteral("Budget"), 1, QDateTime(QDate(2026, 11, 30), QTime(14, 5)), 1048576.0,
             {readers, writers}),
        cube(QStringLiteral("Forecast"), 0, std::nullopt, 5000.0, {QStringLiteral("readers"), team}),
        cube(QStringLiteral("Stock & <Flow>"), 2, QDateTime(QDate(2026, 1, 2), QTime(0, 0)), 2621440.0,
             {writers, readers})};

    Olap::DatabaseData hr;
    hr.name = QStringLiteral("HR");
    hr.roles = {{readers, QStringLiteral("HR readers"), QStringLiteral("hr\\frank")}};
    hr.cubes = {cube(QStringLiteral("Staff"), 1, QDateTime(QDate(2026, 3, 4), QTime(9, 30, 15)), std::nullopt,
                     {readers})};

    Olap::ServerData server;
    server.name = QStringLiteral("OLAPTEST01");
    server.databases = {{QStringLiteral("Archive"), {}, {}, {}}, sales, hr};
    return server;
}

std::vector<RoleKey> allSampleRoles() {
    const QString sales = QStringLiteral("Sales");
    return {{sales, QStringLiteral("Readers")},    {sales, QStringLiteral("Writers")},
            {sales, QStringLiteral("readers")},    {sales, QStringLiteral("Nobody")},
            {sales, QStringLiteral("R&D <Team>")}, {QStringLiteral("HR"), QStringLiteral("Readers")}};
}

RoleFixture::RoleFixture(const Olap::ServerData& data) {
    state.DSOServer = Olap::ServerFromModel(std::make_shared<const Olap::ServerData>(data));
}

RecordingProgress& RoleFixture::useProgress() {
    auto progress = std::make_unique<RecordingProgress>();
    RecordingProgress& recording = *progress;
    state.InitMode = imApplication;
    state.progress = std::move(progress);
    return recording;
}

void RoleFixture::check(const std::vector<RoleKey>& roles, bool users, bool cubes) {
    kind.GetCatalogue();
    kind.GetInfoTree();
    VariantGrid& rows = state.catalogueRows;
    for (qint32 row = rows.lbound(2); row <= rows.ubound(2); ++row) {
        const RoleKey key{rows.at(0, row).toString(), rows.at(1, row).toString()};
        rows.at(4, row) = std::find(roles.begin(), roles.end(), key) != roles.end();
    }
    state.infoTreeRows.at(rinUser, 3) = users;
    state.infoTreeRows.at(rinCube, 3) = cubes;
}

} // namespace Lorvantic::Test
