#include "formats/ToolpathRecordCopy.h"

#include <cstring>

namespace formats {
namespace {

template <typename T>
std::vector<T> copied(const T* items, uint64_t count) {
  return items && count > 0 ? std::vector<T>(items, items + count) : std::vector<T>{};
}

template <typename T>
const T* pointerTo(const std::vector<T>& items) {
  return items.empty() ? nullptr : items.data();
}

void copyLists(ToolpathRecordCopy& copy, const SIM_ToolpathRecord& r) {
  copy.moveCount = r.moves ? r.moveCount : 0;
  copy.toolChanges = copied(r.toolChanges, r.toolChangeCount);
  copy.operations = copied(r.operations, r.operationCount);
  copy.infoRecords = copied(r.infoRecords, r.infoRecordCount);
  copy.textRecords = {copied(r.textRecords1, r.textRecordCount1), copied(r.textRecords2, r.textRecordCount2),
                      copied(r.textRecords3, r.textRecordCount3), copied(r.textRecords4, r.textRecordCount4)};
  copy.orientations = copied(r.orientations, r.orientationCount);
  copy.events = copied(r.events, r.eventCount > 0 ? static_cast<uint64_t>(r.eventCount) : 0);
  for (SIM_MoveEvent& event : copy.events) {
    copy.eventNames.push_back(event.name ? std::optional<std::string>(event.name) : std::nullopt);
    event.name = nullptr;
  }
  copy.values = copied(r.values, r.valueCount);
  copy.compensations = copied(r.compensations, r.compensationCount);
  copy.subprograms = copied(r.subprograms, r.subprogramCount);
  for (SIM_SubprogramLines& entry : copy.subprograms) {
    const uint64_t count = entry.endLine > entry.firstLine ? entry.endLine - entry.firstLine : 0;
    copy.subprogramLines.push_back(copied(entry.localLines, count));
    entry.localLines = nullptr;
  }
  copy.valueChanges = copied(r.valueChanges, r.valueChangeCount);
  copy.given = {r.entityIds != nullptr,       r.lineNumbers != nullptr,   r.feeds != nullptr,
                r.cumulativeLengths != nullptr, r.cumulativeTimes != nullptr, r.spindleSpeeds != nullptr,
                r.moveFlags != nullptr,       r.extraAxes != nullptr};
}

}  // namespace

ToolpathRecordCopy ToolpathRecordCopy::of(const SIM_ToolpathRecord& r) {
  ToolpathRecordCopy copy;
  copyLists(copy, r);
  const uint64_t n = copy.moveCount;
  copy.moves = copied(r.moves, n);
  copy.entityIds = copied(r.entityIds, n);
  copy.lineNumbers = copied(r.lineNumbers, n);
  copy.feeds = copied(r.feeds, n);
  copy.cumulativeLengths = copied(r.cumulativeLengths, n);
  copy.cumulativeTimes = copied(r.cumulativeTimes, n);
  copy.spindleSpeeds = copied(r.spindleSpeeds, n);
  copy.moveFlags = copied(r.moveFlags, n);
  copy.extraAxes = copied(r.extraAxes, 3 * n);
  return copy;
}

ToolpathRecordCopy ToolpathRecordCopy::listsOf(const SIM_ToolpathRecord& r) {
  ToolpathRecordCopy copy;
  copyLists(copy, r);
  return copy;
}

ToolpathRecordView ToolpathRecordCopy::view() const {
  ToolpathRecordView v;
  v.events = events;
  for (size_t i = 0; i < v.events.size() && i < eventNames.size(); ++i)
    v.events[i].name = eventNames[i] ? eventNames[i]->c_str() : nullptr;
  v.subprograms = subprograms;
  for (size_t i = 0; i < v.subprograms.size() && i < subprogramLines.size(); ++i)
    v.subprograms[i].localLines = pointerTo(subprogramLines[i]);

  SIM_ToolpathRecord& r = v.record;
  r.toolChangeCount = toolChanges.size();
  r.toolChanges = pointerTo(toolChanges);
  r.operationCount = operations.size();
  r.operations = pointerTo(operations);
  r.moveCount = moves.size();
  r.moves = pointerTo(moves);
  r.entityIds = pointerTo(entityIds);
  r.lineNumbers = pointerTo(lineNumbers);
  r.feeds = pointerTo(feeds);
  r.cumulativeLengths = pointerTo(cumulativeLengths);
  r.cumulativeTimes = pointerTo(cumulativeTimes);
  r.spindleSpeeds = pointerTo(spindleSpeeds);
  r.moveFlags = pointerTo(moveFlags);
  r.infoRecordCount = infoRecords.size();
  r.infoRecords = pointerTo(infoRecords);
  r.orientationCount = orientations.size();
  r.orientations = pointerTo(orientations);
  r.textRecordCount1 = textRecords[0].size();
  r.textRecords1 = pointerTo(textRecords[0]);
  r.textRecordCount2 = textRecords[1].size();
  r.textRecords2 = pointerTo(textRecords[1]);
  r.textRecordCount3 = textRecords[2].size();
  r.textRecords3 = pointerTo(textRecords[2]);
  r.textRecordCount4 = textRecords[3].size();
  r.textRecords4 = pointerTo(textRecords[3]);
  r.eventCount = static_cast<int32_t>(v.events.size());
  r.events = pointerTo(v.events);
  r.valueCount = values.size();
  r.values = pointerTo(values);
  r.compensationCount = compensations.size();
  r.compensations = pointerTo(compensations);
  r.extraAxes = pointerTo(extraAxes);
  r.subprogramCount = static_cast<uint32_t>(v.subprograms.size());
  r.subprograms = pointerTo(v.subprograms);
  r.valueChangeCount = valueChanges.size();
  r.valueChanges = pointerTo(valueChanges);
  return v;
}

}  // namespace formats
