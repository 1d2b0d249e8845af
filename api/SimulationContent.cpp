#include "api/SimulationContent.h"

#include <map>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>

#include "api/RecordChecks.h"
#include "api/SettingChecks.h"
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

// The range a view answers before any compare was set.
bool comparesNothing(const SIM_StockCompare& compare) {
  const view::CompareSetting::Values none;
  return compare.flags == none.flags && compare.lower == none.lower && compare.upper == none.upper;
}

// The refusal a setting's check gives the value the file holds for it; 0
// when the file holds none.
template <typename Value>
int32_t refusalOf(const formats::SimulationContent& c, uint32_t key, int32_t (*check)(const Value&)) {
  const std::optional<Value> v = simValue<Value>(c, key);
  return v ? check(*v) : 0;
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
  if (auto compare = simValue<SIM_StockCompare>(c, kSimValueStockCompare)) {
    // A view without a compare answers a range no setter takes.
    if (comparesNothing(*compare))
      job.stockCompare.set(view::CompareSetting::Values{});
    else
      SIM_SetStockCompare(&v, &*compare);
  }
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
  using namespace formats;
  const formats::ToolpathRecordView toolpath = c.toolpath.view();
  if (int32_t refused = checkToolpath(toolpath.record)) return refused;
  const formats::ToolTableView table = formats::toolTableView(c.toolTable);
  if (int32_t refused = checkToolTable(table.record, scaleOfUnit(unitOfScale(c.toolTable.unitScale)))) return refused;
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
  // The settings as their setters check them.
  if (auto mode = simValue<uint32_t>(c, kSimValueToolpathMode); mode && !view::isToolpathMode(*mode))
    return SIM_STATUS_OUT_OF_RANGE;
  if (auto d = simValue<int32_t>(c, kSimValueDecimals); d && (*d < -1 || *d > 15)) return SIM_STATUS_OUT_OF_RANGE;
  const std::optional<SIM_StockCompare> compare = simValue<SIM_StockCompare>(c, kSimValueStockCompare);
  const std::optional<std::array<double, 9>> axes = simValue<std::array<double, 9>>(c, kSimValueAxisTransformation);
  const std::optional<double> precision = simValue<double>(c, kSimValueGeometryPrecision);
  for (const int32_t refused :
       {refusalOf(c, kSimValueToolpathDisplay, checkToolpathDisplay),
        refusalOf(c, kSimValueCuttingPlane, checkCuttingPlane), refusalOf(c, kSimValueStockRemoval, checkStockRemoval),
        compare && !comparesNothing(*compare) ? checkStockCompare(*compare) : 0,
        refusalOf(c, kSimValueCompareColours, checkCompareColours),
        refusalOf(c, kSimValueCollisionDetection, checkCollisionDetection),
        axes ? checkAxisTransformation(axes->data()) : 0, precision ? checkGeometryPrecision(*precision) : 0})
    if (refused != 0) return refused;
  for (const uint32_t key : {kSimValueSpeed, kSimValuePlaybackPosition})
    if (auto v = simValue<double>(c, key); v && !(*v >= 0.0 && *v <= 1.0)) return SIM_STATUS_OUT_OF_RANGE;
  return 0;
}

namespace {

// Every record a load hands to the setters, built (and every allocation
// made) before the first of them changes the view.
struct PreparedLoad {
  std::optional<platform::ExtractedFiles> files;
  std::map<std::string, std::string> moved;  // path in the records -> the copy written out
  formats::ToolTableContent toolTable;
  formats::ToolTableView toolTableView;
  std::vector<std::string> geometryPaths, stockPaths;
  std::vector<SIM_GeometryRecord> geometries;
  std::vector<SIM_StockRecord> stocks;
  formats::ToolpathRecordView toolpath;
  std::vector<const char*> subprogramTexts;
  std::vector<const uint32_t*> subprogramValues;
  std::vector<uint32_t> subprogramLengths;

