#pragma once
// The view's collision checking: the run (collision/CollisionRun) fed with
// the view's toolpath, machine, tools and geometries, and telling the host
// through the notifier.
#include <optional>

#include "collision/CollisionRun.h"
#include "collision/MotionPrecompute.h"
#include "view/JobData.h"
#include "view/Notifier.h"

namespace view {

class CollisionChecks {
 public:
  CollisionChecks(JobData& job, Notifier& notifier);

  collision::CollisionRun& run() { return run_; }
  const collision::CollisionRun& run() const { return run_; }
  // Whether a machine with collision pairs is loaded (false while a load
  // holds the machine).
  bool machineHasPairs() const;
  // Render thread, each frame: the travel limits are worked out again in
  // the background when the toolpath, the machine or the tools changed.
  void followMotion();
  const collision::MotionPrecompute& motion() const { return motion_; }
  // Stops the background work (the run is the caller's to abort and join).
  void stopMotion() { motion_.stop(); }

 private:
  std::optional<collision::RunInputs> gather();
  uint64_t inputsKey() const;
  // What the travel limits depend on: toolpath, kinematics, tools, origin.
  uint64_t motionKey() const;
  std::vector<std::pair<uint64_t, double>> toolLengths() const;

  JobData& job_;
  collision::MotionPrecompute motion_;  // before the run, whose worker asks it
  collision::CollisionRun run_;
};

}  // namespace view
