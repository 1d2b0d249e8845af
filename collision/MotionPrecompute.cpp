#include "collision/MotionPrecompute.h"

namespace collision {

ToolLengthAt toolLengthsAlong(const toolpath::Toolpath& path, std::vector<std::pair<uint64_t, double>> lengths) {
  // The tool of each move, by the changes in move order.
  std::vector<std::pair<int64_t, double>> changes;
  for (const toolpath::NamedMove& change : path.toolChanges()) {
    double length = 0.0;
    for (const auto& [hash, gauge] : lengths)
      if (hash == change.nameHash) length = gauge;
    changes.emplace_back(int64_t(change.move), length);
  }
  return [changes = std::move(changes)](int64_t move) {
    double length = 0.0;
    for (const auto& [from, gauge] : changes)
      if (from <= move) length = gauge;
    return length;
  };
}

void MotionPrecompute::stop() {
  std::lock_guard lock(threadMutex_);
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

void MotionPrecompute::restart(MotionInputs inputs) {
  std::lock_guard lock(threadMutex_);
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
  stop_.store(false);
  key_.store(inputs.key);
  auto in = std::make_shared<const MotionInputs>(std::move(inputs));
  {
    std::lock_guard result(resultMutex_);
    result_.reset();
    resultKey_ = in->key;
    resultInputs_ = in;
  }
  const toolpath::Toolpath* path = in->path.get();
  if (!path || !in->machine || path->moveCount() < 2 || !(path->totalTime() > 1e-9)) return;
  thread_ = std::thread([this, in] {
    const ToolLengthAt lengths = toolLengthsAlong(*in->path, in->toolLengths);
    std::vector<MoveViolation> found = travelViolations(*in->machine, *in->path, lengths, in->programZero, stop_);
    if (stop_.load()) return;  // cut short: not a result
    std::lock_guard result(resultMutex_);
    if (resultInputs_ != in) return;
    result_ = std::move(found);
  });
}

std::optional<std::vector<MoveViolation>> MotionPrecompute::violations(uint64_t key,
                                                                        const toolpath::Toolpath* path) const {
  std::lock_guard lock(resultMutex_);
  if (resultKey_ != key || !resultInputs_ || resultInputs_->path.get() != path) return std::nullopt;
  return result_;
}

}  // namespace collision
