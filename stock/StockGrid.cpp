#include "stock/StockGrid.h"

#include <cmath>

namespace stock {

namespace {

// Each retry after a failed allocation asks for this share of the budget.
constexpr double kRetryShare = 0.7;
constexpr int kAllocationRetries = 24;

}  // namespace

bool StockGrid::setFrame(const GridFrame& frame) {
  if (frame.sameAs(frame_)) return false;
  frame_ = frame;
  gridChanged_ = 1;
  return true;
}

bool StockGrid::buffersReady() const {
  return frame_.valid() && nodeWords_ && signField_ && nodeWords_->size() == frame_.nodeWordBytes() &&
         signField_->size() == frame_.signFieldBytes();
}

bool StockGrid::allocateBuffers() {
  if (!frame_.valid()) return false;
  if (!nodeWords_) nodeWords_.emplace();
  if (!signField_) signField_.emplace();
  // The old contents are rebuilt anyway; giving them back first leaves the
  // device the most room.
  if (nodeWords_->size() != frame_.nodeWordBytes() || signField_->size() != frame_.signFieldBytes()) {
    if (nodeWords_->size() != frame_.nodeWordBytes()) nodeWords_->tryResize(0);
    if (signField_->size() != frame_.signFieldBytes()) signField_->tryResize(0);
  }
  return nodeWords_->tryResize(frame_.nodeWordBytes()) && signField_->tryResize(frame_.signFieldBytes());
}

bool StockGrid::setUp(const StockBox& box, double cells, const gpu::DeviceLimits& limits) {
  const uint64_t blockLimit = limits.maxStorageBlockBytes > 0 ? limits.maxStorageBlockBytes : UINT64_MAX;
  for (int attempt = 0; attempt <= kAllocationRetries; ++attempt) {
    std::optional<GridFrame> frame = fittingFrame(box, cells, blockLimit, blockLimit);
    if (!frame) break;
    setFrame(*frame);
    if (allocateBuffers()) return true;
    cells = std::floor(cells * kRetryShare);
    if (cells < 1) break;
  }
  releaseBuffers();
  frame_ = GridFrame{};
  gridChanged_ = 1;
  return false;
}

void StockGrid::bind() const {
  nodeWords_->bindBase(0);
  signField_->bindBase(1);
}

void StockGrid::releaseBuffers() {
  nodeWords_.reset();
  signField_.reset();
}

}  // namespace stock
