#include "toolpath/MoveEvents.h"

#include <cstring>
#include <string_view>

#include "common/Fnv1a.h"

namespace toolpath {

void MoveEvents::clear() {
  for (auto& list : byCategory_) list.clear();
  byName_.clear();
  moves_.clear();
}

void MoveEvents::load(std::span<const SIM_MoveEvent> events) {
  clear();
  for (const SIM_MoveEvent& host : events) {
    MoveEvent event;
    event.move = host.move;
    std::memcpy(event.payload.data(), host.payload, event.payload.size());
    for (int category = 0; category < kCategories; ++category)
      if (host.categories & (1u << category)) byCategory_[category].push_back(event);
    if (host.name) byName_[common::fnv1a64(std::string_view(host.name))].push_back(event);
    if (moves_.empty() || moves_.back() != host.move) moves_.push_back(host.move);
  }
}

std::span<const MoveEvent> MoveEvents::ofCategory(int category) const {
  if (category < 0 || category >= kCategories) return {};
  return byCategory_[category];
}

std::span<const MoveEvent> MoveEvents::named(uint64_t nameHash) const {
  auto it = byName_.find(nameHash);
  if (it == byName_.end()) return {};
  return it->second;
}

}  // namespace toolpath
