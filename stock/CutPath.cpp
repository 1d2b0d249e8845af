#include "stock/CutPath.h"

#include <cassert>

namespace stock {

ToolAssignment ToolAssignment::build(const toolpath::Toolpath& toolpath, const tools::ToolTable& table) {
  ToolAssignment out;
  out.toolOfMove.assign(toolpath.moveCount(), -1);
  for (const toolpath::NamedMove& change : toolpath.toolChanges()) {
    const std::optional<size_t> tool = table.indexOf(change.nameHash);
    for (size_t m = change.move; m < out.toolOfMove.size(); ++m)
      out.toolOfMove[m] = tool ? static_cast<int32_t>(*tool) : -1;
  }
  for (size_t t = 0; t < table.toolCount(); ++t) {
    out.cutRecords.push_back(table.cutRecords(t)[0]);
    out.colours.push_back(static_cast<uint32_t>(2 + t % 254));
  }
  return out;
}

CutPath::CutPath(Inputs inputs, const machine::Kinematics& kinematics, const tools::ToolTable& table)
    : inputs_(std::move(inputs)),
      moves_(toolpath::Toolpath::GPUToolpath::build(*inputs_.toolpath, kinematics, inputs_.chordTolerance)),
      tools_(ToolAssignment::build(*inputs_.toolpath, table)),
      stream_(moves_.records()) {
  // Every move has a tool entry and an end record; the cut relies on both.
  assert(tools_.toolOfMove.size() == inputs_.toolpath->moveCount());
  assert(moves_.moveCount() == inputs_.toolpath->moveCount());
}

}  // namespace stock
