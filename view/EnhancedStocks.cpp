#include "view/EnhancedStocks.h"

#include <algorithm>
#include <thread>

#include "enhance/StockEnhancement.h"

namespace view {
namespace {

void forwardProgress(void* context, int percent) { (*static_cast<const std::function<void(int)>*>(context))(percent); }

}  // namespace

EnhancedStocks::EnhancedStocks(Make make, KeyOf keyOf)
    : make_(std::move(make)), keyOf_(std::move(keyOf)), jobs_([this](int stock, const enhance::RireRir::Report& report) {
        return run(stock, report);
      }) {
  jobs_.setWorkerThread(std::this_thread::get_id());
}

EnhancedStocks::~EnhancedStocks() { jobs_.close(); }

void EnhancedStocks::sync(const std::vector<uint32_t>& stocks) {
  for (auto at = made_.begin(); at != made_.end();) {
    if (std::find(stocks.begin(), stocks.end(), at->first) == stocks.end()) {
      jobs_.removeJob(static_cast<int>(at->first));
      at = made_.erase(at);
    } else {
      ++at;
    }
  }
  for (const uint32_t stock : stocks) {
    jobs_.addJob(static_cast<int>(stock));
    made_.try_emplace(stock);
  }
}

std::unique_ptr<enhance::EnhancedMesh> EnhancedStocks::run(int stock, const enhance::RireRir::Report& report) {
  const uint32_t id = static_cast<uint32_t>(stock);
  const std::optional<Key> key = keyOf_(id);
  Made& made = made_[id];
  made.solid.reset();
  made.tried = false;
  if (!key) return nullptr;
  std::unique_ptr<enhance::EnhancedMesh> mesh = make_(id, report);
  // A state that gave no mesh (no surface, a lattice too large for the
  // device, a closing view) is not tried again every frame.
  made.key = *key;
  made.tried = true;
  if (!mesh) return nullptr;
  made.solid = std::make_unique<stock::SolidMesh>();
  enhance::copyIntoSolidMesh(*mesh, *made.solid);
  return mesh;
}

bool EnhancedStocks::current(uint32_t stock) const {
  const auto at = made_.find(stock);
  if (at == made_.end() || !at->second.tried) return false;
  const std::optional<Key> key = keyOf_(stock);
  return key && *key == at->second.key;
}

void EnhancedStocks::refresh(uint32_t stock) {
  if (!current(stock)) jobs_.EnhanceStockModel(static_cast<int>(stock), nullptr, nullptr);
}

const stock::SolidMesh* EnhancedStocks::shown(uint32_t stock) const {
  return current(stock) ? made_.at(stock).solid.get() : nullptr;
}

bool EnhancedStocks::settled(uint32_t stock) const { return current(stock); }

std::optional<stock::SurfaceMesh> EnhancedStocks::surfaceFor(uint32_t stock,
                                                             const std::function<void(int)>& progress) {
  if (!current(stock))
    jobs_.EnhanceStockModel(static_cast<int>(stock), const_cast<std::function<void(int)>*>(&progress),
                            &forwardProgress);
  const enhance::EnhancedMesh* mesh = jobs_.meshOf(static_cast<int>(stock));
  if (!mesh || !current(stock)) return std::nullopt;
  return enhance::readBackSurface(*mesh);
}

}  // namespace view
