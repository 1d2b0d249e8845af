// The simulation file on running views: a view loaded from a file holds
// what the exporting view held (its export is the same bytes), and a file
// that cannot be read leaves a view as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "formats/SimDocument.h"
#include "formats/SimulationFile.h"
#include "platform/WholeFile.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"
#include "platform/Dialogs.h"
#include "view/RemoteControl.h"

namespace {

using testing_support::ToolpathBuilder;
using namespace std::chrono_literals;

// The slot job with events, subprogram lines and feeds of its own.
struct RichJob : testsupport::SlotJob {
  const uint32_t localLines[2] = {4, 5};
  SIM_SubprogramLines subprogram{0, 2, 4, 0, localLines};
  RichJob() {
    path.feeds = {800, 900, 1000};
    SIM_MoveEvent stop{};
    stop.move = 2;
    stop.categories = SIM_EVENT_CATEGORY_OPTIONAL_STOP;
    stop.name = "M1";
    path.events.push_back(stop);
  }
  SIM_ToolpathRecord record() const {
    SIM_ToolpathRecord r = path.record();
    r.subprogramCount = 1;
    r.subprograms = &subprogram;
    return r;
  }
};

class SimulationFileOnView : public testsupport::HeadlessViewTest {
 protected:
  std::filesystem::path folder;
  void SetUp() override {
    HeadlessViewTest::SetUp();
    char pattern[] = "/tmp/korvane-simfile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::filesystem::remove_all(folder);
    HeadlessViewTest::TearDown();
  }
  std::vector<uint8_t> exported(Render* from, const char* name) {
    const std::string path = (folder / name).string();
    EXPECT_EQ(SIM_ExportSimulation(from, path.c_str()), 0);
    return platform::readWholeFile(path, size_t{1} << 30).value_or(std::vector<uint8_t>{});
  }
};

TEST_F(SimulationFileOnView, AViewLoadedFromItsFileHoldsWhatTheExportingViewHeld) {
  RichJob job;
  ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, {0, 0, 0}, {40, 30, 20})), 0);
  const SIM_ToolTableRecord table = job.tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  const SIM_ToolpathRecord record = job.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  // An STL model, so that a file travels inside.
  const std::filesystem::path stl = folder / "fixture.stl";
  {
    std::vector<uint8_t> bytes(84 + 50, 0);
    bytes[80] = 1;
    const float triangle[12] = {0, 0, 1, 0, 0, 0, 10, 0, 0, 0, 10, 0};
    std::memcpy(bytes.data() + 84, triangle, sizeof triangle);
    std::ofstream(stl, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  SIM_GeometryRecord fixture = testsupport::namedGeometry("fixture", SIM_GEOMETRY_FIXTURE);
  const std::string stlPath = stl.string();
  fixture.modelPath = stlPath.c_str();
  ASSERT_EQ(SIM_CreateGeometries(view, {&fixture, 1}, true), 0);
  ASSERT_EQ(SIM_SetStopConditions(view, uint64_t{1} << 56), 0);
  SIM_CuttingPlane plane = SIM_GetCuttingPlane(view);
  plane.plane = SIM_CUTTING_PLANE_Y_PLUS;
  ASSERT_EQ(SIM_SetCuttingPlane(view, &plane), 0);
  const uint32_t values[2] = {11, 12};
  ASSERT_EQ(SIM_SetNCFile(view, "G0 X10\r\nG1 Z15\n", values, 2), 0);
  SIM_KeyBinding binding{};
  binding.input = 3;
  binding.state = 1;
  binding.modifiers[0] = 1;
  binding.action = 2;
  ASSERT_EQ(SIM_AddKeyBinding(view, binding), 0);
  ASSERT_EQ(SIM_SetProgress(view, 0.5, SIM_PROGRESS_TIME_FRACTION), 0);

  const std::vector<uint8_t> first = exported(view, "first.TarvoSimData");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(exported(view, "again.TarvoSimData"), first);

  SIM_Hint(SIM_HINT_HEADLESS, 1);
  Render* loaded = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  ASSERT_NE(loaded, nullptr);
  const std::string firstPath = (folder / "first.TarvoSimData").string();
  EXPECT_EQ(SIM_LoadSimulation(loaded, firstPath.c_str()), 0);

  // The toolpath as the host gave it, bit for bit, the tool change's move
  // type included.
  const formats::ToolpathRecordCopy copy = loaded->job().toolpath.current()->hostRecord();
  ASSERT_EQ(copy.moves.size(), job.path.moves.size());
  EXPECT_EQ(std::memcmp(copy.moves.data(), job.path.moves.data(), copy.moves.size() * sizeof(SIM_ToolpathMove)), 0);
  EXPECT_EQ(copy.feeds, job.path.feeds);
  EXPECT_TRUE(copy.lineNumbers.empty() == job.path.lines.empty());
  ASSERT_EQ(copy.eventNames.size(), 1u);
  EXPECT_EQ(copy.eventNames[0], "M1");
  EXPECT_EQ(copy.subprogramLines, (std::vector<std::vector<uint32_t>>{{4, 5}}));
  EXPECT_EQ(SIM_GetToolTable(loaded).toolCount, 1u);
  EXPECT_EQ(SIM_GetStopConditions(loaded), uint64_t{1} << 56);
  EXPECT_EQ(SIM_GetCuttingPlane(loaded).plane, uint32_t{SIM_CUTTING_PLANE_Y_PLUS});
  EXPECT_EQ(loaded->ncCode().lineText(UI::NcCodeModel::kMainProgram, 2), "G1 Z15");
  EXPECT_TRUE(loaded->mouseBindings().isBound(2));
  EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_GetProgress(loaded) == 0.5; }, 5s));
  // The model file came along into a folder of the view's own.
  const SIM_GeometryRecord model = SIM_GetGeometry(loaded, "fixture");
  ASSERT_NE(model.modelPath, nullptr);
  const std::filesystem::path extracted = model.modelPath;
  EXPECT_NE(extracted, stl);
  EXPECT_EQ(platform::readWholeFile(extracted), platform::readWholeFile(stl));
  EXPECT_TRUE(std::filesystem::exists(extracted.parent_path() / ".idxlist"));

  // Everything else the file holds: the loaded view writes it again as it
  // was read, but for where the model file lies now.
  const std::vector<uint8_t> again = exported(loaded, "loaded.TarvoSimData");
  std::optional<formats::SimulationContent> a = formats::decodeSimulation(first).content;
  std::optional<formats::SimulationContent> b = formats::decodeSimulation(again).content;
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b->files.at(0).path, extracted.string());
  b->files[0].path = a->files[0].path;
  b->geometries[0].modelPath = a->geometries[0].modelPath;
  EXPECT_EQ(formats::encodeSimulation(*a), formats::encodeSimulation(*b));

  SIM_CloseView(loaded);
  EXPECT_FALSE(std::filesystem::exists(extracted.parent_path()));
}

