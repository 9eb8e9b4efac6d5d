#include "automation/metaselcube.h"

#include "automation/flowtraits.h"
#include "cube/cubekind.h"

namespace Lorvantic {

MetaSelCube::MetaSelCube()
    : SelectorBase({QStringLiteral("Cube Information"), 20110, std::nullopt, QStringLiteral("Cubes"), true},
                   [](SelectorState& state) { return std::make_unique<CubeKind>(state); }) {}

const CubeKind& MetaSelCube::kind() const {
    return cubeKind();
}

CubeKind& MetaSelCube::cubeKind() const {
    return static_cast<CubeKind&>(selectorKind());
}

bool MetaSelCube::collectsCategory(qint32 category) const {
    return cubeKind().collectsCategory(category);
}

void MetaSelCube::readFailed() {
    cubeKind().readFailed();
}

} // namespace Lorvantic