  std::string pathFor(const std::string& path) const {
    const auto found = moved.find(path);
    return found == moved.end() ? path : found->second;
  }
};

// False when the model files could not be written out.
bool prepare(const formats::SimulationContent& c, PreparedLoad& p) {
  if (!c.files.empty()) {
    p.files = platform::ExtractedFiles::create();
    if (!p.files) return false;
    for (const formats::EmbeddedFile& f : c.files) {
      const std::optional<std::filesystem::path> written = p.files->add(f.path, f.bytes);
      if (!written) return false;
      p.moved[f.path] = written->string();
    }
  }
  p.toolTable = c.toolTable;
  for (SIM_HolderRecord& h : p.toolTable.holders) {
    const std::string path = p.pathFor(fixedText(h.modelPath, sizeof h.modelPath));
    if (path.size() < sizeof h.modelPath) std::snprintf(h.modelPath, sizeof h.modelPath, "%s", path.c_str());
  }
  p.toolTableView = formats::toolTableView(p.toolTable);
  for (const formats::GeometryContent& g : c.geometries) p.geometryPaths.push_back(p.pathFor(g.modelPath));
  for (size_t i = 0; i < c.geometries.size(); ++i) {
    SIM_GeometryRecord record = c.geometries[i].record;
    record.modelPath = p.geometryPaths[i].empty() ? nullptr : p.geometryPaths[i].c_str();
    record.vertices = c.geometries[i].vertices.empty() ? nullptr : c.geometries[i].vertices.data();
    record.vertexCount = c.geometries[i].vertices.size() / 3;
    p.geometries.push_back(record);
  }
  for (const formats::StockContent& s : c.stocks) p.stockPaths.push_back(p.pathFor(s.meshPath));
  for (size_t i = 0; i < c.stocks.size(); ++i) {
    SIM_StockRecord record = c.stocks[i].record;
    record.meshGeometry = c.stocks[i].meshGeometry.empty() ? nullptr : c.stocks[i].meshGeometry.c_str();
    record.meshPath = p.stockPaths[i].empty() ? nullptr : p.stockPaths[i].c_str();
    p.stocks.push_back(record);
  }
  p.toolpath = c.toolpath.view();
  for (const formats::NcText& sub : c.subprograms) {
    p.subprogramTexts.push_back(sub.text.c_str());
    p.subprogramValues.push_back(sub.values.empty() ? nullptr : sub.values.data());
    p.subprogramLengths.push_back(static_cast<uint32_t>(sub.values.size()));
  }
  return true;
}

}  // namespace

int32_t applySimulationContent(Render& v, const formats::SimulationContent& c) {
  PreparedLoad p;
  if (!prepare(c, p)) return SIM_LOAD_NO_FOLDER;
  std::vector<uint32_t> oldStocks;
  for (const stock::StockDescription& s : v.job().stocks.stocks()) oldStocks.push_back(s.definition.identifier);

  // The tool table in the unit its lengths came in, then the job's unit.
  SIM_SetUnits(&v, unitOfScale(c.toolTable.unitScale));
  SIM_SetToolTable(&v, c.toolTable.empty() ? nullptr : &p.toolTableView.record);
  SIM_SetUnits(&v, c.hostUnit);
  SIM_CreateGeometries(&v, {p.geometries.empty() ? nullptr : p.geometries.data(), p.geometries.size()}, true);
  for (const uint32_t id : oldStocks) SIM_RemoveStock(&v, id);
  for (const SIM_StockRecord& record : p.stocks) SIM_CreateStock(&v, record);
  SIM_SetToolpath(&v, &p.toolpath.record);
  SIM_SetNCFile(&v, c.program.text.c_str(), c.program.values.empty() ? nullptr : c.program.values.data(),
                static_cast<uint32_t>(c.program.values.size()));
  SIM_SetSubProgramFiles(&v, p.subprogramTexts.data(), p.subprogramValues.data(), p.subprogramLengths.data(),
                         static_cast<uint32_t>(p.subprogramTexts.size()));
  SIM_ReleaseKeyBindings(&v);
  for (const SIM_KeyBinding& b : c.bindings) SIM_AddKeyBinding(&v, b);
  applySettings(v, c);

  std::lock_guard lock(v.job().loadedFilesMutex);
  v.job().loadedFiles = std::move(p.files);
  return 0;
}

}  // namespace api
