#include "collision/MachineCheck.h"

#include <omp.h>

#include <algorithm>
#include <memory>

#include <glm/gtc/matrix_transform.hpp>

#include "toolpath/ToolAxis.h"

namespace collision {
namespace {

Pose poseOf(const glm::dmat4& m) { return {glm::dmat3(m), glm::dvec3(m[3])}; }

// Where a sample lies: its move and the fraction along it.
struct SamplePoint {
  int64_t move = -1;
  double fraction = 0.0;
};

SamplePoint pointOf(const toolpath::Toolpath& path, double lengthFraction) {
  const int64_t move = path.moveAtFraction(lengthFraction, toolpath::Measure::Length);
  return {move, move < 0 ? 0.0 : path.fractionWithinMove(move, lengthFraction, toolpath::Measure::Length)};
}

struct Retired {
  std::unique_ptr<std::atomic<uint32_t>[]> at;  // the first hit's sample; ~0: none
  explicit Retired(size_t pairs) : at(new std::atomic<uint32_t>[pairs]) {
    for (size_t i = 0; i < pairs; ++i) at[i].store(~0u);
  }
  void hit(size_t pair, uint32_t sample) {
    uint32_t seen = at[pair].load();
    while (sample < seen && !at[pair].compare_exchange_weak(seen, sample)) {
    }
  }
};

}  // namespace

std::vector<int32_t> toolsOfMoves(const toolpath::Toolpath& path, const CheckSet& set) {
  std::vector<int32_t> tools(path.moveCount(), -1);
  int32_t current = -1;
  size_t change = 0;
  const auto& changes = path.toolChanges();
  for (size_t move = 0; move < tools.size(); ++move) {
    while (change < changes.size() && changes[change].move <= move) {
      current = -1;
      for (size_t t = 0; t < set.tools.size(); ++t)
        if (set.tools[t].hash == changes[change].nameHash) current = int32_t(t);
      ++change;
    }
    tools[move] = current;
  }
  return tools;
}

double timeAt(const toolpath::Toolpath& path, int64_t move, double fraction) {
  const double before = move > 0 ? path.cumulativeTime(move - 1) : 0.0;
  return before + std::clamp(fraction, 0.0, 1.0) * (path.cumulativeTime(move) - before);
}

double lengthFractionAt(const toolpath::Toolpath& path, int64_t move, double fraction) {
  const double total = path.totalLength();
  if (!(total > 0.0) || move < 0) return 0.0;
  const double before = move > 0 ? path.cumulativeLength(move - 1) : 0.0;
  return (before + std::clamp(fraction, 0.0, 1.0) * (path.cumulativeLength(move) - before)) / total;
}

CheckOutcome runMachineCheck(const toolpath::Toolpath& path, const machine::Machine& m, const glm::dvec3& programZero,
                             const CheckSet& set, const CheckRequest& request, CheckProgress& progress) {
  CheckOutcome outcome;
  outcome.grid = sampleGrid(request.stepMm, path.totalLength());
  outcome.hits.resize(set.pairs.size());
  outcome.firstBlock = std::min(request.firstBlock, outcome.grid.blocks);
  outcome.endBlock = outcome.grid.blocks;
  progress.blocks = outcome.endBlock - outcome.firstBlock;
  if (path.moveCount() == 0 || set.pairs.empty()) return outcome;

  const std::vector<int32_t> toolOfMove = toolsOfMoves(path, set);
  const machine::Kinematics& kinematics = m.kinematics();
  const bool directionMode = m.kinematics().directionMode();
  Retired retired(set.pairs.size());
  std::vector<std::vector<std::vector<uint32_t>>> threadHits(std::max(1, request.threads));
  std::vector<PairFigures> threadFigures(threadHits.size());
  std::atomic<uint64_t> posed{0};
  const SampleGrid grid = outcome.grid;

#pragma omp parallel num_threads(std::max(1, request.threads))
  {
    const int me = omp_get_thread_num();
    PairTester tester;
    std::vector<std::vector<uint32_t>>& hits = threadHits[me];
    hits.resize(set.pairs.size());
    std::vector<double> state = m.initialState();
    uint64_t myPosed = 0;
#pragma omp for schedule(dynamic, 1)
    for (int64_t block = outcome.firstBlock; block < int64_t(outcome.endBlock); ++block) {
      if (progress.abort.load(std::memory_order_relaxed)) continue;
      const uint32_t first = uint32_t(block) * kSampleBlock;
      const uint32_t end = std::min<uint64_t>(uint64_t(first) + kSampleBlock, grid.samples);
      for (uint32_t sample = first; sample < end; ++sample) {
        if ((sample & 63) == 0 && progress.abort.load(std::memory_order_relaxed)) break;
        const SamplePoint at = pointOf(path, grid.fractionOf(sample));
        if (at.move < 0) continue;
        if (request.onlyRapids && path.move(at.move).type != SIM_MOVE_RAPID) continue;
        const int32_t toolIndex = toolOfMove[at.move];
        const ToolSolid* tool = toolIndex >= 0 ? &set.tools[toolIndex] : nullptr;
        const auto values =
            axisValuesAt(m, path, at.move, at.fraction, tool ? tool->gaugeLength : 0.0, programZero, state);
        if (!values) continue;  // out of the machine's reach: the travel limits say so
        state = *values;
        ++myPosed;
        const std::vector<glm::dmat4> poses = m.pose(*values);
        const glm::dmat4 program = m.programFrame(poses, programZero);
        const glm::dvec3 rotary = rotaryAt(path, at.move, at.fraction, directionMode);
        const glm::dmat4 toolFrame = program * glm::translate(glm::dmat4(1.0), path.pointAt(at.move, at.fraction)) *
                                     kinematics.toolTransform(rotary) * glm::dmat4(toolpath::kToolToSpindle);
        auto posedOf = [&](const CheckObject& o) -> PosedTree {
          switch (o.carrier) {
            case Carrier::ProgramFrame: return {&o.tree, poseOf(program)};
            case Carrier::MachineNode:
              return {&o.tree, poseOf(o.node >= 0 ? m.modelPlacement(o.node, poses) : glm::dmat4(1.0))};
            case Carrier::Tool: return {tool ? &tool->tree : nullptr, poseOf(toolFrame)};
            default: return {};
          }
        };
        for (size_t p = 0; p < set.pairs.size(); ++p) {
          if (!request.keepEveryHit && sample > retired.at[p].load(std::memory_order_relaxed)) continue;
          const CheckPair& pair = set.pairs[p];
          if (!set.tested(pair)) continue;
          const PosedTree a = posedOf(set.objects[pair.first]);
          const PosedTree b = posedOf(set.objects[pair.second]);
          if (!a.tree || !b.tree) continue;
          if (!tester.touch(a, b, sample)) continue;
          hits[p].push_back(sample);
          retired.hit(p, sample);
        }
      }
      progress.blocksDone.fetch_add(1, std::memory_order_relaxed);
    }
    threadFigures[me] = tester.figures();
    posed += myPosed;
  }

  for (size_t p = 0; p < set.pairs.size(); ++p) {
    std::vector<uint32_t>& all = outcome.hits[p];
    for (auto& hits : threadHits)
      if (p < hits.size()) all.insert(all.end(), hits[p].begin(), hits[p].end());
    std::sort(all.begin(), all.end());
    // A pair done with at its first hit keeps that hit alone.
    if (!request.keepEveryHit && all.size() > 1) all.resize(1);
  }
  for (const PairFigures& f : threadFigures) {
    outcome.figures.queries += f.queries;
    outcome.figures.warmStarts += f.warmStarts;
    outcome.figures.iterations += f.iterations;
    outcome.figures.exactTests += f.exactTests;
  }
  outcome.samplesPosed = posed.load();
  return outcome;
}

std::vector<MachineResult> collectResults(const CheckOutcome& outcome, const CheckSet& set,
                                          const toolpath::Toolpath& path) {
  std::vector<MachineResult> results;
  const std::vector<int32_t> toolOfMove = toolsOfMoves(path, set);
  auto nameAt = [&](const CheckObject& o, int64_t move) {
    if (o.carrier == Carrier::Tool && move >= 0 && toolOfMove[move] >= 0) {
      const std::string& own = set.tools[toolOfMove[move]].name;
      if (!own.empty()) return own;
    }
    return o.name;
  };
  for (size_t p = 0; p < set.pairs.size() && p < outcome.hits.size(); ++p) {
    const std::vector<uint32_t>& hits = outcome.hits[p];
    for (size_t i = 0; i < hits.size();) {
      size_t j = i;
      while (j + 1 < hits.size() && hits[j + 1] == hits[j] + 1) ++j;
      const SamplePoint start = pointOf(path, outcome.grid.fractionOf(hits[i]));
      const SamplePoint end = pointOf(path, outcome.grid.fractionOf(hits[j]));
      const CheckObject& first = set.objects[set.pairs[p].first];
      const CheckObject& second = set.objects[set.pairs[p].second];
      MachineResult r;
      r.kind = second.kind;
      r.startPosition = timeAt(path, start.move, start.fraction);
      r.endPosition = timeAt(path, end.move, end.fraction);
      r.startLine = path.lineOf(start.move);
      r.startEntity = path.entityOf(start.move);
      r.endLine = path.lineOf(end.move);
      r.endEntity = path.entityOf(end.move);
      r.firstName = nameAt(first, start.move);
      r.secondName = nameAt(second, start.move);
      results.push_back(std::move(r));
      i = j + 1;
    }
  }
  return results;
}

}  // namespace collision
