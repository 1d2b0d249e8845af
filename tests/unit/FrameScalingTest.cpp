// Frames drawn at a render scale and brought back to the host window's size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/FrameScaling.h"

namespace {

// A bottom-up BGRA image whose pixel (x, y from the bottom) has blue x,
// green y, red x + y and alpha 255.
std::vector<uint8_t> gradient(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>(x + y);
      p[3] = 255;
    }
  return pixels;
}

TEST(FrameScaling, TheSettingGivesTheScaleAndTheEdges) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float setting;
    float scale;
  } scales[] = {{0.0f, 1.0f}, {-2.0f, 1.0f}, {nan, 1.0f}, {2.0f, 2.0f}, {1.5f, 1.5f}, {4.0f, 4.0f}, {9.0f, 4.0f}};
  for (const auto& c : scales) EXPECT_EQ(platform::offscreenRenderScale(c.setting), c.scale) << c.setting;

  EXPECT_EQ(platform::scaledEdge(320, 2.0f), 640);
  EXPECT_EQ(platform::scaledEdge(333, 1.5f), 500);  // 499.5 to the nearest
  EXPECT_EQ(platform::scaledEdge(1, 0.25f), 1) << "never below one pixel";
}

TEST(FrameScaling, EachShownPixelIsTheMeanOfTheDrawnPixelsItCovers) {
  const struct {
    int sourceWidth, sourceHeight, width, height;
  } cases[] = {{4, 4, 4, 4}, {8, 6, 4, 3}, {12, 12, 3, 3}, {5, 3, 2, 2}, {2, 2, 4, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sourceWidth << "x" << c.sourceHeight << " to " << c.width << "x" << c.height);
    const std::vector<uint8_t> source = gradient(c.sourceWidth, c.sourceHeight);
    std::vector<uint8_t> shown(static_cast<size_t>(c.width) * c.height * 4, 7);
    platform::flipAndResample(source, c.sourceWidth, c.sourceHeight, shown, c.width, c.height);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        // The covered source cells, counted from the top as the shown rows are.
        const int x0 = x * c.sourceWidth / c.width, x1 = std::max(x0 + 1, (x + 1) * c.sourceWidth / c.width);
        const int y0 = y * c.sourceHeight / c.height, y1 = std::max(y0 + 1, (y + 1) * c.sourceHeight / c.height);
        double blue = 0, green = 0, red = 0;
        for (int sy = y0; sy < y1; ++sy)
          for (int sx = x0; sx < x1; ++sx) {
            const int fromBottom = c.sourceHeight - 1 - sy;
            blue += sx;
            green += fromBottom;
            red += sx + fromBottom;
          }
        const double count = (x1 - x0) * (y1 - y0);
        const uint8_t* p = &shown[(static_cast<size_t>(y) * c.width + x) * 4];
        EXPECT_NEAR(p[0], blue / count, 0.5) << x << "," << y;
        EXPECT_NEAR(p[1], green / count, 0.5) << x << "," << y;
        EXPECT_NEAR(p[2], red / count, 0.5) << x << "," << y;
        EXPECT_EQ(p[3], 255);
      }
  }
}

TEST(FrameScaling, ShortBuffersAndEmptySizesLeaveTheTargetAlone) {
  const std::vector<uint8_t> source = gradient(4, 4);
  std::vector<uint8_t> shown(2 * 2 * 4, 7);
  platform::flipAndResample({source.data(), source.size() - 1}, 4, 4, shown, 2, 2);
  platform::flipAndResample(source, 4, 4, {shown.data(), shown.size() - 1}, 2, 2);
  platform::flipAndResample(source, 0, 4, shown, 2, 2);
  platform::flipAndResample(source, 4, 4, shown, 2, -1);
  EXPECT_EQ(shown, std::vector<uint8_t>(2 * 2 * 4, 7));
}

}  // namespace
