// libFuzzer target: records built from the input's bytes, handed to one
// headless view through the record-taking exports. Numbers come straight
// from the bytes (so NaN, infinities, denormals and huge values all occur),
// counts are small with real arrays or any size without one. Whatever an
// export answers, the view must stay alive and answer the next call.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "korvane/Korvane.h"

namespace {

Render* gView = nullptr;

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  template <typename T>
  T take() {
    T value{};
    const size_t n = std::min(sizeof(T), size_ - at_);
    std::memcpy(&value, data_ + at_, n);
    at_ += n;
    return value;
  }
  template <typename T>
  void fill(T* values, size_t count) {
    for (size_t i = 0; i < count; ++i) values[i] = take<T>();
  }
  bool empty() const { return at_ >= size_; }
  // A small count with its array, or any count without one.
  template <typename T>
  const T* array(std::vector<T>& storage, uint64_t& count, uint32_t most) {
    const uint8_t choice = take<uint8_t>();
    if (choice % 8 == 0) {
      count = take<uint64_t>();
      return nullptr;
    }
    storage.resize(choice % most);
    for (T& element : storage) element = take<T>();
    count = storage.size();
    return storage.empty() ? nullptr : storage.data();
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void toolpath(Bytes& in) {
  std::vector<SIM_ToolpathMove> moves;
  std::vector<SIM_NamedMove> changes;
  std::vector<SIM_OperationRange> operations;
  std::vector<SIM_CompensationChange> compensations;
  std::vector<SIM_OrientationEntry> orientations;
  std::vector<double> feeds, times;
  SIM_ToolpathRecord r{};
  r.moves = in.array(moves, r.moveCount, 24);
  for (SIM_ToolpathMove& m : moves) m.type %= 6;
  r.toolChanges = in.array(changes, r.toolChangeCount, 4);
  for (SIM_NamedMove& c : changes) std::strcpy(c.name, "T1");
  r.operations = in.array(operations, r.operationCount, 4);
  r.compensations = in.array(compensations, r.compensationCount, 4);
  r.orientations = in.array(orientations, r.orientationCount, 3);
  const uint8_t optional = in.take<uint8_t>();
  if (optional & 1) {
    feeds.resize(moves.size());
    in.fill(feeds.data(), feeds.size());
    r.feeds = feeds.empty() ? nullptr : feeds.data();
  }
  if (optional & 2) {
    times.resize(moves.size());
    in.fill(times.data(), times.size());
    r.cumulativeTimes = times.empty() ? nullptr : times.data();
  }
  if (optional & 4) r.eventCount = in.take<int32_t>();
  SIM_SetToolpath(gView, &r);
}

void toolTable(Bytes& in) {
  std::vector<SIM_ToolRecord> tools(in.take<uint8_t>() % 3);
  std::vector<std::vector<SIM_ToolPart>> parts(tools.size());
  std::vector<std::vector<std::vector<SIM_ProfilePoint>>> points(tools.size());
  for (size_t t = 0; t < tools.size(); ++t) {
    SIM_ToolRecord& tool = tools[t];
    tool = in.take<SIM_ToolRecord>();
    std::strcpy(tool.name, "T1");
    uint64_t count = 0;
    tool.parts = in.array(parts[t], count, 3);
    tool.partCount = static_cast<uint32_t>(count);
    points[t].resize(parts[t].size());
    for (size_t p = 0; p < parts[t].size(); ++p) {
      SIM_ToolPart& part = parts[t][p];
      part.kind %= 6;
      part.profileKind %= 3;
      part.points = in.array(points[t][p], part.pointCount, 10);
      for (SIM_ProfilePoint& point : points[t][p]) point.segment %= 3;
    }
  }
  SIM_ToolTableRecord table{};
  table.tools = tools.empty() ? nullptr : tools.data();
  table.toolCount = tools.size();
  if (in.take<uint8_t>() % 8 == 0) {  // any count, without its array
    table.tools = nullptr;
    table.toolCount = in.take<uint64_t>();
  }
  SIM_SetToolTable(gView, &table);
}

void stock(Bytes& in) {
  SIM_StockRecord r = in.take<SIM_StockRecord>();
  r.meshGeometry = (r.identifier & 1) ? "g" : nullptr;
  r.meshPath = nullptr;
  r.kind %= 3;
  r.precision %= 3;
  r.refine %= 3;
  // Each run stays small: the finest lattice takes gigabytes.
  if (r.precision == SIM_STOCK_PRECISION_TOLERANCE) {
    if (r.quality < 0.5f) r.quality = 0.5f;
  } else if (r.quality > 0.05f) {
    r.quality = 0.05f;
  }
  r.identifier %= 4;
  SIM_CreateStock(gView, r);
}

void geometries(Bytes& in) {
  std::vector<SIM_GeometryRecord> records(in.take<uint8_t>() % 3);
  std::vector<std::vector<float>> vertices(records.size());
  for (size_t g = 0; g < records.size(); ++g) {
    SIM_GeometryRecord& r = records[g];
    r = in.take<SIM_GeometryRecord>();
    r.modelPath = nullptr;
    std::strcpy(r.name, "g");
    uint64_t count = 0;
    r.vertices = in.array(vertices[g], count, 28);
    r.vertexCount = r.vertices ? count / 3 : count;
  }
  SIM_CreateGeometries(gView, {records.empty() ? nullptr : records.data(), records.size()}, in.take<uint8_t>() & 1);
}

void settings(Bytes& in) {
  const SIM_CameraRecord camera = in.take<SIM_CameraRecord>();
  SIM_SetCamera(gView, &camera);
  SIM_SetProgress(gView, in.take<double>(), in.take<int32_t>() % 5);
  SIM_UpdateSpeed(gView, in.take<double>());
  SIM_PanView(gView, in.take<double>(), in.take<double>());
  SIM_RotateView(gView, in.take<double>(), in.take<double>());
  SIM_SetGeometryPrecision(gView, in.take<double>(), in.take<uint8_t>() & 1);
  const uint32_t range[2] = {in.take<uint32_t>(), in.take<uint32_t>()};
  SIM_CutStock(gView, range);
  const uint32_t slots[2] = {in.take<uint32_t>(), in.take<uint32_t>()};
  SIM_MountMachineSlots(gView, in.take<uint8_t>() % 3, slots, slots);
  SIM_SetUnits(gView, in.take<uint8_t>() & 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SIM_Hint(SIM_HINT_HEADLESS, 1);
  if (SIM_InitOpenGL() != 1) __builtin_trap();
  gView = SIM_CreateView(0, true);
  if (!gView) __builtin_trap();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  while (!in.empty()) {
    switch (in.take<uint8_t>() % 5) {
      case 0: toolpath(in); break;
      case 1: toolTable(in); break;
      case 2: stock(in); break;
      case 3: geometries(in); break;
      default: settings(in); break;
    }
  }
  // The frame that takes it all in, drawn as a small picture.
  std::vector<uint8_t> pixels(16 * 16 * 4);
  SIM_SetUnits(gView, 0);
  if (SIM_RenderImage(gView, 16, 16, pixels.data()) < 0) __builtin_trap();
  return 0;
}
