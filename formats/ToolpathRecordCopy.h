#pragma once
// A toolpath record that owns its arrays: what a host handed to
// SIM_SetToolpath, kept or read back so that it can be written to a
// simulation file and handed to a view again. An empty per-move array is an
// absent one (the view's default), as a null pointer is in the record.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "korvane/Korvane.h"

namespace formats {

// The record in the host's layout, pointing into a copy; it lives as long
// as this object (moving it keeps the pointers).
struct ToolpathRecordView {
  SIM_ToolpathRecord record{};
  std::vector<SIM_MoveEvent> events;
  std::vector<SIM_SubprogramLines> subprograms;
};

struct ToolpathRecordCopy {
  uint64_t moveCount = 0;
  // Per move (moveCount each, extraAxes three each) or empty.
  std::vector<SIM_ToolpathMove> moves;
  std::vector<uint32_t> entityIds, lineNumbers;
  std::vector<double> feeds, cumulativeLengths, cumulativeTimes, spindleSpeeds, extraAxes;
  std::vector<uint16_t> moveFlags;
  // Lists.
  std::vector<SIM_NamedMove> toolChanges;
  std::vector<SIM_OperationRange> operations;
  std::vector<SIM_ToolpathInfoRecord> infoRecords;
  std::array<std::vector<SIM_ToolpathTextRecord>, 4> textRecords;
  std::vector<SIM_OrientationEntry> orientations;
  std::vector<SIM_MoveEvent> events;               // name pointers null
  std::vector<std::optional<std::string>> eventNames;  // one per event; none for a null name
  std::vector<uint32_t> values;
  std::vector<SIM_CompensationChange> compensations;
  std::vector<SIM_SubprogramLines> subprograms;    // localLines pointers null
  std::vector<std::vector<uint32_t>> subprogramLines;  // endLine - firstLine each
  std::vector<SIM_ValueChange> valueChanges;

  // Which per-move arrays the host gave: a copy made without them keeps
  // only this.
  struct Given {
    bool entityIds = false, lineNumbers = false, feeds = false, cumulativeLengths = false, cumulativeTimes = false,
         spindleSpeeds = false, moveFlags = false, extraAxes = false;
    bool operator==(const Given&) const = default;
  } given;

  // Everything the record points to.
  static ToolpathRecordCopy of(const SIM_ToolpathRecord& record);
  // The lists, the move count and which per-move arrays were given.
  static ToolpathRecordCopy listsOf(const SIM_ToolpathRecord& record);

  ToolpathRecordView view() const;
};

}  // namespace formats
