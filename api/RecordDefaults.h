#pragma once
// The records a view answers when it has nothing else to give, and the
// start of its own copies.
#include "korvane/Korvane.h"

namespace api {

// What SIM_GetStock answers for an identifier no stock has.
SIM_StockRecord defaultStockRecord();
// What the view's geometry copies start from; SIM_GetGeometry answers it for
// a name no geometry has.
SIM_GeometryRecord defaultGeometryRecord();

}  // namespace api
