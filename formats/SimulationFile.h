#pragma once
// The simulation file (".TarvoSimData"): a view's toolpath, tool table,
// stocks, geometries and the model files they name, its settings, saved
// display choices, playback position, NC text and mouse bindings, as one
// sealed document (formats/SimDocument.h).
//
// Layout: the u32 format number (14; 15 when section 17 is present), the
// top-level sections 0-16 in order (empty where the view has nothing), the
// optional section 17, the checksum. Records are stored in their host
// layout with every pointer field zero; what they point to follows in
// sections of their own.
//   0 document: u32 host unit, then the writer's name.
//   1 toolpath: sections 1 moves, 2 entity ids, 3 line numbers, 4 feeds,
//     5 cumulative lengths, 6 cumulative times, 7 spindle speeds, 8 move
//     flags, 9 extra axes (per-move arrays, absent when the host gave
//     none), 10 tool changes, 11 operations, 12 info records, 13-16 text
//     lists 1-4, 17 orientations, 18 events, 19 event names (per event a
//     byte 1 and a u32 length and the text, or a byte 0 for none), 20
//     values, 21 compensations, 22 subprogram entries, 23 their local
//     lines one after the other, 24 value changes.
//   2 tool table: 0 the f64 unit scale its lengths are in (1 or 25.4), 1 tools, 2 every
//     tool's parts in turn (partCount each), 3 every part's profile points
//     in turn (pointCount each), 4 holders. Empty: no table.
//   3 stocks: per stock a section 0 holding 0 the record, 1 its mesh
//     geometry's name, 2 its STL path.
//   4 geometries: per geometry a section 0 holding 0 the record, 1 its
//     model path, 2 its vertices (f32, whole triangles).
//   5 embedded files: per file a section 0 holding 0 its path as the
//     records name it, 1 its bytes.
//   6 saved display choices: u32 count, then per choice a u32 question code
//     and a byte 0 or 1.
//   7 values: a section per key (kSimValue*), payload as the key says.
//   8 NC text: section 0 the program, then a section 1 per subprogram; each
//     holds 0 the UTF-8 text and 1 the per-line u32 values.
//   9 mouse bindings: per binding u32 input, u32 state, three modifier
//     bytes, u32 action.
//   10-16: empty, kept for later content.
//   17 machine (optional): kept as read.
// Unknown tags inside a section are skipped; a tag that appears twice
// where one is expected, a length past its parent's end, or counts that do
// not match the bytes make the file malformed.
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "formats/ToolpathRecordCopy.h"
#include "korvane/Korvane.h"

namespace formats {

inline constexpr uint32_t kSimulationFormat = 14;
inline constexpr uint32_t kSimulationFormatWithMachine = 15;

// Keys of the value map.
enum SimValueKey : uint32_t {
  kSimValueUnit = 1,                 // u32
  kSimValueDecimals = 2,             // i32, -1 the unit's own
  kSimValueToolpathMode = 3,         // u32
  kSimValueToolpathDisplay = 4,      // SIM_ToolpathDisplay
  kSimValueCuttingPlane = 5,         // SIM_CuttingPlane
  kSimValueStockRemoval = 6,         // SIM_StockRemovalSettings
  kSimValueStockCompare = 7,         // SIM_StockCompare
  kSimValueCompareColours = 8,       // SIM_StockCompareColors
  kSimValueCollisionDetection = 9,   // SIM_CollisionDetectionSettings
  kSimValueCollisionHighlight = 10,  // SIM_CollisionHighlightSettings
  kSimValueStopConditions = 11,      // u64
  kSimValueDarkTheme = 12,           // u8
  kSimValueSpeed = 13,               // f64, the speed slider
  kSimValueGeometryPrecision = 14,   // f64, millimetres
  kSimValueAxisTransformation = 15,  // nine f64, row by row
  kSimValueDisplayBytes = 16,        // the four saved display bytes
  kSimValuePlaybackPosition = 27,    // f64, fraction of the toolpath's time
};

struct ToolTableContent {
  double unitScale = 1.0;
  std::vector<SIM_ToolRecord> tools;  // parts pointers zero, partCount kept
  std::vector<SIM_ToolPart> parts;    // points pointers zero, pointCount kept
  std::vector<SIM_ProfilePoint> points;
  std::vector<SIM_HolderRecord> holders;
  bool empty() const { return tools.empty() && holders.empty(); }
};

// The table in the host's layout, pointing into a content it was made of.
struct ToolTableView {
  SIM_ToolTableRecord record{};
  std::vector<SIM_ToolRecord> tools;
  std::vector<SIM_ToolPart> parts;
  std::vector<SIM_HolderRecord> holders;
};
ToolTableView toolTableView(const ToolTableContent& content);
// The content of a table record, its pointers followed.
ToolTableContent toolTableContentOf(const SIM_ToolTableRecord& record, double unitScale);

struct StockContent {
  SIM_StockRecord record{};  // text pointers zero
  std::string meshGeometry, meshPath;
};

struct GeometryContent {
  SIM_GeometryRecord record{};  // model path and vertex pointers zero
  std::string modelPath;
  std::vector<float> vertices;
};

struct EmbeddedFile {
  std::string path;
  std::vector<uint8_t> bytes;
};

struct NcText {
  std::string text;
  std::vector<uint32_t> values;
};

struct SimulationContent {
  uint32_t hostUnit = 0;
  ToolpathRecordCopy toolpath;
  ToolTableContent toolTable;
  std::vector<StockContent> stocks;
  std::vector<GeometryContent> geometries;
  std::vector<EmbeddedFile> files;
  std::map<uint32_t, bool> toggles;
  std::map<uint32_t, std::vector<uint8_t>> values;
  NcText program;
  std::vector<NcText> subprograms;
  std::vector<SIM_KeyBinding> bindings;
  std::optional<std::vector<uint8_t>> machine;
};

enum class SimulationFileError { BadChecksum, UnknownFormat, Malformed };

struct DecodedSimulation {
  std::optional<SimulationContent> content;
  SimulationFileError error = SimulationFileError::Malformed;  // when there is no content
};

std::vector<uint8_t> encodeSimulation(const SimulationContent& content);
DecodedSimulation decodeSimulation(std::span<const uint8_t> file);

// A value of the map as the type its key holds (the bytes of a trivially
// copyable type); none when absent or of another size.
template <typename T>
std::optional<T> simValue(const SimulationContent& content, uint32_t key) {
  static_assert(std::is_trivially_copyable_v<T>);
  const auto found = content.values.find(key);
  if (found == content.values.end() || found->second.size() != sizeof(T)) return std::nullopt;
  T value;
  std::memcpy(&value, found->second.data(), sizeof(T));
  return value;
}

template <typename T>
void setSimValue(SimulationContent& content, uint32_t key, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::vector<uint8_t>& bytes = content.values[key];
  bytes.resize(sizeof(T));
  std::memcpy(bytes.data(), &value, sizeof(T));
}

}  // namespace formats
