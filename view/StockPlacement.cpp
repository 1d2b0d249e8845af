#include "view/StockPlacement.h"

namespace view {

void StockPlacement::setPending(const glm::dmat4& placement) {
  std::lock_guard lock(mutex_);
  pending_ = placement;
}

glm::dmat4 StockPlacement::pending() const {
  std::lock_guard lock(mutex_);
  return pending_;
}

std::optional<glm::dmat4> StockPlacement::previous() const {
  std::lock_guard lock(mutex_);
  return previous_;
}

void StockPlacement::commit(stock::StockCollection& stocks) {
  std::lock_guard lock(mutex_);
  if (auto replaced = stocks.setWorkpiecePlacement(pending_)) previous_ = *replaced;
}

}  // namespace view
