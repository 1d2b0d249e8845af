#include "tools/ToolTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

#include <glm/geometric.hpp>

#include "common/Fnv1a.h"

namespace tools {

namespace {

// Tool record fields the view answers with this value.
constexpr uint32_t kReportedWord = 2;
constexpr size_t kIdentifierLimit = 36;
constexpr size_t kDescriptionLimit = 255;

std::span<const SIM_ToolRecord> toolsOf(const SIM_ToolTableRecord& record) {
  return record.tools ? std::span(record.tools, record.toolCount) : std::span<const SIM_ToolRecord>();
}

std::span<const SIM_HolderRecord> holdersOf(const SIM_ToolTableRecord& record) {
  return record.holders && record.holderCount > 0 ? std::span<const SIM_HolderRecord>(record.holders, record.holderCount)
                                                  : std::span<const SIM_HolderRecord>();
}

// The holder a tool's index names: a host holder, a machine holder past
// them (from the table's copies), or none.
const HolderGeometry* resolveHolder(int32_t index, const std::vector<std::unique_ptr<HolderGeometry>>& host,
                                    const std::map<size_t, std::unique_ptr<HolderGeometry>>& machine) {
  if (index < 0) return nullptr;
  if (static_cast<size_t>(index) < host.size()) return host[index].get();
  const auto copy = machine.find(static_cast<size_t>(index) - host.size());
  return copy == machine.end() ? nullptr : copy->second.get();
}

// The turret slot of each tool, by the tool's index.
std::unordered_map<uint32_t, uint32_t> slotOfTool(const std::map<uint32_t, uint32_t>& slots) {
  std::unordered_map<uint32_t, uint32_t> result;
  for (const auto& [slot, tool] : slots) result[tool] = slot;
  return result;
}

// An exception cannot leave a parallel loop: each iteration keeps the
// first one, and it is thrown again once the loop is over.
class LoopFailure {
 public:
  template <typename Work>
  void run(Work&& work) {
    try {
      work();
    } catch (...) {
#pragma omp critical(toolTableFailure)
      if (!failure_) failure_ = std::current_exception();
    }
  }
  void rethrow() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::exception_ptr failure_;
};

std::vector<std::unique_ptr<HolderGeometry>> buildHolders(std::span<const SIM_HolderRecord> records, double unitScale) {
  std::vector<std::unique_ptr<HolderGeometry>> holders(records.size());
  LoopFailure failure;
#pragma omp parallel for schedule(dynamic)
  for (int64_t i = 0; i < static_cast<int64_t>(records.size()); ++i)
    failure.run([&] { holders[i] = std::make_unique<HolderGeometry>(holderFrom(records[i], unitScale)); });
  failure.rethrow();
  return holders;
}

// A host holder without a mesh of its own whose data fits the machine
// holder a referencing tool mounts takes that holder's mesh; the first tool
// that references a holder decides it.
void adoptMachineHolders(std::span<const SIM_ToolRecord> tools, std::vector<std::unique_ptr<HolderGeometry>>& holders,
                         const MachineHolders& machine, const std::map<uint32_t, uint32_t>& slots) {
  std::vector<std::optional<HolderGeometry>> matches(holders.size());
  std::vector<bool> decided(holders.size(), false);
  const std::unordered_map<uint32_t, uint32_t> slotOf = slotOfTool(slots);
  for (size_t i = 0; i < tools.size(); ++i) {
    const SIM_ToolRecord& tool = tools[i];
    if (tool.holder < 0 || static_cast<size_t>(tool.holder) >= holders.size() || decided[tool.holder]) continue;
    decided[tool.holder] = true;
    const auto slot = slotOf.find(static_cast<uint32_t>(i));
    if (holders[tool.holder]->mesh.empty())
      matches[tool.holder] = machine.holderFor(tool, *holders[tool.holder],
                                               slot == slotOf.end() ? std::nullopt : std::optional(slot->second));
  }
  LoopFailure failure;
#pragma omp parallel for schedule(dynamic)
  for (int64_t i = 0; i < static_cast<int64_t>(holders.size()); ++i)
    failure.run([&] {
      if (matches[i]) holders[i]->mesh = matches[i]->mesh;
    });
  failure.rethrow();
}

// Holder data compared for sharing: twelve floats with -0 equal to 0, and the name.
uint64_t holderKey(const SIM_HolderRecord& holder) {
  uint64_t hash = common::kFnvOffsetBasis;
  auto add = [&](float value) {
    if (value == 0.0f) value = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    hash = common::fnv1a64(std::string_view(reinterpret_cast<const char*>(&bits), 4), hash);
  };
  for (float v : holder.origin) add(v);
  for (float v : holder.rotation) add(v);
  return common::fnv1a64(std::string_view(holder.modelPath, strnlen(holder.modelPath, sizeof holder.modelPath)), hash);
}

glm::dvec3 transformed(const std::optional<glm::dmat3>& orientation, const glm::dvec3& p) {
  return orientation ? *orientation * p : p;
}

}  // namespace

void copyText(char* field, size_t limit, const std::string& text) {
  size_t length = std::min(text.size(), limit);
  // Back off continuation bytes so no character is split.
  if (length < text.size())
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

void ToolTable::rebuild(const SIM_ToolTableRecord& record, double unitScale, const MachineHolders& machine) {
  tools_.clear();
  nameMap_.clear();
  slots_.clear();  // slots name tools by their index in the old table
  cutRecords_.clear();
  host_ = std::make_unique<HostTableCopy>(record);
  unitScale_ = unitScale;
  build(host_->record(), machine);
}

void ToolTable::remount(const MachineHolders& machine) {
  tools_.clear();
  nameMap_.clear();
  cutRecords_.clear();
  if (host_) build(host_->record(), machine);
}

void ToolTable::build(const SIM_ToolTableRecord& record, const MachineHolders& machine) {
  const double unitScale = unitScale_;
  machineHolderCopies_.clear();
  const std::span<const SIM_ToolRecord> tools = toolsOf(record);
  holders_ = buildHolders(holdersOf(record), unitScale);
  adoptMachineHolders(tools, holders_, machine, slots_);
  for (const SIM_ToolRecord& tool : tools)
    if (tool.holder >= 0 && static_cast<size_t>(tool.holder) >= holders_.size()) {
      const size_t index = static_cast<size_t>(tool.holder) - holders_.size();
      if (machineHolderCopies_.count(index)) continue;
      if (const HolderGeometry* own = machine.holder(index))
        machineHolderCopies_[index] = std::make_unique<HolderGeometry>(*own);
    }

  tools_.resize(tools.size());
  cutRecords_.resize(tools.size());
  LoopFailure failure;
#pragma omp parallel for schedule(dynamic)
  for (int64_t i = 0; i < static_cast<int64_t>(tools.size()); ++i) {
    failure.run([&] {
      const SIM_ToolRecord& host = tools[i];
      const HolderGeometry* holder = resolveHolder(host.holder, holders_, machineHolderCopies_);
      auto tool = std::make_unique<Tool>(buildTool(host, holder, holder ? host.holder : -1, unitScale));
      tool->machineNumberKnown = machine.knowsNumber(host.machineNumber);
      cutRecords_[i] = buildCutRecords(*tool);
      const uint64_t hash = tool->identifierHash;
      tools_[i] = std::move(tool);
#pragma omp critical(toolNameMap)
      nameMap_[hash] = static_cast<size_t>(i);
    });
  }
  ++revision_;
  failure.rethrow();
}

const Tool* ToolTable::toolByHash(uint64_t hash) const {
  const auto it = nameMap_.find(hash);
  return it == nameMap_.end() ? nullptr : tools_[it->second].get();
}

std::optional<size_t> ToolTable::indexOf(uint64_t hash) const {
  const auto it = nameMap_.find(hash);
  return it == nameMap_.end() ? std::nullopt : std::optional(it->second);
}

std::optional<uint32_t> ToolTable::slotOf(size_t index) const {
  for (const auto& [slot, mounted] : slots_)
    if (mounted == index) return slot;
  if (index < tools_.size() && tools_[index]->machineNumberKnown) return tools_[index]->machineNumber;
  return std::nullopt;
}

void ToolTable::mountSlots(std::span<const uint32_t> slots, std::span<const uint32_t> tools) {
  const size_t count = std::min(slots.size(), tools.size());
  for (size_t i = 0; i < count; ++i) {
    std::erase_if(slots_, [&](const auto& entry) { return entry.second == tools[i]; });
    slots_[slots[i]] = tools[i];
  }
}

bool ToolTable::anyToolHasOrientation() const {
  return std::any_of(tools_.begin(), tools_.end(), [](const auto& t) { return t->orientation.has_value(); });
}

std::optional<toolpath::Mat3> ToolTable::orientationOf(uint64_t toolNameHash) const {
  const Tool* tool = toolByHash(toolNameHash);
  if (!tool || !tool->orientation) return std::nullopt;
  toolpath::Mat3 rows;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) rows[3 * row + column] = (*tool->orientation)[column][row];
  return rows;
}

void ToolTable::hostRecords(std::vector<SIM_ToolRecord>& tools, std::vector<SIM_HolderRecord>& holders,
                            double unitScale) const {
  tools.assign(tools_.size(), SIM_ToolRecord{});
  holders.clear();
  std::unordered_map<uint64_t, int32_t> shared;
  for (size_t i = 0; i < tools_.size(); ++i) {
    const Tool& tool = *tools_[i];
    SIM_ToolRecord& r = tools[i];
    copyText(r.name, kIdentifierLimit, tool.identifier);
    copyText(r.description, kDescriptionLimit, tool.description);
    r.number = tool.number;
    r.machineNumber = tool.machineNumber;
    const glm::dvec3 mount = transformed(tool.orientation, tool.mountPoint) / unitScale;
    for (int k = 0; k < 3; ++k) r.mountPoint[k] = static_cast<float>(mount[k]);
    r.reserved336 = kReportedWord;
    r.reserved340 = kReportedWord;
    r.mountingSide = tool.mountingSide;
    r.mountingSide2 = tool.mountingSide2;
    r.ownColour = tool.ownColour ? 1 : 0;
    for (int k = 0; k < 3; ++k) r.colour[k] = tool.colour[k];
    r.holder = -1;
    if (tool.holder) {
      SIM_HolderRecord holder = tool.holder->record;
      holder.modelPath[sizeof holder.modelPath - 1] = '\0';
      for (int k = 0; k < 3; ++k) holder.origin[k] = static_cast<float>(tool.holder->origin[k] / unitScale);
      auto [it, added] = shared.try_emplace(holderKey(holder), static_cast<int32_t>(holders.size()));
      if (added) holders.push_back(holder);
      r.holder = it->second;
    }
  }
}

std::vector<SIM_CompensationResult> resolveCompensation(SIM_ToolTableRecord& record, double unitScale,
                                                        const MachineHolders& machine) {
  ToolTable table;
  table.rebuild(record, unitScale, machine);
  for (const SIM_ToolRecord& tool : toolsOf(record)) {
    if (tool.holder < 0 || tool.holder >= record.holderCount || !record.holders) continue;
    SIM_HolderRecord& holder = record.holders[tool.holder];
    if (const auto placed = machine.placementFor(tool, holder)) {
      for (int k = 0; k < 3; ++k) holder.origin[k] = static_cast<float>(placed->origin[k] / unitScale);
      for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) holder.rotation[3 * row + column] = placed->rotation[column][row];
    }
  }
  std::vector<SIM_CompensationResult> results(table.toolCount());
  for (size_t i = 0; i < table.toolCount(); ++i) {
    const Tool& tool = table.tool(i);
    SIM_CompensationResult& r = results[i];
    r.identifier = tool.identifierHash;
    r.number = tool.number;
    r.machineNumber = tool.machineNumber;
    r.holder = tool.holder ? tool.holderIndex : -1;
    const ToolPartShape* cutting = tool.part(SIM_PART_CUTTING);
    const glm::dvec3 axis = cutting ? cutting->placement.axis : glm::dvec3(0, 1, 0);
    for (int k = 0; k < 3; ++k) r.axis[k] = axis[k];
    if (!cutting) {
      r.status = SIM_COMPENSATION_NO_CUTTING_PART;
      continue;
    }
    r.status = tool.holder ? SIM_COMPENSATION_OK : SIM_COMPENSATION_NO_HOLDER;
    // The profile starts at the tip on the axis.
    const glm::dvec3 tip = cutting->placement.origin + cutting->profile.vertices.front().point.y * axis;
    const glm::dvec3 fromMount = tip - tool.mountPoint;
    for (int k = 0; k < 3; ++k) r.tip[k] = fromMount[k] / unitScale;
    r.length = std::abs(glm::dot(fromMount, axis)) / unitScale;
    r.radius = largestRadius(cutting->profile) / unitScale;
    r.cornerRadius = (tool.cutter.kind == CutterKind::BullNose ? tool.cutter.p3
                      : tool.cutter.kind == CutterKind::Ball   ? tool.cutter.p1
                                                               : 0.0) / unitScale;
    r.cuttingLength = (highestHeight(cutting->profile) - lowestHeight(cutting->profile)) / unitScale;
  }
  return results;
}

}  // namespace tools
