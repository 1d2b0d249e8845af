#include "view/ProgressTasks.h"

#include <algorithm>

namespace view {

void ProgressTasks::setProgress(uint32_t id, uint32_t percent, const std::u16string& caption) {
  std::lock_guard lock(mutex_);
  if (last_ == std::pair(id, percent)) return;
  last_ = std::pair(id, percent);
  const auto it = tasks_.find(id);
  if (it == tasks_.end()) {
    if (percent <= 99) tasks_.emplace(id, Shown{percent, caption});
    return;
  }
  if (percent > 99)
    tasks_.erase(it);
  else
    it->second.percent = percent;
}

std::optional<ProgressTasks::Shown> ProgressTasks::shown() const {
  std::lock_guard lock(mutex_);
  const auto least = std::min_element(tasks_.begin(), tasks_.end(),
                                      [](const auto& a, const auto& b) { return a.second.percent < b.second.percent; });
  if (least == tasks_.end()) return std::nullopt;
  return least->second;
}

}  // namespace view
