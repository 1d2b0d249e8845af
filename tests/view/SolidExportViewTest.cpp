// Stock solids exported as STL from a running view: the file is the cut
// stock's closed surface in host units, progress reaches the host, a solid
// exports once at a time, and failures leave no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "korvane/Korvane.h"
#include "formats/StlReader.h"
#include "stock/StockModel.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/LatticeCheck.h"
#include "support/SoupFacts.h"
#include "support/SweepReference.h"
#include "support/ViewJobs.h"
#include "view/Render.h"

namespace {

using namespace std::chrono_literals;

using testsupport::factsOf;
using testsupport::SoupFacts;

class SolidExportOnView : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    HeadlessViewTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("korvane-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    ASSERT_EQ(SIM_SetCallbackWindow(view, host_.window, true), 0);
  }
  void TearDown() override {
    HeadlessViewTest::TearDown();
    std::filesystem::remove_all(folder_);
  }
  // Waits for the last progress event of that many exports.
  bool finished(size_t exports, std::chrono::seconds limit = 5s) {
    return testsupport::waitUntil([&] {
      const std::vector<int64_t> values = host_.valuesOf(SIM_EVENT_EXPORT_PROGRESS);
      return size_t(std::count(values.begin(), values.end(), 100)) >= exports;
    }, limit);
  }
  std::filesystem::path folder_;
  testsupport::EventRecorder host_;
};

}  // namespace

TEST_F(SolidExportOnView, TheCutStockAsAClosedSurfaceInHostUnits) {
  testsupport::SlotJob job;
  testsupport::loadSlotJob(view, job);
  // Exported right after the position is set: the file shows the cut.
  ASSERT_EQ(SIM_SetProgress(view, 1.0, 0), 0);

  // The render thread held up: the first export cannot finish, so a second
  // one of the same solid is refused.
  std::promise<void> gate;
  std::shared_future<void> opened = gate.get_future().share();
  view->commands().post(view::CommandStage::BeforeFrame, [opened] { opened.wait(); });
  const std::string mm = (folder_ / "slot.stl").string();
  EXPECT_EQ(SIM_ExportSolid(view, 1, mm.c_str()), 0);
  EXPECT_EQ(SIM_ExportSolid(view, 1, mm.c_str()), -1) << "busy";
  EXPECT_EQ(SIM_ExportSolid(view, 7, mm.c_str()), -1) << "no such solid";
  EXPECT_EQ(SIM_ExportSolid(nullptr, 1, mm.c_str()), -1);
  gate.set_value();
  ASSERT_TRUE(finished(1));
  EXPECT_EQ(host_.valuesOf(SIM_EVENT_EXPORT_PROGRESS), (std::vector<int64_t>{10, 50, 90, 100}));
  const double latticeVolume =
      onRenderThread([&] { return testsupport::LatticeImage(view->stock().scene()->model(1)->grid()).insideVolume(); });
  ASSERT_LT(latticeVolume, 24000 - 400) << "the slot is cut";

  const formats::StlVertices soup = formats::readStl(mm);
  ASSERT_FALSE(soup.empty());
  EXPECT_EQ(std::filesystem::file_size(mm), 84 + 50 * soup.size() / 3);
  const SoupFacts facts = factsOf(soup);
  EXPECT_TRUE(facts.closed);
  // The surface runs within a cell of the nodes, so the volumes agree to
  // about a cell layer over the box's area.
  EXPECT_NEAR(facts.volume, latticeVolume, 0.01 * latticeVolume);
  EXPECT_NEAR(facts.volume, 24000 - testsupport::SlotJob::slotVolume(), 0.03 * 24000);
  EXPECT_NEAR(facts.max.x, 40.0, 0.5);

  // In inches the same surface is 25.4 times smaller.
  SIM_SetUnits(view, 1);
  const std::string inch = (folder_ / "slot-inch.stl").string();
  ASSERT_EQ(SIM_ExportSolid(view, 1, inch.c_str()), 0);
  ASSERT_TRUE(finished(2));
  const SoupFacts inches = factsOf(formats::readStl(inch));
  EXPECT_NEAR(inches.max.x, facts.max.x / 25.4, 1e-4);
  EXPECT_NEAR(inches.volume, facts.volume / (25.4 * 25.4 * 25.4), 1e-4 * inches.volume);
}

TEST_F(SolidExportOnView, APathThatCannotBeWrittenGetsNoFileButTheLastProgress) {
  testsupport::SlotJob job;
  testsupport::loadSlotJob(view, job);
  const std::string here = (folder_ / "slot.stl").string();
  ASSERT_EQ(SIM_ExportSolid(view, 1, here.c_str()), 0);
  ASSERT_TRUE(finished(1));
  ASSERT_TRUE(std::filesystem::exists(here)) << "the stock is there to export";
  // A folder where the file should go: nothing replaces it, and the host
  // still hears the end.
  const std::filesystem::path folder = folder_ / "taken.stl";
  std::filesystem::create_directory(folder);
  ASSERT_EQ(SIM_ExportSolid(view, 1, folder.c_str()), 0);
  ASSERT_TRUE(finished(2));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1u) << "no partial file is left behind";
  // Closing the view while an export waits for the render thread must end
  // both (a hang here fails the test by its time limit).
  EXPECT_EQ(SIM_ExportSolid(view, 1, here.c_str()), 0);
}

