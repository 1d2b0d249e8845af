#include "api/SimulationContent.h"

#include <map>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>

#include "api/RecordChecks.h"
#include "api/StockRecords.h"
#include "platform/WholeFile.h"
#include "view/Render.h"
#include "view/SavedToggles.h"

namespace api {
namespace {

// Model files larger than this stay out of the file (their records keep
// the path).
constexpr size_t kLargestEmbeddedFile = size_t{1} << 30;

std::string textAt(const char* text) { return text ? std::string(text) : std::string(); }

std::string fixedText(const char* text, size_t capacity) { return std::string(text, strnlen(text, capacity)); }

void addSettings(Render& v, formats::SimulationContent& c) {
  using namespace formats;
  view::JobData& job = v.job();
  setSimValue(c, kSimValueUnit, job.units.unit.load());
  setSimValue(c, kSimValueDecimals, int32_t{job.units.decimals.load()});
  setSimValue(c, kSimValueToolpathMode, job.toolpathMode.load());
  setSimValue(c, kSimValueToolpathDisplay, SIM_GetToolpathDisplay(&v));
  setSimValue(c, kSimValueCuttingPlane, SIM_GetCuttingPlane(&v));
  setSimValue(c, kSimValueStockRemoval, SIM_GetStockRemovalSettings(&v));
  setSimValue(c, kSimValueStockCompare, SIM_GetStockCompare(&v));
  setSimValue(c, kSimValueCompareColours, SIM_GetStockCompareColors(&v));
  setSimValue(c, kSimValueCollisionDetection, SIM_GetCollisionDetectionSettings(&v));
  setSimValue(c, kSimValueCollisionHighlight, SIM_GetCollisionHighlightSettings(&v));
  setSimValue(c, kSimValueStopConditions, SIM_GetStopConditions(&v));
  setSimValue(c, kSimValueDarkTheme, uint8_t{v.viewBytes().darkTheme.load()});
  setSimValue(c, kSimValueSpeed, v.playback().speed());
  setSimValue(c, kSimValueGeometryPrecision, job.geometryPrecision.load());
  const glm::dmat3 axes = job.hostAxes();
  std::array<double, 9> rows{};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) rows[row * 3 + column] = axes[column][row];
  setSimValue(c, kSimValueAxisTransformation, rows);
  const formats::SetupState setup = view::currentSetup(v);
  c.toggles = setup.answers;
  setSimValue(c, kSimValueDisplayBytes, setup.bytes);
  // Where playing stands, or where the host last asked it to go.
  const double pending = v.playback().pendingPosition();
  setSimValue(c, kSimValuePlaybackPosition, pending >= 0.0 ? pending : v.playback().position());
}

void addStocksAndGeometries(Render& v, formats::SimulationContent& c) {
  const double scale = v.job().units.scale.load();
  std::vector<stock::StockDefinition> definitions;
  for (const stock::StockDescription& s : v.job().stocks.stocks()) definitions.push_back(s.definition);
  view::StockAnswer stocks;
  answerStocks(stocks, definitions, scale);
  for (const SIM_StockRecord& record : stocks.records) {
    formats::StockContent s;
    s.record = record;
    s.meshGeometry = textAt(record.meshGeometry);
    s.meshPath = textAt(record.meshPath);
    s.record.meshGeometry = s.record.meshPath = nullptr;
    c.stocks.push_back(std::move(s));
  }
  view::GeometryAnswer geometries;
  answerGeometries(geometries, v.job().stocks.geometries(), scale);
  for (const SIM_GeometryRecord& record : geometries.records) {
    formats::GeometryContent g;
    g.record = record;
    g.modelPath = textAt(record.modelPath);
    if (record.vertices) g.vertices.assign(record.vertices, record.vertices + 3 * record.vertexCount);
    g.record.modelPath = nullptr;
    g.record.vertices = nullptr;
    c.geometries.push_back(std::move(g));
  }
}

// Every model file the records name that can be read, once each.
void addModelFiles(formats::SimulationContent& c) {
  std::set<std::string> paths;
  for (const formats::StockContent& s : c.stocks)
    if (!s.meshPath.empty()) paths.insert(s.meshPath);
  for (const formats::GeometryContent& g : c.geometries)
    if (!g.modelPath.empty()) paths.insert(g.modelPath);
  for (const SIM_HolderRecord& h : c.toolTable.holders)
    if (h.modelPath[0] != 0) paths.insert(fixedText(h.modelPath, sizeof h.modelPath));
  for (const std::string& path : paths)
    if (std::optional<std::vector<uint8_t>> bytes = platform::readWholeFile(path, kLargestEmbeddedFile))
      c.files.push_back({path, std::move(*bytes)});
}

// The unit whose scale a tool table's lengths came in.
uint32_t unitOfScale(double scale) { return scale == 1.0 ? 0 : 1; }
double scaleOfUnit(uint32_t unit) { return unit == 0 ? 1.0 : 25.4; }

void applySettings(Render& v, const formats::SimulationContent& c) {
  using namespace formats;
  view::JobData& job = v.job();
  if (auto d = simValue<int32_t>(c, kSimValueDecimals); d && *d >= -1 && *d <= 15) job.units.decimals = *d;
  if (auto mode = simValue<uint32_t>(c, kSimValueToolpathMode)) SIM_SetToolpathMode(&v, *mode);
  // The stock's colouring also colours the toolpath: the display's own
  // choice comes after it.
  if (auto removal = simValue<SIM_StockRemovalSettings>(c, kSimValueStockRemoval))
    SIM_SetStockRemovalSettings(&v, &*removal);
  if (auto display = simValue<SIM_ToolpathDisplay>(c, kSimValueToolpathDisplay)) SIM_SetToolpathDisplay(&v, &*display);
  if (auto plane = simValue<SIM_CuttingPlane>(c, kSimValueCuttingPlane)) SIM_SetCuttingPlane(&v, &*plane);
  if (auto compare = simValue<SIM_StockCompare>(c, kSimValueStockCompare)) SIM_SetStockCompare(&v, &*compare);
  if (auto colours = simValue<SIM_StockCompareColors>(c, kSimValueCompareColours))
    SIM_SetStockCompareColors(&v, &*colours);
  if (auto detection = simValue<SIM_CollisionDetectionSettings>(c, kSimValueCollisionDetection))
    SIM_SetCollisionDetectionSettings(&v, &*detection);
  if (auto highlight = simValue<SIM_CollisionHighlightSettings>(c, kSimValueCollisionHighlight))
    SIM_SetCollisionHighlightSettings(&v, *highlight);
  if (auto stops = simValue<uint64_t>(c, kSimValueStopConditions)) SIM_SetStopConditions(&v, *stops);
  if (auto dark = simValue<uint8_t>(c, kSimValueDarkTheme)) v.viewBytes().darkTheme = *dark != 0 ? 1 : 0;
  if (auto speed = simValue<double>(c, kSimValueSpeed); speed && std::isfinite(*speed))
    v.playback().setSpeed(*speed);
  if (auto precision = simValue<double>(c, kSimValueGeometryPrecision))
    SIM_SetGeometryPrecision(&v, *precision / job.units.scale.load(), true);
  if (auto axes = simValue<std::array<double, 9>>(c, kSimValueAxisTransformation))
    SIM_SetAxisTransformation(&v, axes->data());
  if (auto bytes = simValue<std::array<uint8_t, 4>>(c, kSimValueDisplayBytes)) view::applySetupBytes(v, *bytes);
  // The choices set what their questions read once the window exists.
  v.commands().post(view::CommandStage::BeforeFrame,
                    [&v, toggles = c.toggles] { view::applySavedAnswers(v, toggles); });
  if (auto position = simValue<double>(c, kSimValuePlaybackPosition); position && std::isfinite(*position))
    SIM_SetProgress(&v, std::clamp(*position, 0.0, 1.0), SIM_PROGRESS_TIME_FRACTION);
}

void applyNcText(Render& v, const formats::SimulationContent& c) {
  SIM_SetNCFile(&v, c.program.text.c_str(), c.program.values.empty() ? nullptr : c.program.values.data(),
                static_cast<uint32_t>(c.program.values.size()));
  std::vector<const char*> texts;
  std::vector<const uint32_t*> values;
  std::vector<uint32_t> lengths;
  for (const formats::NcText& sub : c.subprograms) {
    texts.push_back(sub.text.c_str());
    values.push_back(sub.values.empty() ? nullptr : sub.values.data());
    lengths.push_back(static_cast<uint32_t>(sub.values.size()));
  }
  SIM_SetSubProgramFiles(&v, texts.data(), values.data(), lengths.data(), static_cast<uint32_t>(texts.size()));
}

}  // namespace

