#pragma once
// The view's collision checking: the run (collision/CollisionRun) fed with
// the view's toolpath, machine, tools and geometries, and telling the host
// through the notifier.
#include <optional>

#include "collision/CollisionRun.h"
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

 private:
  std::optional<collision::RunInputs> gather();
  uint64_t inputsKey() const;

  JobData& job_;
  collision::CollisionRun run_;
};

}  // namespace view
