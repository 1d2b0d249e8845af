#include "collision/CollisionRun.h"

#include <omp.h>

#include <chrono>
#include <cmath>
#include <future>

namespace collision {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::vector<LimitResult> limitResultsOf(const std::vector<MoveViolation>& violations, const toolpath::Toolpath& path) {
  std::vector<LimitResult> list;
  for (const MoveViolation& v : violations) {
    const std::string letter = letterOfCode(v.letter);
    if (letter.empty()) continue;
    list.push_back({letter, timeAt(path, v.move, v.worstFraction), path.lineOf(v.move), path.entityOf(v.move)});
  }
  return list;
}

}  // namespace

CollisionRun::CollisionRun(Gather gather, Notify notify, InputsKey inputsKey)
    : gather_(std::move(gather)), notify_(std::move(notify)), inputsKey_(std::move(inputsKey)) {}

CollisionRun::~CollisionRun() {
  abort_.store(true);
  join();
}

void CollisionRun::join() {
  std::thread worker;
  {
    std::lock_guard lock(startMutex_);
    worker = std::move(worker_);
  }
  if (worker.joinable()) worker.join();
}

int32_t CollisionRun::startFull() {
  std::lock_guard lock(startMutex_);
  if (state() == RunState::Full) return -1;
  abort_.store(true);  // a partial run gives way
  if (worker_.joinable()) worker_.join();
  abort_.store(false);
  const uint64_t key = inputsKey_ ? inputsKey_() : 0;
  {
    std::lock_guard results(resultsMutex_);
    checkedKey_ = key;
  }
  state_.store(uint8_t(RunState::Full));  // refuses a second start at once
  worker_ = std::thread([this] { work(0.0, false); });
  return 0;
}

CollisionRun::PartialStart CollisionRun::startPartial(double position, double totalLength) {
  std::lock_guard lock(startMutex_);
  const uint64_t key = inputsKey_ ? inputsKey_() : 0;
  {
    std::lock_guard results(resultsMutex_);
    if (key == checkedKey_ && position >= checkedFrom_ && position <= checkedTo_) return PartialStart::Covered;
  }
  if (state() == RunState::Full) return PartialStart::Busy;
  if (state() == RunState::Partial) {
    abort_.store(true);  // this position is outside its range: it gives way
    return PartialStart::Busy;
  }
  if (worker_.joinable()) worker_.join();  // idle: it has ended
  abort_.store(false);
  // The range it will check is claimed at once, so that the positions
  // playback passes next do not start it again.
  const SampleGrid grid = sampleGrid(settings().stepMm, totalLength);
  {
    std::lock_guard results(resultsMutex_);
    checkedFrom_ = std::max(0.0, double(grid.blockAt(position)) * kSampleBlock * grid.fractionStep);
    checkedTo_ = 1.0;
    checkedKey_ = key;
  }
  state_.store(uint8_t(RunState::Partial));
  worker_ = std::thread([this, position] { work(position, true); });
  return PartialStart::Started;
}

int32_t CollisionRun::abort() {
  if (state() == RunState::Idle) return -1;
  abort_.store(true);
  return 0;
}

bool CollisionRun::setSettings(const CheckSettings& settings) {
  bool clear = false;
  {
    std::lock_guard lock(settingsMutex_);
    clear = std::fabs(settings.stepMm - settings_.stepMm) > 1e-7 || settings.mode != settings_.mode;
    if ((settings.machineSwitch & 0xFFu) != (settings_.machineSwitch & 0xFFu)) ++switchRevision_;
    settings_ = settings;
  }
  if (clear) clearResults();
  return clear;
}

CheckSettings CollisionRun::settings() const {
  std::lock_guard lock(settingsMutex_);
  return settings_;
}

void CollisionRun::setHighlight(const std::array<uint8_t, 3>& tint) {
  std::lock_guard lock(settingsMutex_);
  highlight_ = tint;
}

std::array<uint8_t, 3> CollisionRun::highlight() const {
  std::lock_guard lock(settingsMutex_);
  return highlight_;
}

void CollisionRun::clearResults() {
  std::lock_guard lock(resultsMutex_);
  machine_.clear();
  limits_.clear();
  collided_.clear();
  checkedFrom_ = 1.0;
  checkedTo_ = 0.0;
  ++resultsRevision_;
}

void CollisionRun::clearLists() {
  std::lock_guard lock(resultsMutex_);
  machine_.clear();
  limits_.clear();
  collided_.clear();
  ++resultsRevision_;
}

void CollisionRun::clearCollided() {
  std::lock_guard lock(resultsMutex_);
  collided_.clear();
  ++resultsRevision_;
}

SIM_CollisionReport CollisionRun::report() {
  std::lock_guard lock(resultsMutex_);
  report_ = reportEntries(machine_, limits_);
  return {report_.empty() ? nullptr : report_.data(), report_.size()};
}

std::vector<MachineResult> CollisionRun::machineResults() const {
  std::lock_guard lock(resultsMutex_);
  return machine_;
}

