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

// One solid of a pair's member at a sample: a revolver's tools make
// several, each carrying its tool's index so that a tool is never tried
// against itself.
struct PosedMember {
  PosedTree posed;
  int32_t tool = -1;
};

// A revolver tool's placement (machine frame). The turret carries its
// tools as it carries the tool in use: turned to the working position a
// tool would stand where the tool in use stands, moved along the axis by
// the difference of their gauge lengths so that their mount points meet;
// from there the turret turns it from its own slot's turn to the turret's
// present value.
glm::dmat4 turretToolFrame(const machine::Machine& m, std::span<const double> values,
                           std::span<const glm::dmat4> poses, const glm::dmat4& toolFrame, double gaugeInUse,
                           const ToolSolid& tool, double turn) {
  std::vector<double> atStation(values.begin(), values.end());
  atStation[m.revolverNode()] = turn;
  const glm::dmat4 turretThere = m.pose(atStation)[m.revolverNode()];
  const glm::dmat4 atWork = toolFrame * glm::translate(glm::dmat4(1.0), {0.0, gaugeInUse - tool.gaugeLength, 0.0});
  return poses[m.revolverNode()] * glm::inverse(turretThere) * atWork;
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
    std::vector<glm::dmat4> turretFrames;
    std::vector<PosedMember> firstMembers, secondMembers;
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
        auto values =
            axisValuesAt(m, path, at.move, at.fraction, tool ? tool->gaugeLength : 0.0, programZero, state);
        if (!values) continue;  // out of the machine's reach: the travel limits say so
        // The turret turns the tool in use to the work.
        if (tool && tool->slot >= 0)
          if (const std::optional<double> turn = m.turnForSlot(tool->slot)) (*values)[m.revolverNode()] = *turn;
        state = *values;
        ++myPosed;
        const std::vector<glm::dmat4> poses = m.pose(*values);
        const glm::dmat4 program = m.programFrame(poses, programZero);
        const glm::dvec3 rotary = rotaryAt(path, at.move, at.fraction, directionMode);
        const glm::dmat4 toolFrame = program * glm::translate(glm::dmat4(1.0), path.pointAt(at.move, at.fraction)) *
                                     kinematics.toolTransform(rotary) * glm::dmat4(toolpath::kToolToSpindle);
        turretFrames.clear();
        auto membersOf = [&](const CheckObject& o, std::vector<PosedMember>& out) {
          out.clear();
          switch (o.carrier) {
            case Carrier::ProgramFrame: out.push_back({{&o.tree, poseOf(program)}}); break;
            case Carrier::MachineNode:
              out.push_back({{&o.tree, poseOf(o.node >= 0 ? m.modelPlacement(o.node, poses) : glm::dmat4(1.0))}});
              break;
            case Carrier::Tool:
              if (tool) out.push_back({{&tool->tree, poseOf(toolFrame)}, toolIndex});
              break;
            case Carrier::Revolver:
              if (turretFrames.empty())
                for (const TurretTool& t : set.turretTools)
                  turretFrames.push_back(turretToolFrame(m, *values, poses, toolFrame, tool ? tool->gaugeLength : 0.0,
                                                         set.tools[t.tool], t.turn));
              for (size_t t = 0; t < set.turretTools.size(); ++t) {
                const uint32_t index = set.turretTools[t].tool;
                out.push_back({{&set.tools[index].tree, poseOf(turretFrames[t])}, int32_t(index)});
              }
              break;
            default: break;
          }
        };
        for (size_t p = 0; p < set.pairs.size(); ++p) {
          if (!request.keepEveryHit && sample > retired.at[p].load(std::memory_order_relaxed)) continue;
          const CheckPair& pair = set.pairs[p];
          if (!set.tested(pair)) continue;
          membersOf(set.objects[pair.first], firstMembers);
          membersOf(set.objects[pair.second], secondMembers);
          bool touched = false;
          for (size_t i = 0; i < firstMembers.size() && !touched; ++i)
            for (size_t j = 0; j < secondMembers.size() && !touched; ++j) {
              const PosedMember& a = firstMembers[i];
              const PosedMember& b = secondMembers[j];
              if (a.tool >= 0 && a.tool == b.tool) continue;  // the tool in use is also a revolver tool
              touched = tester.touch(a.posed, b.posed, sample);
            }
          if (!touched) continue;
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
