#pragma once
// Maps a global NC line (the line numbering across the main program and its
// subprograms) to the file it comes from and the line within that file.
#include <cstdint>
#include <span>
#include <vector>

#include "korvane/Korvane.h"

namespace toolpath {

struct FileLine {
  int32_t fileId = -1;
  uint32_t line = 0;
  bool operator==(const FileLine&) const = default;
};

class SubprogramLineMap {
 public:
  void load(std::span<const SIM_SubprogramLines> entries);
  void clear() { ranges_.clear(); }
  // File id -1 and line 0 for a line outside every range.
  FileLine lookup(uint32_t globalLine) const;
  size_t rangeCount() const { return ranges_.size(); }

 private:
  struct Range {
    uint32_t fileId, firstLine, endLine;
    std::vector<uint32_t> localLines;
  };
  std::vector<Range> ranges_;  // sorted by first line
};

}  // namespace toolpath