// A view created with the timings hint says where its time went: every
// phase of a job cut at once, exported and pictured ran and counted, and
// the memory figures are ordered. An untimed view says it is not timed.
TEST_F(SolidExportOnView, ATimedViewCountsEveryPhaseOfAJob) {
  SIM_PhaseTimes times{};
  EXPECT_EQ(SIM_GetPhaseTimes(view, &times), 1) << "the fixture's view is not timed";
  EXPECT_EQ(SIM_GetPhaseTimes(nullptr, &times), -1);
  EXPECT_EQ(SIM_GetPhaseTimes(view, nullptr), -1);

  SIM_Hint(SIM_HINT_HEADLESS, 1);
  SIM_Hint(SIM_HINT_TIMINGS, 1);
  Render* timed = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_TIMINGS, 0);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  ASSERT_NE(timed, nullptr);
  ASSERT_EQ(SIM_SetCallbackWindow(timed, host_.window, true), 0);
  testsupport::SlotJob job;
  testsupport::loadSlotJob(timed, job);
  const uint32_t everyMove[2] = {0, static_cast<uint32_t>(job.path.moves.size())};
  ASSERT_EQ(SIM_CutStock(timed, everyMove), 0);
  const std::string stl = (folder_ / "timed.stl").string();
  ASSERT_EQ(SIM_ExportSolid(timed, 1, stl.c_str()), 0);
  ASSERT_TRUE(finished(1));
  std::vector<uint8_t> rgba(64 * 48 * 4);
  ASSERT_EQ(SIM_RenderImage(timed, 64, 48, rgba.data()), 0);

  ASSERT_EQ(SIM_GetPhaseTimes(timed, &times), 0);
  SIM_CloseView(timed);
  EXPECT_GT(times.bareResidentBytes, 0u);
  EXPECT_GE(times.wholePeakResidentBytes, times.bareResidentBytes);
  for (int phase = 0; phase < SIM_PHASE_COUNT; ++phase) {
    EXPECT_GT(times.seconds[phase], 0.0) << "phase " << phase;
    EXPECT_GT(times.peakResidentBytes[phase], 0u) << "phase " << phase;
    EXPECT_LE(times.peakResidentBytes[phase], times.wholePeakResidentBytes) << "phase " << phase;
  }
}

// A refined stock, once the playback rests, is shown and exported as its
// exact mesh: every vertex on the box or on the slot the flat mill swept
// (measured against the exact sweeps, not the shaders), where the lattice's
// own surface strays by up to a cell's fraction.
TEST_F(SolidExportOnView, ARefinedStockExportsItsExactMesh) {
  testsupport::SlotJob job;
  SIM_StockRecord stock = testsupport::boxStock(1, {0, 0, 0}, {40, 30, 20});
  stock.refine = 1;
  ASSERT_EQ(SIM_CreateStock(view, stock), 0);
  const SIM_ToolTableRecord table = job.tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  const SIM_ToolpathRecord path = job.path.record();
  ASSERT_EQ(SIM_SetToolpath(view, &path), 0);
  ASSERT_EQ(SIM_SetProgress(view, 1.0, 0), 0);
  ASSERT_TRUE(testsupport::waitUntil(
      [&] { return onRenderThread([&] { return view->stock().enhanced().shown(1) != nullptr; }); }, 90s))
      << "the exact mesh is made once the playback rests";

  const std::string file = (folder_ / "exact.stl").string();
  ASSERT_EQ(SIM_ExportSolid(view, 1, file.c_str()), 0);
  // The mesh seen above may be of the stock before the position's frame
  // cut it (made while the playback rested at the start): the export then
  // makes the exact mesh of the cut stock itself, which takes as long as
  // the wait above.
  ASSERT_TRUE(finished(1, 90s));
  EXPECT_EQ(host_.valuesOf(SIM_EVENT_EXPORT_PROGRESS), (std::vector<int64_t>{10, 50, 90, 100}));
  const formats::StlVertices soup = formats::readStl(file);
  ASSERT_FALSE(soup.empty());
  EXPECT_TRUE(factsOf(soup).closed) << "the lattice's topology, every vertex moved";
  const testsupport::LinearSweep plunge{{10, 15, 30}, {10, 15, 15}, {0, 0, 1}, testsupport::flatMillSolid(3, 30)};
  const testsupport::LinearSweep slot{{10, 15, 15}, {30, 15, 15}, {0, 0, 1}, testsupport::flatMillSolid(3, 30)};
  size_t onSurface = 0;
  for (const formats::StlVertex& v : soup) {
    const glm::dvec3 p(v.x, v.y, v.z);
    double face = 1e300;
    for (int k = 0; k < 3; ++k) face = std::min({face, std::abs(p[k]), std::abs(p[k] - glm::dvec3(40, 30, 20)[k])});
    const double nearest = std::min({face, std::abs(plunge.distance(p)), std::abs(slot.distance(p))});
    onSurface += nearest < 1e-4;
  }
  // Only vertices with no surface within a cell stay where the lattice put
  // them: none here.
  EXPECT_EQ(onSurface, soup.size());
}