formats::SimulationContent simulationContentOf(Render& v) {
  formats::SimulationContent c;
  view::JobData& job = v.job();
  c.hostUnit = job.units.unit.load();
  if (const std::shared_ptr<const toolpath::Toolpath> path = job.toolpath.current()) c.toolpath = path->hostRecord();
  {
    std::shared_lock tools(job.toolTableLock);
    if (const tools::HostTableCopy* copy = job.toolTable().hostCopy())
      c.toolTable = formats::toolTableContentOf(copy->record(), job.toolTable().hostUnitScale());
  }
  addStocksAndGeometries(v, c);
  addModelFiles(c);
  addSettings(v, c);
  c.program = {v.ncCode().text(UI::NcCodeModel::kMainProgram), v.ncCode().values(UI::NcCodeModel::kMainProgram)};
  for (size_t k = 0; k < v.ncCode().subprogramCount(); ++k) {
    const auto id = static_cast<int32_t>(k);
    c.subprograms.push_back({v.ncCode().text(id), v.ncCode().values(id)});
  }
  c.bindings = v.mouseBindings().bound();
  return c;
}

int32_t checkSimulationContent(const formats::SimulationContent& c) {
  const formats::ToolpathRecordView toolpath = c.toolpath.view();
  if (int32_t refused = checkToolpath(toolpath.record)) return refused;
  const formats::ToolTableView table = formats::toolTableView(c.toolTable);
  if (int32_t refused = checkToolTable(table.record, c.toolTable.unitScale)) return refused;
  const double scale = scaleOfUnit(c.hostUnit);
  for (const formats::StockContent& s : c.stocks) {
    SIM_StockRecord record = s.record;
    record.meshGeometry = s.meshGeometry.empty() ? nullptr : s.meshGeometry.c_str();
    record.meshPath = s.meshPath.empty() ? nullptr : s.meshPath.c_str();
    if (int32_t refused = checkStock(record, scale)) return refused;
  }
  for (const formats::GeometryContent& g : c.geometries) {
    SIM_GeometryRecord record = g.record;
    record.vertices = g.vertices.empty() ? nullptr : g.vertices.data();
    record.vertexCount = g.vertices.size() / 3;
    if (int32_t refused = checkGeometry(record, scale)) return refused;
  }
  return 0;
}

