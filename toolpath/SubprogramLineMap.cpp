#include "toolpath/SubprogramLineMap.h"

#include <algorithm>

namespace toolpath {

void SubprogramLineMap::load(std::span<const SIM_SubprogramLines> entries) {
  ranges_.clear();
  ranges_.reserve(entries.size());
  for (const SIM_SubprogramLines& entry : entries) {
    Range range{entry.fileId, entry.firstLine, entry.endLine, {}};
    // A range without its local lines maps every line to 0.
    if (entry.endLine > entry.firstLine && entry.localLines)
      range.localLines.assign(entry.localLines, entry.localLines + (entry.endLine - entry.firstLine));
    ranges_.push_back(std::move(range));
  }
  std::stable_sort(ranges_.begin(), ranges_.end(),
                   [](const Range& a, const Range& b) { return a.firstLine < b.firstLine; });
}

FileLine SubprogramLineMap::lookup(uint32_t globalLine) const {
  auto after = std::upper_bound(ranges_.begin(), ranges_.end(), globalLine,
                                [](uint32_t line, const Range& r) { return line < r.firstLine; });
  if (after == ranges_.begin()) return {};
  const Range& range = *std::prev(after);
  if (globalLine >= range.endLine) return {};
  const uint32_t offset = globalLine - range.firstLine;
  return {static_cast<int32_t>(range.fileId), offset < range.localLines.size() ? range.localLines[offset] : 0};
}

}  // namespace toolpath
