#include "stock/CutPath.h"

#include <algorithm>
#include <atomic>
#include <cassert>

#include "stock/TurningCut.h"

namespace stock {

ToolAssignment ToolAssignment::build(const toolpath::Toolpath& toolpath, const tools::ToolTable& table,
                                     bool ownersByOperation) {
  ToolAssignment out;
  out.toolOfMove.assign(toolpath.moveCount(), -1);
  for (const toolpath::NamedMove& change : toolpath.toolChanges()) {
    const std::optional<size_t> tool = table.indexOf(change.nameHash);
    for (size_t m = change.move; m < out.toolOfMove.size(); ++m)
      out.toolOfMove[m] = tool ? static_cast<int32_t>(*tool) : -1;
  }
  for (size_t t = 0; t < table.toolCount(); ++t) {
    out.cutRecords.push_back(table.cutRecords(t)[0]);
    out.parts.push_back(checkedParts(table.cutRecords(t)));
    out.colours.push_back(static_cast<uint32_t>(2 + t % 254));
  }
  if (ownersByOperation) {
    // As tools are numbered: the first operation's cuts take the stock's
    // own colour, the others one of the palette.
    out.operationOwners.assign(toolpath.moveCount(), 2);
    for (size_t k = 0; k < toolpath.operationCount(); ++k) {
      const toolpath::OperationRange range = toolpath.operation(k);
      for (size_t m = range.first; m < std::min<size_t>(range.end, toolpath.moveCount()); ++m)
        out.operationOwners[m] = static_cast<uint32_t>(2 + k % 254);
    }
  }
  return out;
}

uint64_t CutPath::nextSerial() {
  static std::atomic<uint64_t> serials{0};
  return ++serials;
}

CutPath::CutPath(std::shared_ptr<const toolpath::Toolpath> toolpath, double chordTolerance, uint64_t precisionVersion,
                 const machine::Kinematics& kinematics, const tools::ToolTable& table, uint64_t toolsVersion,
                 bool ownersByOperation)
    : toolpath_(std::move(toolpath)),
      chordTolerance_(chordTolerance),
      precisionVersion_(precisionVersion),
      toolsVersion_(toolsVersion),
      serial_(nextSerial()),
      ownersByOperation_(ownersByOperation),
      moves_(toolpath::Toolpath::GPUToolpath::build(*toolpath_, kinematics, chordTolerance)),
      tools_(ToolAssignment::build(*toolpath_, table, ownersByOperation)),
      stream_(moves_.records()) {
  // Every move has a tool entry and an end record; the cut relies on both.
  assert(tools_.toolOfMove.size() == toolpath_->moveCount());
  assert(moves_.moveCount() == toolpath_->moveCount());
  if (applyMoveParameters()) stream_.resend();
}

bool CutPath::applyMoveParameters() {
  bool changed = false;
  for (size_t m = 0; m < tools_.toolOfMove.size(); ++m) {
    const int32_t tool = tools_.toolOfMove[m];
    const tools::CutRecord* record = tool >= 0 ? &tools_.cutRecords[size_t(tool)] : nullptr;
    const bool turning = record && record->valid && isTurningShape(record->shape);
    changed = moves_.setParameter(m, record ? record->moveParameter : 0.0f, turning) || changed;
  }
  return changed;
}

void CutPath::retool(const tools::ToolTable& table, uint64_t toolsVersion) {
  tools_ = ToolAssignment::build(*toolpath_, table, ownersByOperation_);
  if (applyMoveParameters()) stream_.resend();
  toolsVersion_ = toolsVersion;
  serial_ = nextSerial();
}

}  // namespace stock
