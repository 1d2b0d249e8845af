#include "tools/Holder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/ToolDataReader.h"

namespace tools {

HolderGeometry holderFrom(const SIM_HolderRecord& record, double unitScale) {
  HolderGeometry holder;
  holder.record = record;
  holder.name.assign(record.modelPath, strnlen(record.modelPath, sizeof record.modelPath));
  const double scale = record.scale == 0.0 || !std::isfinite(record.scale) ? 1.0 : record.scale;
  holder.mesh = readModel(holder.name, static_cast<float>(scale * unitScale), glm::vec3(0.0f));
  holder.origin = glm::vec3(record.origin[0], record.origin[1], record.origin[2]) * static_cast<float>(unitScale);
  const bool noRotation = std::all_of(std::begin(record.rotation), std::end(record.rotation), [](float v) { return v == 0; });
  if (!noRotation)
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) holder.rotation[column][row] = record.rotation[3 * row + column];
  holder.mounting = record.mounting;
  return holder;
}

}  // namespace tools
