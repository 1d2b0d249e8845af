#include "view/FrameCommands.h"

#include <algorithm>

namespace view {

bool FrameCommands::post(CommandStage stage, Work work) {
  {
    std::lock_guard lock(mutex_);
    if (!closed_) {
      queue_.emplace_back(stage, std::move(work));
      return true;
    }
  }
  return false;  // the work goes here, outside the lock
}

std::vector<FrameCommands::Work> FrameCommands::take(CommandStage stage) {
  std::vector<Work> taken;
  std::lock_guard lock(mutex_);
  auto kept = std::stable_partition(queue_.begin(), queue_.end(), [&](const auto& command) {
    return command.first != stage;
  });
  for (auto it = kept; it != queue_.end(); ++it) taken.push_back(std::move(it->second));
  queue_.erase(kept, queue_.end());
  return taken;
}

void FrameCommands::putBack(CommandStage stage, std::vector<Work> commands) {
  std::vector<std::pair<CommandStage, Work>> front;
  front.reserve(commands.size());
  for (Work& work : commands) front.emplace_back(stage, std::move(work));
  std::lock_guard lock(mutex_);
  if (closed_) return;  // dropped with front, outside the lock
  queue_.insert(queue_.begin(), std::make_move_iterator(front.begin()), std::make_move_iterator(front.end()));
}

bool FrameCommands::pending() const {
  std::lock_guard lock(mutex_);
  return !queue_.empty();
}

void FrameCommands::open() {
  std::lock_guard lock(mutex_);
  closed_ = false;
}

void FrameCommands::close() {
  std::vector<std::pair<CommandStage, Work>> dropped;
  std::lock_guard lock(mutex_);
  closed_ = true;
  dropped.swap(queue_);
}

}  // namespace view
