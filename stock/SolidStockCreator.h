#pragma once
// Fills a lattice with a box or a cylinder, exactly per ray, in one dispatch.
#include "stock/StockGrid.h"
#include "stock/StockShape.h"

namespace stock {

class SolidStockCreator {
 public:
  // Render thread. Replaces all contents of the grid, whose buffers must be
  // allocated.
  void create(StockGrid& grid, const BoxShape& box);
  void create(StockGrid& grid, const CylinderShape& cylinder);

 private:
  void prepare(StockGrid& grid, unsigned program);
};

// Clears 32-bit words with the clearing kernel.
void clearWords(gpu::SSBO& buffer, uint32_t value);

}  // namespace stock