std::vector<LimitResult> CollisionRun::limitResults() const {
  std::lock_guard lock(resultsMutex_);
  return limits_;
}

std::vector<CollisionRun::Collided> CollisionRun::collided() const {
  std::lock_guard lock(resultsMutex_);
  return collided_;
}

CollisionRun::Figures CollisionRun::figures() const {
  std::lock_guard lock(resultsMutex_);
  return figures_;
}

void CollisionRun::work(double start, bool partial) {
  std::unique_lock run(runLock_, std::try_to_lock);
  if (!run.owns_lock()) {
    state_.store(uint8_t(RunState::Idle));
    return;
  }
  const CheckSettings settings = this->settings();
  // A full run checks everything again; a partial run keeps the range its
  // start claimed.
  if (partial)
    clearLists();
  else
    clearResults();
  std::optional<RunInputs> inputs = gather_ ? gather_() : std::nullopt;
  if (inputs && inputs->path && inputs->sources.machine && inputs->path->moveCount() > 0) {
    const toolpath::Toolpath& path = *inputs->path;
    const machine::Machine& m = *inputs->sources.machine;
    std::vector<std::pair<uint64_t, double>> lengths;
    for (const ToolSolid& t : inputs->sources.tools) lengths.emplace_back(t.hash, t.gaugeLength);
    if (!partial) {
      // The machine-motion thread's violations when it is done with these
      // inputs; else worked out here.
      std::optional<std::vector<MoveViolation>> violations = precomputed_ ? precomputed_(&path) : std::nullopt;
      if (!violations)
        violations = travelViolations(m, path, toolLengthsAlong(path, lengths), inputs->programZero, abort_);
      std::vector<LimitResult> limits = limitResultsOf(*violations, path);
      std::lock_guard lock(resultsMutex_);
      limits_ = std::move(limits);
      ++resultsRevision_;
    }

    const Clock::time_point prepared = Clock::now();
    if (!partial) notify_(SIM_EVENT_COLLISION_PREPARE_PROGRESS, 0);
    int lastPercent = 0;
    const CheckSet set = buildCheckSet(std::move(inputs->sources), [&](int percent) {
      if (!partial && percent != lastPercent && percent < 100) notify_(SIM_EVENT_COLLISION_PREPARE_PROGRESS, percent);
      lastPercent = percent;
    });
    if (!partial) notify_(SIM_EVENT_COLLISION_PREPARE_PROGRESS, 100);
    const double prepareSeconds = secondsSince(prepared);

    CheckRequest request;
    request.stepMm = settings.stepMm;
    request.keepEveryHit = partial || settings.keepEveryHit();
    request.onlyRapids = settings.onlyRapids();
    request.threads = checkThreads(omp_get_max_threads());
    const SampleGrid grid = sampleGrid(settings.stepMm, path.totalLength());
    request.firstBlock = partial ? grid.blockAt(start) : 0;
    CheckProgress progress;
    const Clock::time_point checked = Clock::now();
    auto check = std::async(std::launch::async, [&] {
      return runMachineCheck(path, m, inputs->programZero, set, request, progress);
    });
    // Progress every 100 ms; an abort passes to the check's threads.
    while (check.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
      if (abort_.load()) progress.abort.store(true);
      const uint32_t blocks = progress.blocks.load();
      if (!partial && blocks > 0)
        notify_(SIM_EVENT_COLLISION_CHECK_PROGRESS, int64_t(100 * progress.blocksDone.load() / blocks));
    }
    const CheckOutcome outcome = check.get();
    std::vector<MachineResult> results = collectResults(outcome, set, path);
    {
      std::lock_guard lock(resultsMutex_);
      for (size_t p = 0; p < set.pairs.size(); ++p) {
        if (outcome.hits[p].empty()) continue;
        const double fraction = grid.fractionOf(outcome.hits[p].front());
        for (uint32_t o : {set.pairs[p].first, set.pairs[p].second}) {
          const CheckObject& object = set.objects[o];
          auto known = std::find_if(collided_.begin(), collided_.end(), [&](const Collided& c) {
            return c.kind == object.kind && c.node == object.node;
          });
          if (known == collided_.end())
            collided_.push_back({object.kind, object.node, fraction});
          else
            known->fraction = std::min(known->fraction, fraction);
        }
      }
      if (!partial) machine_ = std::move(results);
      // What was checked: the whole path after a full run, the claimed
      // range after a partial one; nothing when it was stopped.
      if (progress.abort.load()) {
        checkedFrom_ = 1.0;
        checkedTo_ = 0.0;
      } else if (!partial) {
        checkedFrom_ = 0.0;
        checkedTo_ = 1.0;
      }
      figures_ = {grid.samples, outcome.samplesPosed, outcome.figures, prepareSeconds, secondsSince(checked),
                  request.threads};
      ++resultsRevision_;
    }
    if (!partial) notify_(SIM_EVENT_COLLISION_CHECK_PROGRESS, 100);
  }
  if (!partial) notify_(SIM_EVENT_COLLISION_CHECK_DONE, 0);
  state_.store(uint8_t(RunState::Idle));
}

}  // namespace collision
