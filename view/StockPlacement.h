#pragma once
// Where the workpiece stands: the placement tool edits pending values that
// committing moves every stock to, keeping the placement they had before.
// Any thread.
#include <mutex>
#include <optional>

#include <glm/mat4x4.hpp>

#include "stock/StockCollection.h"

namespace view {

class StockPlacement {
 public:
  // The placement tool's values: applied by the user, or loaded with the
  // workpiece's current placement when the tool is switched on.
  void setPending(const glm::dmat4& placement);
  glm::dmat4 pending() const;
  // The workpiece placement before the last commit that moved a stock.
  std::optional<glm::dmat4> previous() const;
  // Call with the stock lock held exclusively: the stocks are placed again.
  void commit(stock::StockCollection& stocks);

 private:
  mutable std::mutex mutex_;
  glm::dmat4 pending_{1.0};
  std::optional<glm::dmat4> previous_;
};

}  // namespace view
