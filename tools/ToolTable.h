#pragma once
// The tools and holders of one view as the host last handed them over,
// with the name map tool changes select by, the machine slot map, the
// orientations the toolpath takes over, and the cut parameter records.
// The view's tool-table lock guards it: loads exclusively, lookups shared.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "korvane/Korvane.h"
#include "toolpath/Toolpath.h"
#include "tools/CutRecords.h"
#include "tools/Holder.h"
#include "tools/HostTableCopy.h"
#include "tools/Tool.h"

namespace tools {

class ToolTable final : public toolpath::ToolOrientationSource {
 public:
  // Replaces the table: holders, then tools, each in a parallel loop;
  // lengths from host units by unitScale. The table keeps a copy of the
  // record for remount.
  void rebuild(const SIM_ToolTableRecord& record, double unitScale, const MachineHolders& machine);
  // Builds the table again from the kept copy for a machine that changed
  // (loaded, new models, tools moved between turret slots); the slots stay.
  void remount(const MachineHolders& machine);

  size_t toolCount() const { return tools_.size(); }
  const Tool& tool(size_t index) const { return *tools_[index]; }
  // The tool whose identifier hashes to hash; null when none.
  const Tool* toolByHash(uint64_t hash) const;
  std::optional<size_t> indexOf(uint64_t hash) const;
  const std::vector<std::unique_ptr<HolderGeometry>>& holders() const { return holders_; }
  const ToolCutRecords& cutRecords(size_t index) const { return cutRecords_[index]; }
  // Counts the rebuilds, so that users of the records know when to refresh.
  uint64_t revision() const { return revision_; }

  // Slot i holds tool tools[i]; a later pair for the same tool replaces the
  // earlier one.
  void mountSlots(std::span<const uint32_t> slots, std::span<const uint32_t> tools);
  const std::map<uint32_t, uint32_t>& slots() const { return slots_; }
  // The turret slot a tool sits in: where the host mounted it, else the
  // slot its machine number names when the machine knows that number.
  std::optional<uint32_t> slotOf(size_t index) const;

  // ToolOrientationSource
  bool anyToolHasOrientation() const override;
  std::optional<toolpath::Mat3> orientationOf(uint64_t toolNameHash) const override;

  // The table in the host's layout, lengths in host units: tool records
  // without parts, holders shared by tools with equal holder data.
  // The record the host last handed over, in the unit scale it came in;
  // null before the first.
  const HostTableCopy* hostCopy() const { return host_.get(); }
  double hostUnitScale() const { return unitScale_; }

  void hostRecords(std::vector<SIM_ToolRecord>& tools, std::vector<SIM_HolderRecord>& holders,
                   double unitScale) const;

 private:
  std::vector<std::unique_ptr<Tool>> tools_;
  std::vector<std::unique_ptr<HolderGeometry>> holders_;
  void build(const SIM_ToolTableRecord& record, const MachineHolders& machine);

  std::unique_ptr<HostTableCopy> host_;
  double unitScale_ = 1.0;
  // The machine holders tools use, copied so that the table does not
  // depend on the machine's lifetime.
  std::map<size_t, std::unique_ptr<HolderGeometry>> machineHolderCopies_;
  std::vector<ToolCutRecords> cutRecords_;
  std::unordered_map<uint64_t, size_t> nameMap_;
  std::map<uint32_t, uint32_t> slots_;  // slot -> tool
  uint64_t revision_ = 0;
};

// One result per tool of a table, measured without keeping the table:
// gauge length, radius, corner radius, cutting length, tip and axis. Host
// holders the machine places get that placement written into the table.
std::vector<SIM_CompensationResult> resolveCompensation(SIM_ToolTableRecord& record, double unitScale,
                                                        const MachineHolders& machine);

// Copies text into a fixed field, cut at a whole UTF-8 character so that at
// most limit bytes stand before the terminator.
void copyText(char* field, size_t limit, const std::string& text);

}  // namespace tools
