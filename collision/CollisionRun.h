#pragma once
// A view's collision checking: the settings, the run on its own worker
// thread, the results and the report the host reads.
//
// States: 0 idle, 1 full run, 2 partial run (a run from a playback
// position). A full run is refused while one runs; a partial run asked for
// a position inside the range already checked is refused, any other start
// stops a running partial run first. The worker:
//   1. takes the run lock (another run holding it ends this one at once);
//   2. sets the state and clears both result lists;
//   3. gathers the view's toolpath, machine (its lock held shared while the
//      machine is posed), tools and geometries; without a toolpath or a
//      machine the run ends here;
//   4. full runs: lists the travel-limit violations, prepares the objects
//      (events 4: 0, then percent, then 100) and checks from the start,
//      reporting event 3 with the percent every 100 ms, then 3/100 and
//      2/0 at the end; partial runs check from their block on, keep every
//      hit and report nothing: their hits drive the tint, which shows an
//      object from its first hit on as playback passes it.
// Aborting only sets a flag: what was found stays until the next run.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "collision/CheckSet.h"
#include "collision/CollisionResults.h"
#include "collision/MachineCheck.h"
#include "collision/MachineMotion.h"
#include "collision/MotionPrecompute.h"
#include "korvane/Korvane.h"
#include "toolpath/Toolpath.h"

namespace collision {

enum class RunState : uint8_t { Idle = 0, Full = 1, Partial = 2 };

// Settings as the view keeps them: the step in millimetres.
struct CheckSettings {
  double stepMm = 0.2;
  uint32_t options = 0, mode = 2, machineSwitch = 0;
  bool keepEveryHit() const { return (mode & 1u) != 0; }
  bool onlyRapids() const { return (options & 0xFFu) != 0; }
};

// What a run works on, gathered from the view on the worker thread. The
// run poses a machine of its own, built from the view's definition under
// the view's machine lock, so drawing and loads never wait for a check.
struct RunInputs {
  std::unique_ptr<const machine::Machine> machine;
  std::shared_ptr<const toolpath::Toolpath> path;
  glm::dvec3 programZero{0.0};
  CheckSources sources;
};

class CollisionRun {
 public:
  using Gather = std::function<std::optional<RunInputs>()>;
  using Notify = std::function<void(int32_t event, int64_t value)>;
  // What the inputs are now (toolpath, machine, tools): a range checked
  // with other inputs counts as not checked.
  using InputsKey = std::function<uint64_t()>;

  CollisionRun(Gather gather, Notify notify, InputsKey inputsKey = {});
  ~CollisionRun();
  CollisionRun(const CollisionRun&) = delete;
  CollisionRun& operator=(const CollisionRun&) = delete;

  // Where a full run takes the travel-limit violations from when they are
  // worked out already for its inputs, along its toolpath (none: it works
  // them out itself).
  using Precomputed = std::function<std::optional<std::vector<MoveViolation>>(const toolpath::Toolpath* path)>;
  void setPrecomputed(Precomputed precomputed) { precomputed_ = std::move(precomputed); }

  // 0 started, -1 a full run is running.
  int32_t startFull();
  // Starts a partial run at a length fraction of a toolpath of that length
  // unless the position lies in the range already checked (or claimed by
  // the partial run under way). A full run makes it wait; a partial run
  // still running elsewhere is asked to stop, and a later call starts the
  // new one: the caller (the render thread) never waits.
  enum class PartialStart { Started, Covered, Busy };
  PartialStart startPartial(double position, double totalLength);
  // 0 the running check was asked to stop, -1 none runs.
  int32_t abort();
  RunState state() const { return static_cast<RunState>(state_.load()); }
  // Waits for the worker (tests, teardown).
  void join();

  // Stores settings; clears the results when the step moves by more than
  // 1e-7 mm or the mode changes. Whether they were cleared.
  bool setSettings(const CheckSettings& settings);
  CheckSettings settings() const;
  void setHighlight(const std::array<uint8_t, 3>& tint);
  std::array<uint8_t, 3> highlight() const;
  // Counts up whenever the machine's switch byte changes.
  uint64_t machineSwitchRevision() const { return switchRevision_.load(); }

  // The report rebuilt from the results; valid until the next call.
  SIM_CollisionReport report();
  std::vector<MachineResult> machineResults() const;
  std::vector<LimitResult> limitResults() const;
  // An object found colliding: its class, its node (machine parts) and the
  // length fraction of its first hit.
  struct Collided {
    ObjectClass kind = ObjectClass::Unresolved;
    int32_t node = -1;
    double fraction = 0.0;
    bool operator==(const Collided&) const = default;
  };
  std::vector<Collided> collided() const;
  // Forgets which objects collided (their tint), keeping the report.
  void clearCollided();
  // Counts up whenever the results change.
  uint64_t resultsRevision() const { return resultsRevision_.load(); }
  // The last full run's figures.
  struct Figures {
    uint64_t samples = 0, posed = 0;
    PairFigures pairs;
    double prepareSeconds = 0.0, checkSeconds = 0.0;
    int threads = 1;
  };
  Figures figures() const;

 private:
  void work(double start, bool partial);
  void clearResults();
  void clearLists();

  Gather gather_;
  Notify notify_;
  Precomputed precomputed_;
  InputsKey inputsKey_;
  std::mutex startMutex_;  // host-side starts and the worker handle
  std::thread worker_;
  std::mutex runLock_;     // one run at a time
  std::atomic<uint8_t> state_{0};
  std::atomic<bool> abort_{false};

  mutable std::mutex settingsMutex_;
  CheckSettings settings_;
  std::array<uint8_t, 3> highlight_{1, 1, 1};
  std::atomic<uint64_t> switchRevision_{0};

  mutable std::mutex resultsMutex_;  // both lists, the report, the checked range
  std::vector<MachineResult> machine_;
  std::vector<LimitResult> limits_;
  std::vector<Collided> collided_;
  std::vector<SIM_CollisionReportEntry> report_;
  double checkedFrom_ = 1.0, checkedTo_ = 0.0;  // length fractions; empty when from > to
  uint64_t checkedKey_ = 0;                      // the inputs they were checked with
  std::atomic<uint64_t> resultsRevision_{0};
  Figures figures_;
};

}  // namespace collision