TEST_F(SimulationFileOnView, AFileThatCannotBeReadLeavesTheViewAsItWas) {
  testsupport::SlotJob job;
  testsupport::loadJob(view, job);
  const std::vector<uint8_t> before = exported(view, "before.TarvoSimData");
  std::vector<uint8_t> damaged = before;
  damaged[damaged.size() / 2] ^= 1;
  const auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = (folder / name).string();
    platform::replaceWholeFile(path, bytes);
    return path;
  };
  // Whole files the view must refuse: a setting no setter takes, a move
  // that is not finite, a malformed section, another format.
  formats::SimulationContent content = *formats::decodeSimulation(before).content;
  formats::SimulationContent badSetting = content;
  SIM_CuttingPlane plane = *formats::simValue<SIM_CuttingPlane>(content, formats::kSimValueCuttingPlane);
  plane.plane = 9;
  formats::setSimValue(badSetting, formats::kSimValueCuttingPlane, plane);
  formats::SimulationContent badMove = content;
  badMove.toolpath.moves[1].end[0] = std::nan("");
  std::vector<uint8_t> malformed = formats::encodeSimulation(content);
  malformed.resize(malformed.size() - 8);
  malformed.insert(malformed.end(), {6, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});  // a toggles section of one byte
  formats::sealDocument(malformed);
  std::vector<uint8_t> otherFormat = formats::encodeSimulation(content);
  otherFormat.resize(otherFormat.size() - 8);
  otherFormat[0] = 16;
  formats::sealDocument(otherFormat);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    int32_t code;
  } refused[] = {
      {"setting.TarvoSimData", formats::encodeSimulation(badSetting), SIM_LOAD_REFUSED},
      {"move.TarvoSimData", formats::encodeSimulation(badMove), SIM_LOAD_REFUSED},
      {"malformed.TarvoSimData", malformed, SIM_LOAD_MALFORMED},
      {"format.TarvoSimData", otherFormat, SIM_LOAD_UNKNOWN_FORMAT},
  };
  for (const auto& r : refused) {
    const std::string path = (folder / r.name).string();
    platform::replaceWholeFile(path, r.bytes);
    EXPECT_EQ(SIM_LoadSimulation(view, path.c_str()), r.code) << r.name;
  }
  const std::string damagedPath = write("damaged.TarvoSimData", damaged);
  const std::string emptyPath = write("empty.TarvoSimData", {});
  const std::string missing = (folder / "missing.TarvoSimData").string();
  EXPECT_EQ(SIM_LoadSimulation(nullptr, damagedPath.c_str()), -1);
  EXPECT_EQ(SIM_LoadSimulation(view, nullptr), -1);
  EXPECT_EQ(SIM_LoadSimulation(view, missing.c_str()), SIM_LOAD_UNREADABLE);
  EXPECT_EQ(SIM_LoadSimulation(view, folder.string().c_str()), SIM_LOAD_UNREADABLE);
  EXPECT_EQ(SIM_LoadSimulation(view, damagedPath.c_str()), SIM_LOAD_BAD_CHECKSUM);
  EXPECT_EQ(SIM_LoadSimulation(view, emptyPath.c_str()), SIM_LOAD_BAD_CHECKSUM);
  EXPECT_EQ(SIM_ExportSimulation(nullptr, damagedPath.c_str()), -1);
  // A path that cannot be written gets nothing, and the call still answers 0.
  EXPECT_EQ(SIM_ExportSimulation(view, (folder / "no" / "such.TarvoSimData").string().c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "no"));
  EXPECT_EQ(exported(view, "after.TarvoSimData"), before);
}

