#pragma once
// The view's own copy of the tool table the host last handed over, with
// every array it points to, so that the table can be built again (when a
// machine mounts the tools anew) after the host's arrays are gone.
#include <vector>

#include "korvane/Korvane.h"

namespace tools {

class HostTableCopy {
 public:
  HostTableCopy() = default;
  explicit HostTableCopy(const SIM_ToolTableRecord& record);
  HostTableCopy(const HostTableCopy&) = delete;
  HostTableCopy& operator=(const HostTableCopy&) = delete;

  // The copy in the host's layout; its pointers live as long as the copy.
  const SIM_ToolTableRecord& record() const { return record_; }

 private:
  std::vector<SIM_ToolRecord> tools_;
  std::vector<std::vector<SIM_ToolPart>> parts_;                 // per tool
  std::vector<std::vector<std::vector<SIM_ProfilePoint>>> points_;  // per tool, per part
  std::vector<SIM_HolderRecord> holders_;
  SIM_ToolTableRecord record_{};
};

}  // namespace tools
