// The indexed answers to "which cubes use this dimension / carry this role" must be exactly
// those of walking every cube, in the same order.

#include "model/olap.h"
#include "model/servermodel.h"

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

// Database "D" of 12 dimensions, 12 roles (two in each letter case) and 60 cubes each using up to
// four of them at random.
std::shared_ptr<Olap::ServerData> randomServer(quint32 seed) {
    QRandomGenerator random(seed);
    auto data = std::make_shared<Olap::ServerData>();
    Olap::DatabaseData& db = data->databases.emplace_back();
    db.name = QStringLiteral("D");
    for (int d = 0; d < 12; ++d) {
        db.dimensions.push_back({QStringLiteral("Dim %1").arg(d), false, 0, std::nullopt, 0, 0, {}, {}});
        db.roles.push_back(
            {d % 2 ? QStringLiteral("Role %1").arg(d) : QStringLiteral("role %1").arg(d - 1), {}, {}, {}});
    }
    for (int c = 0; c < 60; ++c) {
        Olap::CubeData& cube = db.cubes.emplace_back();
        cube.name = QStringLiteral("Cube %1").arg(c);
        for (int k = random.bounded(5); k > 0; --k) {
            cube.dimensions.push_back(db.dimensions[random.bounded(12)].name);
            cube.roles.push_back(db.roles[random.bounded(12)].name);
        }
    }
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