// The ribbon's "Save presentation" (the host leaves event 17 to the view)
// and "Save as STL" ask the user where, then write there.
class SavingFromTheRibbon : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override { setUpHiddenWindow(); }
};

TEST_F(SavingFromTheRibbon, ThePresentationAndTheStlGoWhereTheUserChose) {
  struct User : platform::DialogProvider {
    std::mutex mutex;
    std::string answer;
    std::vector<std::string> messages;
    void messageBox(const std::string&, const std::string& text, Icon) override {
      std::lock_guard lock(mutex);
      messages.push_back(text);
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
      std::lock_guard lock(mutex);
      return answer;
    }
    std::optional<platform::Rgb> chooseColour(const std::string&, platform::Rgb) override { return std::nullopt; }
  };
  auto user = std::make_shared<User>();
  platform::setDialogProvider(user);
  char pattern[] = "/tmp/korvane-ribbon-save-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path folder = pattern;
  testsupport::SlotJob job;
  testsupport::loadJob(view, job);

  user->answer = (folder / "job.TarvoSimData").string();
  onRenderThread([&] { view::chooseRibbonAction(*view, 71); });
  EXPECT_TRUE(testsupport::waitUntil(
      [&] {
        std::lock_guard lock(user->mutex);
        return !user->messages.empty();
      },
      10s));
  {
    std::lock_guard lock(user->mutex);
    ASSERT_EQ(user->messages.size(), 1u);
    EXPECT_EQ(user->messages[0], "Simulation file successfully exported.");
    user->answer = (folder / "stock.stl").string();
  }
  const std::optional<std::vector<uint8_t>> file = platform::readWholeFile(folder / "job.TarvoSimData");
  ASSERT_TRUE(file);
  const std::optional<formats::SimulationContent> content = formats::decodeSimulation(*file).content;
  ASSERT_TRUE(content);
  EXPECT_EQ(content->toolpath.moves.size(), job.path.moves.size());

  onRenderThread([&] { view::chooseRibbonAction(*view, 55); });
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::filesystem::exists(folder / "stock.stl"); }, 20s));
  platform::setDialogProvider(nullptr);
  std::filesystem::remove_all(folder);
}

}  // namespace
