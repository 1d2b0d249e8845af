#include "view/PositionReport.h"

#include "korvane/Korvane.h"

namespace view {

void PositionReport::observe(int32_t line, int32_t entity) {
  if (line != line_) {
    line_ = line;
    lineChanged_ = true;
  }
  if (entity != entity_) {
    entity_ = entity;
    entityChanged_ = true;
  }
}

std::vector<std::pair<uint32_t, int32_t>> PositionReport::due(Clock::time_point now) {
  std::vector<std::pair<uint32_t, int32_t>> events;
  if (now - lastReport_ < kInterval) return events;
  if (lineChanged_) events.emplace_back(SIM_EVENT_CURRENT_LINE_CHANGED, line_);
  if (entityChanged_) events.emplace_back(SIM_EVENT_CURRENT_ENTITY_CHANGED, entity_);
  lineChanged_ = entityChanged_ = false;
  lastReport_ = now;
  return events;
}

}  // namespace view
