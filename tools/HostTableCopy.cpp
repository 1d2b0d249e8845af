#include "tools/HostTableCopy.h"

namespace tools {

HostTableCopy::HostTableCopy(const SIM_ToolTableRecord& record) {
  if (record.tools) tools_.assign(record.tools, record.tools + record.toolCount);
  if (record.holders && record.holderCount > 0) holders_.assign(record.holders, record.holders + record.holderCount);
  parts_.resize(tools_.size());
  points_.resize(tools_.size());
  for (size_t t = 0; t < tools_.size(); ++t) {
    SIM_ToolRecord& tool = tools_[t];
    if (tool.parts && tool.partCount > 0) parts_[t].assign(tool.parts, tool.parts + tool.partCount);
    points_[t].resize(parts_[t].size());
    for (size_t p = 0; p < parts_[t].size(); ++p) {
      SIM_ToolPart& part = parts_[t][p];
      if (part.points && part.pointCount > 0) points_[t][p].assign(part.points, part.points + part.pointCount);
      part.points = points_[t][p].empty() ? nullptr : points_[t][p].data();
      part.pointCount = points_[t][p].size();
    }
    tool.parts = parts_[t].empty() ? nullptr : parts_[t].data();
    tool.partCount = static_cast<uint32_t>(parts_[t].size());
  }
  record_ = record;
  record_.tools = tools_.empty() ? nullptr : tools_.data();
  record_.toolCount = tools_.size();
  record_.holders = holders_.empty() ? nullptr : holders_.data();
  record_.holderCount = static_cast<int32_t>(holders_.size());
}

}  // namespace tools
