#pragma once
// The machine's travel-limit violations along the toolpath, worked out in
// the background whenever the toolpath, the machine or the tools change, so
// that a full collision run finds them ready. A restart sets the running
// thread's stop flag, joins it, clears the result and starts afresh; the
// finished result replaces the one before. Nothing is computed without a
// toolpath of at least two moves and a total time above 1e-9.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <glm/vec3.hpp>

#include "collision/MachineMotion.h"
#include "machine/Machine.h"
#include "toolpath/Toolpath.h"

namespace collision {

struct MotionInputs {
  uint64_t key = 0;  // what the inputs are; results are asked for by it
  // Objects whose addresses the key hashes, kept alive with the inputs and
  // the result, so that no new object takes an address the key stands for.
  std::vector<std::shared_ptr<const void>> held;
  std::shared_ptr<const toolpath::Toolpath> path;
  std::unique_ptr<const machine::Machine> machine;
  glm::dvec3 programZero{0.0};
  std::vector<std::pair<uint64_t, double>> toolLengths;  // tool name hash, gauge length
};

// The gauge length of the tool in use at each move, from the path's tool
// changes (0 before the first and for tools not listed).
ToolLengthAt toolLengthsAlong(const toolpath::Toolpath& path, std::vector<std::pair<uint64_t, double>> lengths);

class MotionPrecompute {
 public:
  MotionPrecompute() = default;
  ~MotionPrecompute() { stop(); }
  MotionPrecompute(const MotionPrecompute&) = delete;
  MotionPrecompute& operator=(const MotionPrecompute&) = delete;

  // Any thread (one at a time): starts over with these inputs.
  void restart(MotionInputs inputs);
  // Stops and joins the thread; the result stays.
  void stop();
  // The violations worked out from the inputs of key along path; none
  // while they are being worked out, or when the last inputs were others or
  // could not be.
  std::optional<std::vector<MoveViolation>> violations(uint64_t key, const toolpath::Toolpath* path) const;
  // The key of the inputs of the last restart.
  uint64_t key() const { return key_.load(); }

 private:
  std::mutex threadMutex_;  // restart and stop, one at a time
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> key_{0};
  mutable std::mutex resultMutex_;  // guards the three below
  std::optional<std::vector<MoveViolation>> result_;
  uint64_t resultKey_ = 0;
  std::shared_ptr<const MotionInputs> resultInputs_;  // what the result was worked out from
};

}  // namespace collision
