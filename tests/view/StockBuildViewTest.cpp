// Stocks a host defines are built by the view's render thread at its next
// frame, rebuilt when redefined and dropped when removed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include <glm/gtc/matrix_transform.hpp>

#include "korvane/Korvane.h"
#include "stock/StockModel.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/LatticeCheck.h"
#include "support/MeshRaster.h"
#include "camera/DisplayFrame.h"
#include "support/TestMeshes.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "support/ViewJobs.h"
#include "view/Render.h"

namespace {

using testsupport::boxStock;
using testsupport::loadSlotJob;
using testsupport::SlotJob;

class StockOnView : public testsupport::HeadlessViewTest {
 protected:
  struct Built {
    bool exists = false, built = false;
    uint64_t builds = 0, insideNodes = 0;
    double cellSize = 0;
  };
  // The stock's model once its latest description is built.
  Built waitForStock(uint32_t identifier, uint64_t revisionAtLeast = 1) {
    for (int attempt = 0; attempt < 300; ++attempt) {
      Built b = onRenderThread([&] {
        Built now;
        stock::StockScene* scene = view->stock().scene();
        stock::StockModel* model = scene ? scene->model(identifier) : nullptr;
        if (!model || model->revision() < revisionAtLeast) return now;
        now.exists = true;
        now.built = model->built();
        now.builds = model->buildCount();
        if (now.built) {
          view->stock().playedSurface(*model);  // as a frame that shows it leaves it
          testsupport::LatticeImage image(model->grid());
          now.insideNodes = image.insideCount();
          now.cellSize = image.frame.exactCellSize;
        }
        return now;
      });
      if (b.exists) return b;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }
};

double volumeOf(const auto& built) { return built.insideNodes * std::pow(built.cellSize, 3); }

}  // namespace

TEST_F(StockOnView, DefinedUpdatedAndRemovedStocks) {
  ASSERT_EQ(SIM_CreateStock(view, boxStock(3, 20)), 0);
  Built box = waitForStock(3);
  ASSERT_TRUE(box.built);
  EXPECT_NEAR(volumeOf(box), 8000, 8000 * 0.05);

  // Inches: the same numbers make a stock 25.4 times larger per axis.
  SIM_SetUnits(view, 1);
  SIM_StockRecord cylinder = boxStock(3, 0);
  cylinder.kind = SIM_STOCK_CYLINDER;
  cylinder.cylinderAxis = 0;
  cylinder.cylinderLength = 2;
  cylinder.outerDiameter = 1;
  cylinder.boreDiameter = 0.5;
  ASSERT_EQ(SIM_UpdateStock(view, cylinder), 0);
  Built tube = waitForStock(3, 2);
  ASSERT_TRUE(tube.built);
  EXPECT_EQ(tube.builds, box.builds + 1);
  const double tubeVolume = M_PI * (12.7 * 12.7 - 6.35 * 6.35) * 50.8;
  EXPECT_NEAR(volumeOf(tube), tubeVolume, tubeVolume * 0.08);
  SIM_SetUnits(view, 0);

  // A stock that encloses nothing is refused; a real one takes its place.
  ASSERT_EQ(SIM_CreateStock(view, boxStock(4, 0)), SIM_STATUS_BAD_STOCK);
  EXPECT_EQ(SIM_GetCurrentStockModel(view), 3);
  ASSERT_EQ(SIM_CreateStock(view, boxStock(4, 10)), 0);
  EXPECT_TRUE(waitForStock(4, 3).built);

  ASSERT_EQ(SIM_RemoveStock(view, 3), 0);
  for (int attempt = 0; attempt < 300; ++attempt) {
    if (!onRenderThread([&] { return view->stock().scene()->model(3) != nullptr; })) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(onRenderThread([&] { return view->stock().scene()->model(3) != nullptr; }));
  EXPECT_TRUE(onRenderThread([&] { return view->stock().scene()->model(4) != nullptr; }));
}

TEST_F(StockOnView, MeshStockFromANamedGeometry) {
  const testsupport::Soup soup = testsupport::sphereMesh(glm::dvec3(0), 8, 2);
  SIM_GeometryRecord part = SIM_GetGeometry(nullptr, "");
  std::strncpy(part.name, "blank", sizeof part.name - 1);
  part.vertices = soup.data();
  part.vertexCount = soup.size() / 3;
  part.origin[2] = 100;  // the geometry's own placement carries over
  ASSERT_EQ(SIM_CreateGeometries(view, {&part, 1}, true), 0);

  SIM_StockRecord record = boxStock(9, 0);
  record.kind = SIM_STOCK_MESH;
  record.meshGeometry = "blank";
  ASSERT_EQ(SIM_CreateStock(view, record), 0);
  Built sphere = waitForStock(9);
  ASSERT_TRUE(sphere.built);
  const double volume = 4.0 / 3 * M_PI * 512;
  EXPECT_NEAR(volumeOf(sphere), volume, volume * 0.1);
  const double z = onRenderThread([&] { return view->stock().scene()->model(9)->grid().frame().toWorld(glm::dvec3(0)).z; });
  EXPECT_NEAR(z, 100 - 8, 2.0) << "the lattice sits where the geometry was placed";

  record.identifier = 10;
  record.meshGeometry = "no such geometry";
  ASSERT_EQ(SIM_CreateStock(view, record), 0);
  EXPECT_FALSE(waitForStock(10).built);
}


TEST_F(StockOnView, PlaybackPositionCutsAndScrubbingBackRestores) {
  SlotJob job;
  loadSlotJob(view, job);
  const double full = volumeOf(waitForStock(1));
  ASSERT_NEAR(full, 24000, 24000 * 0.03);

  auto volumeWhen = [&](auto done) {
    double v = 0;
    for (int attempt = 0; attempt < 300; ++attempt) {
      v = volumeOf(waitForStock(1));
      if (done(v)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return v;
  };
  ASSERT_EQ(SIM_SetProgress(view, 1.0, 0), 0);
  const double cut = volumeWhen([&](double v) { return v < full - 100; });
  EXPECT_NEAR(full - cut, SlotJob::slotVolume(), SlotJob::slotVolume() * 0.12);

  // Back within the slot: less is cut than at its end.
  ASSERT_EQ(SIM_SetProgress(view, 0.8, 0), 0);
  const double partway = volumeWhen([&](double v) { return v > cut + 50; });
  EXPECT_GT(partway, cut + 50);
  EXPECT_LT(partway, full - 100);

  ASSERT_EQ(SIM_SetProgress(view, 0.0, 0), 0);
  EXPECT_NEAR(volumeWhen([&](double v) { return v > full - 1; }), full, 1.0) << "back to the start: the stock is whole";

  const uint32_t range[2] = {0, 3};
  ASSERT_EQ(SIM_CutStock(view, range), 0);
  const double batch = volumeWhen([&](double v) { return v < full - 100; });
  EXPECT_NEAR(full - batch, SlotJob::slotVolume(), SlotJob::slotVolume() * 0.12);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_NEAR(volumeOf(waitForStock(1)), batch, 1.0) << "the batch stays while the position rests";
  // Moving the position shows the stock as played to there.
  ASSERT_EQ(SIM_SetProgress(view, 0.8, 0), 0);
  EXPECT_NEAR(volumeWhen([&](double v) { return v > batch + 50; }), partway, 1.0);
  EXPECT_EQ(SIM_CutStock(nullptr, range), -1);
  EXPECT_EQ(SIM_CutStock(view, nullptr), -1);
}

// A toolpath handed over and cut at once, before a frame has played it: the
// stock starts over, so nothing of what the previous toolpath cut stays.
TEST_F(StockOnView, ANewToolpathCutAtOnceKeepsNothingOfTheOld) {
  SlotJob job;
  loadSlotJob(view, job);
  const double full = volumeOf(waitForStock(1));
  ASSERT_EQ(SIM_SetProgress(view, 1.0, 0), 0);
  for (int attempt = 0; attempt < 300 && volumeOf(waitForStock(1)) > full - 100; ++attempt)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

  // The same slot 8 mm further along y.
  testing_support::ToolpathBuilder other = job.path;
  for (SIM_ToolpathMove& move : other.moves) move.end[1] += 8;
  const SIM_ToolpathRecord record = other.record();
  const uint32_t range[2] = {0, 3};
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  ASSERT_EQ(SIM_CutStock(view, range), 0);
  const double once = volumeOf(waitForStock(1));
  EXPECT_NEAR(full - once, SlotJob::slotVolume(), SlotJob::slotVolume() * 0.12) << "one slot, not two";
}

TEST_F(StockOnView, RendersTheCutStockAsItsMeshLooks) {
  SlotJob job;
  loadSlotJob(view, job);
  const double full = volumeOf(waitForStock(1));
  const uint32_t range[2] = {0, 3};
  ASSERT_EQ(SIM_CutStock(view, range), 0);
  for (int attempt = 0; attempt < 300 && volumeOf(waitForStock(1)) > full - 100; ++attempt)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  settleView(SIM_VIEW_ISOMETRIC);
  constexpr int kWidth = 320, kHeight = 180;
  stock::SurfaceMesh mesh;
  const Picture picture = onRenderThread([&] {
    stock::StockModel* model = view->stock().scene()->model(1);
    mesh = model->surface().weldedMesh(model->grid().frame());
    return pictureOf(kWidth, kHeight);
  });
  ASSERT_EQ(picture.pixels.size(), size_t(kWidth) * kHeight * 4);
  const std::vector<bool> expected =
      testsupport::coveredPixels(mesh, picture.projView, camera::defaultAxisTransformation(), kWidth, kHeight);
  size_t covered = 0;
  EXPECT_GT(testsupport::silhouetteAgreement(picture.pixels, expected, covered), 0.99);
  EXPECT_GT(covered, expected.size() / 10);

  // A hidden stock is not drawn, and keeps its lattice with the cut in it.
  const Built shown = waitForStock(1);
  SIM_StockRecord hidden = SIM_GetStock(view, 1);
  hidden.visible = 0;
  ASSERT_EQ(SIM_UpdateStock(view, hidden), 0);
  const Built kept = waitForStock(1, 2);
  EXPECT_EQ(kept.builds, shown.builds);
  EXPECT_EQ(kept.insideNodes, shown.insideNodes);
  // The same record once more asks for the uncut stock again.
  ASSERT_EQ(SIM_UpdateStock(view, hidden), 0);
  EXPECT_EQ(waitForStock(1, 3).builds, kept.builds + 1);
  SIM_ToolpathDisplay nothingElse = SIM_GetToolpathDisplay(view);
  nothingElse.showRapid = nothingElse.showCutting = nothingElse.showTool = nothingElse.showHolder = 0;
  ASSERT_EQ(SIM_SetToolpathDisplay(view, &nothingElse), 0);
  const std::vector<uint8_t> none = onRenderThread([&] { return view->renderImage(kWidth, kHeight); });
  size_t drawn = 0;
  for (size_t i = 0; i < none.size(); i += 4) drawn += none[i + 3] != 0;
  EXPECT_EQ(drawn, 0u);
}


TEST_F(StockOnView, CellsCoarserThanTheSmallestToolAreReportedOnce) {
  testsupport::EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  SlotJob job;  // a 6 mm end mill in a 40 x 30 x 20 block
  loadSlotJob(view, job);
  const double cell = waitForStock(1).cellSize;
  ASSERT_GT(cell, 0.0);
  for (int i = 0; i < 5; ++i) onRenderThread([] { return 0; });
  EXPECT_DOUBLE_EQ(SIM_GetStockCellSize(view, 1), cell);
  ASSERT_LT(cell, 0.25 * 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(host.valuesOf(SIM_EVENT_STOCK_TOO_COARSE).empty()) << "cells of " << cell << " mm resolve a 3 mm radius";

  // The same toolpath with an engraver whose radius is below four cells.
  testsupport::ToolTableBuilder fine;
  fine.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(float(cell), 30)}});
  const SIM_ToolTableRecord table = fine.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  ASSERT_EQ(host.countOf(SIM_EVENT_STOCK_TOO_COARSE), 1u);
  for (int i = 0; i < 5; ++i) onRenderThread([] { return 0; });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(host.valuesOf(SIM_EVENT_STOCK_TOO_COARSE), std::vector<int64_t>{1}) << "once for that stock and tools";

  EXPECT_EQ(SIM_GetStockCellSize(view, 2), 0.0);
  EXPECT_EQ(SIM_GetStockCellSize(nullptr, 1), 0.0);
}

// The placement tool's values committed: the stock is built again where they
// put it and cut to the played position there; the placement it had is kept.
TEST_F(StockOnView, CommittedPlacementMovesTheStock) {
  SlotJob job;
  loadSlotJob(view, job);
  ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
  const double full = 40.0 * 30 * 20;
  Built before = waitForStock(1);
  for (int attempt = 0; attempt < 300 && volumeOf(before) > full - 100; ++attempt) before = waitForStock(1);
  EXPECT_NEAR(full - volumeOf(before), SlotJob::slotVolume(), SlotJob::slotVolume() * 0.12);
  auto corner = [&] {
    return onRenderThread([&] { return view->stock().scene()->model(1)->grid().frame().toWorld(glm::dvec3(0)); });
  };
  const glm::dvec3 cornerBefore = corner();

  // Raised by 2 mm, the slot at the same height is 7 mm deep.
  view->stockPlacement().setPending(glm::translate(glm::dmat4(1.0), glm::dvec3(0, 0, 2)));
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_COMMIT_STOCK, 0), 0);
  const uint64_t revision = view->job().stocks.stock(1)->revision;
  Built moved = waitForStock(1, revision);
  for (int attempt = 0; attempt < 300 && volumeOf(moved) > full - 100; ++attempt) moved = waitForStock(1, revision);
  EXPECT_EQ(moved.builds, before.builds + 1);
  EXPECT_NEAR(full - volumeOf(moved), SlotJob::slotVolume() * 7 / 5, SlotJob::slotVolume() * 0.12);
  const glm::dvec3 shift = corner() - cornerBefore;
  EXPECT_NEAR(glm::distance(shift, glm::dvec3(0, 0, 2)), 0.0, 1e-9);
  ASSERT_TRUE(view->stockPlacement().previous().has_value());
  EXPECT_EQ(*view->stockPlacement().previous(), glm::dmat4(1.0));

  // The same values again change nothing; the tool switched on is loaded
  // with the placement the stock has now.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_COMMIT_STOCK, 0), 0);
  EXPECT_EQ(view->job().stocks.stock(1)->revision, revision);
  EXPECT_EQ(*view->stockPlacement().previous(), glm::dmat4(1.0)) << "what to go back to survives";
  view->stockPlacement().setPending(glm::dmat4(1.0));
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_START_PLACEMENT, 0), 0);
  EXPECT_EQ(view->stockPlacement().pending()[3].z, 2.0);
}
