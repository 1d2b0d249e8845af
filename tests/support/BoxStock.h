#pragma once
// An uncut box stock in a lattice of about the given number of cells, for
// GPU tests that cut it and read its surface.
#include <gtest/gtest.h>

#include "gpu/DeviceLimits.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockGrid.h"
#include "stock/StockShape.h"

namespace testsupport {

struct BoxStock {
  stock::BoxShape box;
  stock::StockGrid grid;

  // False (with a test failure) when the lattice cannot be set up.
  bool make(const glm::dvec3& min, const glm::dvec3& max, double cells, const gpu::DeviceLimits& limits,
            const glm::dmat4& placement = glm::dmat4(1.0)) {
    box.min = min;
    box.max = max;
    box.placement = placement;
    if (!grid.setUp(stock::boundsOf(box), cells, limits)) {
      ADD_FAILURE() << "no lattice for the box";
      return false;
    }
    stock::SolidStockCreator().create(grid, box);
    return true;
  }
};

}  // namespace testsupport
