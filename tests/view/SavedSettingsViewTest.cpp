// A view's display choices kept from one use to the next: every choice a
// windowed view's questions answer survives closing and opening a view,
// a headless view neither reads nor writes the file, and a damaged file or two views
// closing at once never cost the defaults or a whole file. The tuning file
// sizes the toolpath's lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <unistd.h>

#include "formats/SetupFile.h"
#include "korvane/Korvane.h"
#include "platform/WholeFile.h"
#include "support/HeadlessView.h"
#include "view/SavedToggles.h"

namespace {

using Answers = std::map<uint32_t, bool>;

class SavedSettingsView : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("korvane-settings-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    const char* before = std::getenv("XDG_CONFIG_HOME");
    before_ = before ? before : "";
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    file_ = folder_ / "TARVOSimulationViewer" / "setup.bin";
  }
  void TearDown() override {
    HeadlessViewTest::TearDown();
    ::setenv("XDG_CONFIG_HOME", before_.c_str(), 1);
    std::filesystem::remove_all(folder_);
  }
  // A view with a hidden window; the window system may be up already.
  void openWindowed() {
    ASSERT_GE(SIM_InitOpenGL(), 1);
    SIM_Hint(SIM_HINT_START_HIDDEN, 1);
    view = SIM_CreateView(0, true);
    SIM_Hint(SIM_HINT_START_HIDDEN, 0);
    ASSERT_NE(view, nullptr);
  }
  void close() {
    SIM_CloseView(view);
    view = nullptr;
  }
  Answers answers() {
    Answers a;
    for (const uint32_t code : view::savedQuestionCodes()) a[code] = SIM_Question(view, code);
    return a;
  }

  std::filesystem::path folder_, file_;
  std::string before_;
};

TEST_F(SavedSettingsView, EveryChoiceSurvivesClosingAndOpening) {
  openWindowed();
  const Answers defaults = answers();
  // Every choice the other way; of the mouse modes, one that is not on.
  Answers wanted;
  for (const auto& [code, value] : defaults) wanted[code] = !value;
  const uint32_t mouseModes[] = {SIM_QUESTION_MOUSE_MODE_TWO, SIM_QUESTION_MOUSE_MODE_ONE,
                                 SIM_QUESTION_MOUSE_MODE_ZERO};
  for (const uint32_t code : mouseModes) wanted[code] = false;
  for (const uint32_t code : mouseModes)
    if (!defaults.at(code)) {
      wanted[code] = true;
      break;
    }
  view::applySavedAnswers(*view, wanted);
  const Answers chosen = answers();
  int changed = 0;
  for (const auto& [code, value] : chosen) {
    changed += value != defaults.at(code);
    EXPECT_EQ(value, wanted.at(code)) << "code " << code;
  }
  EXPECT_GE(changed, 30);
  // The cut stock shown travels in the bytes.
  ASSERT_EQ(view->viewBytes().stockDisplay.load(), 1);
  SIM_Command(view, SIM_COMMAND_TOGGLE_STOCK_CUT, 0);
  close();
  ASSERT_TRUE(std::filesystem::is_regular_file(file_));

  openWindowed();
  EXPECT_EQ(answers(), chosen);
  EXPECT_EQ(view->viewBytes().grid.load(), uint8_t{chosen.at(SIM_QUESTION_GRID_SHOWN)}) << "the grid rides the bytes";
  EXPECT_EQ(view->viewBytes().stockDisplay.load(), 0);

  // A headless view neither takes the user's choices nor keeps its own.
  close();
  const auto written = platform::readWholeFile(file_);
  SIM_Hint(SIM_HINT_HEADLESS, 1);
  view = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->viewBytes().stockDisplay.load(), 1);
  EXPECT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_GRID, 0), 0);
  close();
  EXPECT_EQ(platform::readWholeFile(file_), written);
}

TEST_F(SavedSettingsView, DamagedFilesLeaveTheDefaultsAndTwoClosingViewsOneWholeFile) {
  openWindowed();
  const Answers defaults = answers();
  SIM_Command(view, SIM_COMMAND_TOGGLE_GRID, 0);
  close();
  const auto good = platform::readWholeFile(file_);
  ASSERT_TRUE(good && good->size() > 20);

  std::vector<uint8_t> flipped = *good;
  flipped[flipped.size() / 2] ^= 0x10;
  const std::vector<std::vector<uint8_t>> damaged = {{}, {good->begin(), good->begin() + good->size() / 2}, flipped};
  for (const auto& bytes : damaged) {
    std::filesystem::remove_all(file_);
    ASSERT_TRUE(platform::replaceWholeFile(file_, bytes));
    openWindowed();
    EXPECT_EQ(answers(), defaults) << bytes.size() << " bytes";
    close();
  }
  std::filesystem::remove_all(file_);
  std::filesystem::create_directories(file_);
  openWindowed();
  EXPECT_EQ(answers(), defaults) << "a folder in the file's place";
  close();
  EXPECT_TRUE(std::filesystem::is_directory(file_));
  std::filesystem::remove_all(file_);

  // Two views closing at once: the file is one of theirs, whole.
  openWindowed();
  Render* first = view;
  SIM_Command(first, SIM_COMMAND_TOGGLE_GRID, 0);
  openWindowed();
  Render* second = view;
  view = nullptr;
  std::thread a([first] { SIM_CloseView(first); }), b([second] { SIM_CloseView(second); });
  a.join();
  b.join();
  const auto last = platform::readWholeFile(file_);
  ASSERT_TRUE(last);
  const auto state = formats::decodeSetup(*last);
  ASSERT_TRUE(state);
  EXPECT_EQ(state->answers.size(), view::savedQuestionCodes().size());
}

TEST_F(SavedSettingsView, CustomSettingsSizeTheToolpath) {
  std::filesystem::create_directories(file_.parent_path());
  std::ofstream(file_.parent_path() / "custom settings.json") << R"({"UI": {"ToolpathLineWidth": 3}})";
  openWindowed();
  const view::ToolpathStage::Sizes sizes = view->toolpathStage().sizes();
  EXPECT_EQ(sizes.line, 3.0f);
  EXPECT_EQ(sizes.lineLarge, 2.0f) << "every other size keeps its default";
  EXPECT_EQ(sizes.point, 4.0f);
  EXPECT_EQ(view->customSettings().toolpathLineWidth, 3.0f);
}

}  // namespace
