#include "formats/SimulationFile.h"

#include <algorithm>
#include <numeric>

#include "formats/AnswerMap.h"
#include "formats/SimDocument.h"

namespace formats {
namespace {

constexpr char kWriter[] = "Korvane";
constexpr uint32_t kLastPlainSection = 16;
constexpr uint32_t kMachineSection = 17;

enum TopSection : uint32_t {
  kDocumentSection = 0,
  kToolpathSection = 1,
  kToolTableSection = 2,
  kStocksSection = 3,
  kGeometriesSection = 4,
  kFilesSection = 5,
  kTogglesSection = 6,
  kValuesSection = 7,
  kNcTextSection = 8,
  kBindingsSection = 9,
};

enum ToolpathPart : uint32_t {
  kMoves = 1, kEntityIds, kLineNumbers, kFeeds, kCumulativeLengths, kCumulativeTimes, kSpindleSpeeds, kMoveFlags,
  kExtraAxes, kToolChanges, kOperations, kInfoRecords, kTextRecords1, kTextRecords2, kTextRecords3, kTextRecords4,
  kOrientations, kEvents, kEventNames, kValues, kCompensations, kSubprograms, kSubprogramLines, kValueChanges,
};

enum ToolTablePart : uint32_t { kUnitScale = 0, kTools, kParts, kPoints, kHolders };

constexpr size_t kBindingSize = 4 + 4 + 3 + 4;

// ---- Writing.

template <typename T>
std::span<const uint8_t> bytesOf(const std::vector<T>& items) {
  return {reinterpret_cast<const uint8_t*>(items.data()), items.size() * sizeof(T)};
}

template <typename T>
std::span<const uint8_t> bytesOf(const T& item) {
  return {reinterpret_cast<const uint8_t*>(&item), sizeof(T)};
}

std::span<const uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Per-move arrays only when they are there: absent ones stay the view's
// defaults when the file is read.
template <typename T>
void appendArray(std::vector<uint8_t>& out, uint32_t tag, const std::vector<T>& items, bool always = true) {
  if (always || !items.empty()) appendSection(out, tag, bytesOf(items));
}

std::vector<uint8_t> toolpathPayload(const ToolpathRecordCopy& t) {
  std::vector<uint8_t> out;
  appendArray(out, kMoves, t.moves);
  appendArray(out, kEntityIds, t.entityIds, false);
  appendArray(out, kLineNumbers, t.lineNumbers, false);
  appendArray(out, kFeeds, t.feeds, false);
  appendArray(out, kCumulativeLengths, t.cumulativeLengths, false);
  appendArray(out, kCumulativeTimes, t.cumulativeTimes, false);
  appendArray(out, kSpindleSpeeds, t.spindleSpeeds, false);
  appendArray(out, kMoveFlags, t.moveFlags, false);
  appendArray(out, kExtraAxes, t.extraAxes, false);
  appendArray(out, kToolChanges, t.toolChanges);
  appendArray(out, kOperations, t.operations);
  appendArray(out, kInfoRecords, t.infoRecords);
  for (uint32_t k = 0; k < 4; ++k) appendArray(out, kTextRecords1 + k, t.textRecords[k]);
  appendArray(out, kOrientations, t.orientations);
  std::vector<SIM_MoveEvent> events = t.events;
  for (SIM_MoveEvent& e : events) e.name = nullptr;
  appendArray(out, kEvents, events);
  std::vector<uint8_t> names;
  for (size_t i = 0; i < events.size(); ++i) {
    const std::optional<std::string>& name = i < t.eventNames.size() ? t.eventNames[i] : std::nullopt;
    names.push_back(name ? 1 : 0);
    if (!name) continue;
    appendU32(names, static_cast<uint32_t>(name->size()));
    names.insert(names.end(), name->begin(), name->end());
  }
  appendSection(out, kEventNames, names);
  appendArray(out, kValues, t.values);
  appendArray(out, kCompensations, t.compensations);
  std::vector<SIM_SubprogramLines> subprograms = t.subprograms;
  std::vector<uint32_t> localLines;
  for (size_t i = 0; i < subprograms.size(); ++i) {
    SIM_SubprogramLines& entry = subprograms[i];
    entry.localLines = nullptr;
    // The local lines the entry's range asks for, zero where the copy has fewer.
    const size_t count = entry.endLine > entry.firstLine ? entry.endLine - entry.firstLine : 0;
    const std::vector<uint32_t>& lines = i < t.subprogramLines.size() ? t.subprogramLines[i] : std::vector<uint32_t>{};
    for (size_t k = 0; k < count; ++k) localLines.push_back(k < lines.size() ? lines[k] : 0);
  }
  appendArray(out, kSubprograms, subprograms);
  appendArray(out, kSubprogramLines, localLines);
  appendArray(out, kValueChanges, t.valueChanges);
  return out;
}

std::vector<uint8_t> toolTablePayload(const ToolTableContent& table) {
  std::vector<uint8_t> out;
  if (table.empty()) return out;
  appendSection(out, kUnitScale, bytesOf(table.unitScale));
  std::vector<SIM_ToolRecord> tools = table.tools;
  for (SIM_ToolRecord& tool : tools) tool.parts = nullptr;
  std::vector<SIM_ToolPart> parts = table.parts;
  for (SIM_ToolPart& part : parts) part.points = nullptr;
  appendArray(out, kTools, tools);
  appendArray(out, kParts, parts);
  appendArray(out, kPoints, table.points);
  appendArray(out, kHolders, table.holders);
  return out;
}

template <typename Item, typename Write>
std::vector<uint8_t> listPayload(const std::vector<Item>& items, Write write) {
  std::vector<uint8_t> out;
  for (const Item& item : items) {
    std::vector<uint8_t> one;
    write(one, item);
    appendSection(out, 0, one);
  }
  return out;
}

std::vector<uint8_t> ncTextPayload(const NcText& text) {
  std::vector<uint8_t> out;
  appendSection(out, 0, bytesOf(text.text));
  appendArray(out, 1, text.values);
  return out;
}

// ---- Reading.

using Payload = std::span<const uint8_t>;

// Sections by tag; none when the stream is broken or a tag repeats.
std::optional<std::map<uint32_t, Payload>> uniqueSections(Payload stream) {
  const std::optional<std::vector<Section>> sections = sectionsOf(stream);
  if (!sections) return std::nullopt;
  std::map<uint32_t, Payload> byTag;
  for (const Section& s : *sections)
    if (!byTag.emplace(s.tag, s.payload).second) return std::nullopt;
  return byTag;
}

// Sections that all carry tag 0 (the items of a list); none otherwise.
std::optional<std::vector<Payload>> listItems(Payload stream) {
  const std::optional<std::vector<Section>> sections = sectionsOf(stream);
  if (!sections) return std::nullopt;
  std::vector<Payload> items;
  for (const Section& s : *sections) {
    if (s.tag != 0) return std::nullopt;
    items.push_back(s.payload);
  }
  return items;
}

template <typename T>
bool readArray(Payload bytes, std::vector<T>& out) {
  if (bytes.size() % sizeof(T) != 0) return false;
  out.resize(bytes.size() / sizeof(T));
  if (!bytes.empty()) std::memcpy(out.data(), bytes.data(), bytes.size());
  return true;
}

template <typename T>
bool readOne(Payload bytes, T& out) {
  if (bytes.size() != sizeof(T)) return false;
  std::memcpy(&out, bytes.data(), sizeof(T));
  return true;
}

// An optional section: absent leaves out as it is.
template <typename T>
bool readArrayAt(const std::map<uint32_t, Payload>& sections, uint32_t tag, std::vector<T>& out) {
  const auto found = sections.find(tag);
  return found == sections.end() || readArray(found->second, out);
}

Payload sectionOr(const std::map<uint32_t, Payload>& sections, uint32_t tag) {
  const auto found = sections.find(tag);
  return found == sections.end() ? Payload{} : found->second;
}

std::string textOf(Payload bytes) { return std::string(bytes.begin(), bytes.end()); }

bool readEventNames(Payload bytes, size_t count, std::vector<std::optional<std::string>>& names) {
  size_t at = 0;
  for (size_t i = 0; i < count; ++i) {
    if (at >= bytes.size()) return false;
    const uint8_t present = bytes[at++];
    if (present > 1) return false;
    if (!present) {
      names.emplace_back();
      continue;
    }
    if (bytes.size() - at < 4) return false;
    const uint32_t length = u32At(bytes, at);
    at += 4;
    if (length > bytes.size() - at) return false;
    names.emplace_back(textOf(bytes.subspan(at, length)));
    at += length;
  }
  return at == bytes.size();
}

bool readToolpath(Payload payload, ToolpathRecordCopy& t) {
  const std::optional<std::map<uint32_t, Payload>> s = uniqueSections(payload);
  if (!s) return false;
  if (!readArrayAt(*s, kMoves, t.moves) || !readArrayAt(*s, kEntityIds, t.entityIds) ||
      !readArrayAt(*s, kLineNumbers, t.lineNumbers) || !readArrayAt(*s, kFeeds, t.feeds) ||
      !readArrayAt(*s, kCumulativeLengths, t.cumulativeLengths) ||
      !readArrayAt(*s, kCumulativeTimes, t.cumulativeTimes) || !readArrayAt(*s, kSpindleSpeeds, t.spindleSpeeds) ||
      !readArrayAt(*s, kMoveFlags, t.moveFlags) || !readArrayAt(*s, kExtraAxes, t.extraAxes) ||
      !readArrayAt(*s, kToolChanges, t.toolChanges) || !readArrayAt(*s, kOperations, t.operations) ||
      !readArrayAt(*s, kInfoRecords, t.infoRecords) || !readArrayAt(*s, kOrientations, t.orientations) ||
      !readArrayAt(*s, kEvents, t.events) || !readArrayAt(*s, kValues, t.values) ||
      !readArrayAt(*s, kCompensations, t.compensations) || !readArrayAt(*s, kSubprograms, t.subprograms) ||
      !readArrayAt(*s, kValueChanges, t.valueChanges))
    return false;
  for (uint32_t k = 0; k < 4; ++k)
    if (!readArrayAt(*s, kTextRecords1 + k, t.textRecords[k])) return false;
  const size_t n = t.moves.size();
  t.moveCount = n;
  // Per-move arrays hold one value per move (extra axes three).
  for (const size_t size : {t.entityIds.size(), t.lineNumbers.size(), t.feeds.size(), t.cumulativeLengths.size(),
                            t.cumulativeTimes.size(), t.spindleSpeeds.size(), t.moveFlags.size()})
    if (size != 0 && size != n) return false;
  if (!t.extraAxes.empty() && t.extraAxes.size() != 3 * n) return false;
  if (t.events.size() > static_cast<size_t>(INT32_MAX) || t.subprograms.size() > UINT32_MAX) return false;
  for (SIM_MoveEvent& e : t.events) e.name = nullptr;
  if (!readEventNames(sectionOr(*s, kEventNames), t.events.size(), t.eventNames)) return false;

  std::vector<uint32_t> localLines;
  if (!readArrayAt(*s, kSubprogramLines, localLines)) return false;
  size_t used = 0;
  for (SIM_SubprogramLines& entry : t.subprograms) {
    entry.localLines = nullptr;
    const size_t count = entry.endLine > entry.firstLine ? entry.endLine - entry.firstLine : 0;
    if (count > localLines.size() - used) return false;
    t.subprogramLines.emplace_back(localLines.begin() + used, localLines.begin() + used + count);
    used += count;
  }
  if (used != localLines.size()) return false;
  t.given = {!t.entityIds.empty(),       !t.lineNumbers.empty(),     !t.feeds.empty(),
             !t.cumulativeLengths.empty(), !t.cumulativeTimes.empty(), !t.spindleSpeeds.empty(),
             !t.moveFlags.empty(),       !t.extraAxes.empty()};
  return true;
}

bool readToolTable(Payload payload, ToolTableContent& table) {
  if (payload.empty()) return true;
  const std::optional<std::map<uint32_t, Payload>> s = uniqueSections(payload);
  if (!s || !readOne(sectionOr(*s, kUnitScale), table.unitScale)) return false;
  // Tables come in millimetres or inches.
  if (table.unitScale != 1.0 && table.unitScale != 25.4) return false;
  if (!readArrayAt(*s, kTools, table.tools) || !readArrayAt(*s, kParts, table.parts) ||
      !readArrayAt(*s, kPoints, table.points) || !readArrayAt(*s, kHolders, table.holders))
    return false;
  if (table.holders.size() > static_cast<size_t>(INT32_MAX)) return false;
  // The counts split the parts and points exactly.
  uint64_t parts = 0, points = 0;
  for (SIM_ToolRecord& tool : table.tools) {
    tool.parts = nullptr;
    parts += tool.partCount;
  }
  for (SIM_ToolPart& part : table.parts) {
    part.points = nullptr;
    if (part.pointCount > table.points.size()) return false;
    points += part.pointCount;
  }
  return parts == table.parts.size() && points == table.points.size();
}

bool readStock(Payload payload, StockContent& stock) {
  const std::optional<std::map<uint32_t, Payload>> s = uniqueSections(payload);
  if (!s || !readOne(sectionOr(*s, 0), stock.record)) return false;
  stock.record.meshGeometry = stock.record.meshPath = nullptr;
  stock.meshGeometry = textOf(sectionOr(*s, 1));
  stock.meshPath = textOf(sectionOr(*s, 2));
  return true;
}

bool readGeometry(Payload payload, GeometryContent& geometry) {
  const std::optional<std::map<uint32_t, Payload>> s = uniqueSections(payload);
  if (!s || !readOne(sectionOr(*s, 0), geometry.record)) return false;
  geometry.record.modelPath = nullptr;
  geometry.record.vertices = nullptr;
  geometry.modelPath = textOf(sectionOr(*s, 1));
  if (!readArrayAt(*s, 2, geometry.vertices) || geometry.vertices.size() % 9 != 0) return false;
  geometry.record.vertexCount = geometry.vertices.size() / 3;
  return true;
}

bool readFile(Payload payload, EmbeddedFile& file) {
  const std::optional<std::map<uint32_t, Payload>> s = uniqueSections(payload);
  if (!s) return false;
  file.path = textOf(sectionOr(*s, 0));
  const Payload bytes = sectionOr(*s, 1);
  file.bytes.assign(bytes.begin(), bytes.end());
  return !file.path.empty();
}

template <typename Item, typename Read>
bool readList(Payload payload, std::vector<Item>& items, Read read) {
  const std::optional<std::vector<Payload>> list = listItems(payload);
  if (!list) return false;
  for (const Payload& one : *list) {
    Item item;
    if (!read(one, item)) return false;
    items.push_back(std::move(item));
  }
  return true;
}

bool readNcText(Payload payload, NcText& text) {
  const std::optional<std::map<uint32_t, Payload>> s = uniqueSections(payload);
  if (!s) return false;
  text.text = textOf(sectionOr(*s, 0));
  return readArrayAt(*s, 1, text.values);
}

bool readNcTexts(Payload payload, NcText& program, std::vector<NcText>& subprograms) {
  const std::optional<std::vector<Section>> sections = sectionsOf(payload);
  if (!sections) return false;
  bool programSeen = false;
  for (const Section& s : *sections) {
    if (s.tag == 0) {
      if (programSeen || !readNcText(s.payload, program)) return false;
      programSeen = true;
    } else if (s.tag == 1) {
      NcText sub;
      if (!readNcText(s.payload, sub)) return false;
      subprograms.push_back(std::move(sub));
    }
  }
  return true;
}

bool readBindings(Payload payload, std::vector<SIM_KeyBinding>& bindings) {
  if (payload.size() % kBindingSize != 0) return false;
  for (size_t at = 0; at < payload.size(); at += kBindingSize) {
    SIM_KeyBinding b{};
    b.input = u32At(payload, at);
    b.state = u32At(payload, at + 4);
    std::copy_n(payload.begin() + at + 8, 3, b.modifiers);
    b.action = u32At(payload, at + 11);
    bindings.push_back(b);
  }
  return true;
}

bool readContent(const std::map<uint32_t, Payload>& top, SimulationContent& c) {
  const Payload document = sectionOr(top, kDocumentSection);
  if (document.size() < 4) return false;
  c.hostUnit = u32At(document, 0);
  if (!readToolpath(sectionOr(top, kToolpathSection), c.toolpath)) return false;
  if (!readToolTable(sectionOr(top, kToolTableSection), c.toolTable)) return false;
  if (!readList(sectionOr(top, kStocksSection), c.stocks, readStock)) return false;
  if (!readList(sectionOr(top, kGeometriesSection), c.geometries, readGeometry)) return false;
  if (!readList(sectionOr(top, kFilesSection), c.files, readFile)) return false;
  if (const auto t = top.find(kTogglesSection); t != top.end()) {
    std::optional<std::map<uint32_t, bool>> toggles = answerMapOf(t->second);
    if (!toggles) return false;
    c.toggles = std::move(*toggles);
  }
  const std::optional<std::map<uint32_t, Payload>> values = uniqueSections(sectionOr(top, kValuesSection));
  if (!values) return false;
  for (const auto& [key, bytes] : *values) c.values[key].assign(bytes.begin(), bytes.end());
  if (!readNcTexts(sectionOr(top, kNcTextSection), c.program, c.subprograms)) return false;
  if (!readBindings(sectionOr(top, kBindingsSection), c.bindings)) return false;
  if (const auto m = top.find(kMachineSection); m != top.end()) c.machine.emplace(m->second.begin(), m->second.end());
  return true;
}

}  // namespace

ToolTableView toolTableView(const ToolTableContent& content) {
  ToolTableView v;
  v.tools = content.tools;
  v.parts = content.parts;
  v.holders = content.holders;
  size_t point = 0;
  for (SIM_ToolPart& part : v.parts) {
    part.points = part.pointCount > 0 ? content.points.data() + point : nullptr;
    point += part.pointCount;
  }
  size_t part = 0;
  for (SIM_ToolRecord& tool : v.tools) {
    tool.parts = tool.partCount > 0 ? v.parts.data() + part : nullptr;
    part += tool.partCount;
  }
  v.record.tools = v.tools.empty() ? nullptr : v.tools.data();
  v.record.toolCount = v.tools.size();
  v.record.holders = v.holders.empty() ? nullptr : v.holders.data();
  v.record.holderCount = static_cast<int32_t>(v.holders.size());
  return v;
}

ToolTableContent toolTableContentOf(const SIM_ToolTableRecord& record, double unitScale) {
  ToolTableContent c;
  c.unitScale = unitScale;
  if (record.tools) c.tools.assign(record.tools, record.tools + record.toolCount);
  if (record.holders && record.holderCount > 0) c.holders.assign(record.holders, record.holders + record.holderCount);
  for (SIM_ToolRecord& tool : c.tools) {
    const uint32_t partCount = tool.parts ? tool.partCount : 0;
    for (uint32_t p = 0; p < partCount; ++p) {
      SIM_ToolPart part = tool.parts[p];
      const uint64_t pointCount = part.points ? part.pointCount : 0;
      c.points.insert(c.points.end(), part.points, part.points + pointCount);
      part.points = nullptr;
      part.pointCount = pointCount;
      c.parts.push_back(part);
    }
    tool.parts = nullptr;
    tool.partCount = partCount;
  }
  return c;
}

std::vector<uint8_t> encodeSimulation(const SimulationContent& c) {
  std::vector<uint8_t> document;
  appendU32(document, c.machine ? kSimulationFormatWithMachine : kSimulationFormat);

  std::vector<uint8_t> info;
  appendU32(info, c.hostUnit);
  info.insert(info.end(), std::begin(kWriter), std::end(kWriter) - 1);
  appendSection(document, kDocumentSection, info);
  appendSection(document, kToolpathSection, toolpathPayload(c.toolpath));
  appendSection(document, kToolTableSection, toolTablePayload(c.toolTable));
  appendSection(document, kStocksSection, listPayload(c.stocks, [](std::vector<uint8_t>& out, const StockContent& s) {
                  SIM_StockRecord record = s.record;
                  record.meshGeometry = record.meshPath = nullptr;
                  appendSection(out, 0, bytesOf(record));
                  appendSection(out, 1, bytesOf(s.meshGeometry));
                  appendSection(out, 2, bytesOf(s.meshPath));
                }));
  appendSection(document, kGeometriesSection,
                listPayload(c.geometries, [](std::vector<uint8_t>& out, const GeometryContent& g) {
                  SIM_GeometryRecord record = g.record;
                  record.modelPath = nullptr;
                  record.vertices = nullptr;
                  appendSection(out, 0, bytesOf(record));
                  appendSection(out, 1, bytesOf(g.modelPath));
                  appendSection(out, 2, bytesOf(g.vertices));
                }));
  appendSection(document, kFilesSection, listPayload(c.files, [](std::vector<uint8_t>& out, const EmbeddedFile& f) {
                  appendSection(out, 0, bytesOf(f.path));
                  appendSection(out, 1, f.bytes);
                }));
  std::vector<uint8_t> toggles;
  appendAnswerMap(toggles, c.toggles);
  appendSection(document, kTogglesSection, toggles);
  std::vector<uint8_t> values;
  for (const auto& [key, bytes] : c.values) appendSection(values, key, bytes);
  appendSection(document, kValuesSection, values);
  std::vector<uint8_t> nc;
  appendSection(nc, 0, ncTextPayload(c.program));
  for (const NcText& sub : c.subprograms) appendSection(nc, 1, ncTextPayload(sub));
  appendSection(document, kNcTextSection, nc);
  std::vector<uint8_t> bindings;
  for (const SIM_KeyBinding& b : c.bindings) {
    appendU32(bindings, b.input);
    appendU32(bindings, b.state);
    bindings.insert(bindings.end(), std::begin(b.modifiers), std::end(b.modifiers));
    appendU32(bindings, b.action);
  }
  appendSection(document, kBindingsSection, bindings);
  for (uint32_t tag = kBindingsSection + 1; tag <= kLastPlainSection; ++tag) appendSection(document, tag, {});
  if (c.machine) appendSection(document, kMachineSection, *c.machine);
  sealDocument(document);
  return document;
}

DecodedSimulation decodeSimulation(std::span<const uint8_t> file) {
  DecodedSimulation decoded;
  const std::optional<std::span<const uint8_t>> body = unsealedDocument(file);
  if (!body) {
    decoded.error = SimulationFileError::BadChecksum;
    return decoded;
  }
  const uint32_t format = body->size() >= 4 ? u32At(*body, 0) : 0;
  if (format != kSimulationFormat && format != kSimulationFormatWithMachine) {
    decoded.error = SimulationFileError::UnknownFormat;
    return decoded;
  }
  const std::optional<std::map<uint32_t, Payload>> top = uniqueSections(body->subspan(4));
  SimulationContent content;
  if (!top || (format == kSimulationFormatWithMachine) != top->contains(kMachineSection) ||
      !readContent(*top, content)) {
    decoded.error = SimulationFileError::Malformed;
    return decoded;
  }
  decoded.content = std::move(content);
  return decoded;
}

}  // namespace formats
