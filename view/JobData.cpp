#include "view/JobData.h"

namespace view {

JobData::JobData() : kinematics_(std::make_unique<machine::IdentityKinematics>()) {}

JobData::~JobData() = default;

toolpath::Toolpath& JobData::ensureToolpath() {
  std::lock_guard lock(creation_);
  if (!toolpathOwner_) {
    toolpathOwner_ = std::make_unique<toolpath::Toolpath>();
    toolpath_ = toolpathOwner_.get();
  }
  return *toolpathOwner_;
}

stock::StockCollection& JobData::ensureStocks() {
  std::lock_guard lock(creation_);
  if (!stocksOwner_) {
    stocksOwner_ = std::make_unique<stock::StockCollection>();
    stocks_ = stocksOwner_.get();
  }
  return *stocksOwner_;
}

}  // namespace view
