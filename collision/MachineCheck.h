#pragma once
// The machine check: the toolpath sampled at a fixed length step, the
// machine posed at each sample by its inverse solve, every tested pair of
// the check set tried at every sample until it is hit.
//
// Threads take blocks of 2048 samples as they come free. A hit of a pair
// at sample s makes the pair skip every later sample (unless every hit is
// kept), while earlier samples still test it: whatever the thread count,
// a pair's first hit is found, so reports do not depend on the machine.
#include <atomic>
#include <cstdint>
#include <vector>

#include "collision/CheckSet.h"
#include "collision/CollisionResults.h"
#include "collision/MachineMotion.h"
#include "collision/PairTest.h"
#include "collision/Sampling.h"
#include "toolpath/Toolpath.h"

namespace collision {

struct CheckRequest {
  double stepMm = 0.2;
  bool keepEveryHit = false;
  bool onlyRapids = false;
  double start = 0.0;      // length fraction the run starts at
  uint32_t firstBlock = 0; // the block it resumes from (a partial run's)
  int threads = 1;
};

struct CheckProgress {
  std::atomic<bool> abort{false};
  std::atomic<uint32_t> blocksDone{0};
  std::atomic<uint32_t> blocks{0};  // set by the check once the grid is known
};

struct CheckOutcome {
  SampleGrid grid;
  uint32_t firstBlock = 0, endBlock = 0;   // the blocks the run covered
  std::vector<std::vector<uint32_t>> hits; // per pair, sample indices in order
  PairFigures figures;
  uint64_t samplesPosed = 0;
};

// The tool in use at each move: an index into the set's tools, -1 none.
std::vector<int32_t> toolsOfMoves(const toolpath::Toolpath& path, const CheckSet& set);

CheckOutcome runMachineCheck(const toolpath::Toolpath& path, const machine::Machine& m, const glm::dvec3& programZero,
                             const CheckSet& set, const CheckRequest& request, CheckProgress& progress);

// The toolpath time at a fraction of a move.
double timeAt(const toolpath::Toolpath& path, int64_t move, double fraction);
// The fraction of the toolpath's length at a fraction of a move.
double lengthFractionAt(const toolpath::Toolpath& path, int64_t move, double fraction);

// Consecutive hit samples make one interval, with the time, line and
// entity at both ends and the two objects' names (the tool's own name
// where the tool in use has one).
std::vector<MachineResult> collectResults(const CheckOutcome& outcome, const CheckSet& set,
                                          const toolpath::Toolpath& path);

}  // namespace collision
