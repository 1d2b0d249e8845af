// Colour themes on running views: a view shows the theme it chose, and a
// theme the host sets reaches the views showing it at their next frame.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"
#include "view/Render.h"

namespace {

// The themes are the process's: each test leaves them as it found them.
struct ThemesKept {
  SIM_ColorTheme light = SIM_GetColorTheme(0), dark = SIM_GetColorTheme(1);
  ~ThemesKept() {
    SIM_SetColorTheme(&light, 0);
    SIM_SetColorTheme(&dark, 1);
  }
};

// A picture's corner pixel: nothing is loaded, so it is all background.
std::array<uint8_t, 4> cornerOf(Render* view) {
  std::vector<uint8_t> rgba(32 * 24 * 4);
  EXPECT_EQ(SIM_RenderImage(view, 32, 24, rgba.data()), 0);
  return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

std::array<uint8_t, 4> bytesOf(const float (&colour)[4]) {
  std::array<uint8_t, 4> out{};
  for (int c = 0; c < 4; ++c) out[c] = static_cast<uint8_t>(colour[c] * 255.0f + 0.5f);
  return out;
}

using ThemeOnView = testsupport::HeadlessViewTest;

}  // namespace

TEST_F(ThemeOnView, AThemeReachesTheViewsShowingItAtTheirNextFrame) {
  const ThemesKept kept;
  SIM_Hint(SIM_HINT_HEADLESS, 1);
  Render* dark = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  ASSERT_NE(dark, nullptr);
  ASSERT_EQ(SIM_Command(dark, SIM_COMMAND_DARK_THEME, 0), 0);

  SIM_ColorTheme light = kept.light;
  const float blue[4] = {0.2f, 0.4f, 0.6f, 1.0f};
  std::copy(std::begin(blue), std::end(blue), light.background);
  ASSERT_EQ(SIM_SetColorTheme(&light, 0), 0);
  EXPECT_EQ(cornerOf(view), bytesOf(blue)) << "the background bytes are the record's";
  const std::array<uint8_t, 4> darkBefore = cornerOf(dark);
  EXPECT_EQ(darkBefore, bytesOf(kept.dark.background)) << "the dark view shows the dark theme";

  SIM_ColorTheme red = kept.dark;
  const float opaqueRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  std::copy(std::begin(opaqueRed), std::end(opaqueRed), red.background);
  red.cutMoves[0] = 0.5f;
  ASSERT_EQ(SIM_SetColorTheme(&red, 1), 0);
  EXPECT_EQ(cornerOf(dark), bytesOf(opaqueRed));
  EXPECT_EQ(dark->job().toolpathDisplay.colours().cut.r, 0.5f) << "the toolpath's feed moves";
  EXPECT_EQ(cornerOf(view), bytesOf(blue)) << "a light view is unaffected";

  // Chosen back, the dark view shows the light theme.
  ASSERT_EQ(SIM_Command(dark, SIM_COMMAND_LIGHT_THEME, 0), 0);
  EXPECT_EQ(cornerOf(dark), bytesOf(blue));
  SIM_CloseView(dark);
}