int32_t applySimulationContent(Render& v, const formats::SimulationContent& c) {
  // The model files first: without them the records name nothing.
  std::optional<platform::ExtractedFiles> files;
  std::map<std::string, std::string> moved;
  if (!c.files.empty()) {
    files = platform::ExtractedFiles::create();
    if (!files) return SIM_LOAD_NO_FOLDER;
    for (const formats::EmbeddedFile& f : c.files) {
      const std::optional<std::filesystem::path> written = files->add(f.path, f.bytes);
      if (!written) return SIM_LOAD_NO_FOLDER;
      moved[f.path] = written->string();
    }
  }
  const auto pathFor = [&](const std::string& path) {
    const auto found = moved.find(path);
    return found == moved.end() ? path : found->second;
  };

  // The tool table in the unit its lengths came in, then the job's unit.
  formats::ToolTableContent toolTable = c.toolTable;
  for (SIM_HolderRecord& h : toolTable.holders) {
    const std::string path = pathFor(fixedText(h.modelPath, sizeof h.modelPath));
    if (path.size() < sizeof h.modelPath) std::snprintf(h.modelPath, sizeof h.modelPath, "%s", path.c_str());
  }
  SIM_SetUnits(&v, unitOfScale(c.toolTable.unitScale));
  const formats::ToolTableView table = formats::toolTableView(toolTable);
  SIM_SetToolTable(&v, c.toolTable.empty() ? nullptr : &table.record);
  SIM_SetUnits(&v, c.hostUnit);

  std::vector<std::string> geometryPaths;
  std::vector<SIM_GeometryRecord> geometries;
  for (const formats::GeometryContent& g : c.geometries) geometryPaths.push_back(pathFor(g.modelPath));
  for (size_t i = 0; i < c.geometries.size(); ++i) {
    SIM_GeometryRecord record = c.geometries[i].record;
    record.modelPath = geometryPaths[i].empty() ? nullptr : geometryPaths[i].c_str();
    record.vertices = c.geometries[i].vertices.empty() ? nullptr : c.geometries[i].vertices.data();
    record.vertexCount = c.geometries[i].vertices.size() / 3;
    geometries.push_back(record);
  }
  SIM_CreateGeometries(&v, {geometries.empty() ? nullptr : geometries.data(), geometries.size()}, true);

  for (const stock::StockDescription& s : v.job().stocks.stocks()) SIM_RemoveStock(&v, s.definition.identifier);
  for (const formats::StockContent& s : c.stocks) {
    SIM_StockRecord record = s.record;
    const std::string meshPath = pathFor(s.meshPath);
    record.meshGeometry = s.meshGeometry.empty() ? nullptr : s.meshGeometry.c_str();
    record.meshPath = meshPath.empty() ? nullptr : meshPath.c_str();
    SIM_CreateStock(&v, record);
  }

  const formats::ToolpathRecordView toolpath = c.toolpath.view();
  SIM_SetToolpath(&v, &toolpath.record);
  applyNcText(v, c);
  SIM_ReleaseKeyBindings(&v);
  for (const SIM_KeyBinding& b : c.bindings) SIM_AddKeyBinding(&v, b);
  applySettings(v, c);

  std::lock_guard lock(v.job().loadedFilesMutex);
  v.job().loadedFiles = std::move(files);
  return 0;
}

}  // namespace api
