#include "api/RecordDefaults.h"

#include <cstring>

namespace api {

SIM_StockRecord defaultStockRecord() {
  SIM_StockRecord r;
  std::memset(&r, 0, sizeof r);  // every byte, padding included
  r.version = 4;
  r.cylinderAxis = 2;  // Z
  r.quality = 0.5f;
  r.colour[0] = r.colour[1] = r.colour[2] = 0.176f;
  r.precision = SIM_STOCK_PRECISION_QUALITY;
  r.level = 2;
  r.visible = 1;
  r.refine = 2;  // the view's own setting
  return r;
}

SIM_GeometryRecord defaultGeometryRecord() {
  SIM_GeometryRecord r;
  std::memset(&r, 0, sizeof r);
  r.role = SIM_GEOMETRY_OTHER;
  r.reserved420 = 10;
  return r;
}

}  // namespace api
