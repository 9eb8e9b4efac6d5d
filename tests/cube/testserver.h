#pragma once

#include "external/servermodel.h"

#include <memory>

namespace Lorvantic::Test {

// Server "OLAPTEST01": database "FoodMart" with cubes "Sales" and "Budget <2027>", database
// "Tom's & Jerry's" with cubes "Inventory" and "Broken" (processed, without a processing date).
// Catalogue rows: 0 Sales, 1 Budget <2027>, 2 Inventory, 3 Broken.
std::shared_ptr<const Olap::ServerData> cubeTestModel();

} // namespace Lorvantic::Test
