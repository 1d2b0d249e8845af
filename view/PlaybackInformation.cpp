#include "view/PlaybackInformation.h"

#include <algorithm>
#include <shared_mutex>
#include <string>

#include "common/Utf16.h"

namespace view {

namespace {

// The tool changed to last at or before move, by name; empty before the
// first change or for a tool the table does not hold.
std::u16string toolAt(const toolpath::Toolpath& path, int64_t move, JobData& job) {
  // The host's changes need not be in move order: the latest one at or
  // before move (the later of equal ones) holds.
  const toolpath::NamedMove* holding = nullptr;
  for (const toolpath::NamedMove& change : path.toolChanges())
    if (int64_t(change.move) <= move && (!holding || change.move >= holding->move)) holding = &change;
  if (!holding) return {};
  std::shared_lock table(job.toolTableLock);
  const tools::Tool* tool = job.toolTable().toolByHash(holding->nameHash);
  return tool ? common::utf16FromUtf8(tool->identifier) : std::u16string();
}

}  // namespace

UI::InformationValues informationAt(const PlayedPosition& played, JobData& job) {
  UI::InformationValues v;
  v.inch = job.units.unit.load() != 0;
  v.decimals = job.units.decimalsShown();
  const toolpath::Toolpath* path = played.toolpath.get();
  if (!path || played.at.move < 0) return v;
  const int64_t move = played.at.move;
  v.hasToolpath = true;
  const glm::dvec3 tip = path->pointAt(move, played.at.fraction);
  v.tip = {tip.x, tip.y, tip.z};
  v.feed = path->feedOf(move);
  v.spindle = path->spindleOf(move);
  v.tool = toolAt(*path, move, job);
  const uint32_t operation = path->operationAt(move, played.timeFraction);
  if (operation < path->operationCount())
    v.operation = common::utf16FromUtf8(std::to_string(path->operation(operation).identifier));
  // Cumulative times are in minutes (lengths over feeds per minute).
  v.seconds = path->totalTime() * played.timeFraction * 60.0;
  return v;
}

}  // namespace view
