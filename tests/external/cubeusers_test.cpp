// The indexed answers to "which cubes use this dimension / carry this role" must be exactly
// those of walking every cube, in the same order.

#include "external/olap.h"
#include "external/servermodel.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace Lorvantic;

namespace {

QStringList names(const std::vector<std::shared_ptr<Olap::Store>>& cubes) {
    QStringList list;
    for (const auto& cube : cubes)
        list << cube->Name();
    return list;
}

std::shared_ptr<Olap::ServerData> randomServer(quint32 seed) {
    QRandomGenerator random(seed);
    auto data = std::make_shared<Olap::ServerData>();
    data->name = QStringLiteral("S");
    Olap::DatabaseData db;
    db.name = QStringLiteral("D");
    for (int d = 0; d < 12; ++d) {
        Olap::DimensionData dimension;
        dimension.name = QStringLiteral("Dim %1").arg(d);
        db.dimensions.push_back(dimension);
        Olap::RoleData role;
        role.name = d % 2 ? QStringLiteral("Role %1").arg(d) : QStringLiteral("role %1").arg(d - 1);
        db.roles.push_back(role);
    }
    for (int c = 0; c < 60; ++c) {
        Olap::CubeData cube;
        cube.name = QStringLiteral("Cube %1").arg(c);
        const int uses = random.bounded(5);
        for (int k = 0; k < uses; ++k) {
            cube.dimensions.push_back(db.dimensions[random.bounded(12)].name);
            cube.roles.push_back(db.roles[random.bounded(12)].name);
        }
        db.cubes.push_back(cube);
    }
    data->databases.push_back(db);
    return data;
}

} // namespace

TEST(CubeUsers, TheIndexAnswersAsTheWalkDoes) {
    for (quint32 seed = 1; seed <= 20; ++seed) {
        const auto data = randomServer(seed);
        const auto database = Olap::ServerFromModel(data)->Databases()->Item(1);
        for (int d = -1; d < 13; ++d) {
            const QString dimension = QStringLiteral("Dim %1").arg(d);
            EXPECT_EQ(names(database->CubesUsingDimension(dimension)),
                      names(database->Olap::Store::CubesUsingDimension(dimension)));
            for (const QString& role : {QStringLiteral("Role %1").arg(d), QStringLiteral("role %1").arg(d)})
                EXPECT_EQ(names(database->CubesCarryingRole(role)),
                          names(database->Olap::Store::CubesCarryingRole(role)));
        }
    }
}

TEST(CubeUsers, ABrokenReferenceFailsAsTheWalkWould) {
    auto data = randomServer(7);
    Olap::CubeData broken;
    broken.name = QStringLiteral("Broken");
    broken.dimensions = {QStringLiteral("Dim 1"), QStringLiteral("Nowhere")};
    data->databases[0].cubes.insert(data->databases[0].cubes.begin(), broken);
    const auto database = Olap::ServerFromModel(data)->Databases()->Item(1);
    EXPECT_EQ(names(database->CubesUsingDimension(QStringLiteral("Dim 1"))).value(0),
              QStringLiteral("Broken"));
    EXPECT_THROW(database->CubesUsingDimension(QStringLiteral("Dim 2")), Error);
}
