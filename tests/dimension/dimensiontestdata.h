#pragma once

#include "external/servermodel.h"

#include <memory>

namespace Lorvantic::Test {

// OLAPTEST01: "FoodMart" (dimensions Time, Sales^Promotion Media, Store Size, R&D <Labs>; cubes
// Sales, Budget, Warehouse) and "Lab & <Test>" (dimension Product; cube Trials). Catalogue rows:
// 0 Time, 1 Sales^Promotion Media, 2 Store Size, 3 R&D <Labs>, 4 Product.
std::shared_ptr<Olap::ServerData> dimensionServer();

} // namespace Lorvantic::Test
