// The interface's records drawn over a background against a CPU evaluation
// of the same formulas: gradients, round corners and subpixel glyphs blended
// as colour + background x (1 - coverage); and an unchanged interface
// uploading nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "gpu/OffscreenTarget.h"
#include "support/GpuTest.h"
#include "ui/StringTable.h"
#include "ui/UIManager.h"

namespace {

constexpr int kW = 200, kH = 100;
using Colour = std::array<float, 3>;
constexpr Colour kBackground{0.9f, 0.1f, 0.3f};

// A record on whole pixels: left, bottom, width, height.
UI::UIInstance recordAt(int x, int y, int w, int h) {
  UI::UIInstance r{};
  r.x = float(x) / kW, r.y = float(y) / kH, r.w = float(w) / kW, r.h = float(h) / kH;
  r.texRect = {0, 0, 1, 1};
  return r;
}

// What the formulas give for a pixel the record covers; nothing where a
// round corner discards it.
std::optional<Colour> expected(const UI::UIInstance& r, int px, int py, const UI::FontAtlas& atlas, const Colour& dst) {
  const float lx = ((px + 0.5f) / kW - r.x) / r.w, ly = ((py + 0.5f) / kH - r.y) / r.h;
  std::array<float, 4> c;
  for (int k = 0; k < 4; ++k) c[k] = r.colorBottom[k] + (r.colorTop[k] - r.colorBottom[k]) * ly;
  const float aspect = float(kW) / kH, w = r.w * aspect;
  const float ux = w < r.h ? 1.0f : w / r.h, uy = w < r.h ? r.h / w : 1.0f;
  const float radius = r.roundness * 0.5f, X = lx * ux, Y = ly * uy;
  if (radius > 0 && (X < radius || X > ux - radius) && (Y < radius || Y > uy - radius)) {
    const float cx = std::clamp(X, radius, ux - radius), cy = std::clamp(Y, radius, uy - radius);
    const float d = (X - cx) * (X - cx) + (Y - cy) * (Y - cy);
    if (d > 1.3f * radius * radius) return std::nullopt;
    if (d > 0.9f * radius * radius) c[3] *= 1.0f - (d - 0.9f * radius * radius) / (0.4f * radius * radius);
  }
  Colour out;
  if (r.mode == 2.0f) {
    const float u = r.texRect[0] + (r.texRect[2] - r.texRect[0]) * lx;
    const float v = r.texRect[1] + (r.texRect[3] - r.texRect[1]) * (1 - ly);
    const int tx = int(std::floor(u * UI::FontAtlas::kWidth)), ty = int(std::floor(v * UI::FontAtlas::kHeight));
    const uint8_t* texel = &atlas.rgba[(size_t(ty) * UI::FontAtlas::kWidth + tx) * 4];
    for (int k = 0; k < 3; ++k) {
      const float coverage = texel[k] / 255.0f * c[3];
      out[k] = c[k] * coverage + dst[k] * (1 - coverage);
    }
    return out;
  }
  for (int k = 0; k < 3; ++k) out[k] = c[k] * c[3] + dst[k] * (1 - c[3]);
  return out;
}

class UIDrawTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    target_.emplace(kW, kH);
    ASSERT_TRUE(target_->complete());
    manager_.ensureAtlas(UI::englishStrings(), false, 96);
  }
  void TearDown() override {
    manager_.release();
    target_.reset();
    GpuTest::TearDown();
  }
  bool pass(const std::vector<UI::UIInstance>& records) {
    UI::FrameInput input;
    input.windowWidth = kW, input.windowHeight = kH;
    return manager_.framePass(input, [&](std::vector<UI::UIInstance>& out) { out = records; });
  }
  std::vector<uint8_t> draw() {
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    manager_.draw();
    return target_->readPixels();
  }
  // Largest difference, in 1/255, over the pixels a record covers.
  float worstDifference(const std::vector<uint8_t>& pixels, const UI::UIInstance& r, int x0, int y0, int w, int h) {
    float worst = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) {
        const Colour e = expected(r, x, y, manager_.atlas(), kBackground).value_or(kBackground);
        for (int k = 0; k < 3; ++k)
          worst = std::max(worst, std::abs(pixels[(size_t(y) * kW + x) * 4 + k] - e[k] * 255.0f));
      }
    return worst;
  }

  std::optional<gpu::OffscreenTarget> target_;
  UI::UIManager manager_;
};

TEST_F(UIDrawTest, RecordsBlendAsTheFormulasSay) {
  UI::UIInstance gradient = recordAt(4, 4, 60, 40);
  gradient.colorBottom = {0.1f, 0.2f, 0.9f, 0.8f};
  gradient.colorTop = {0.9f, 0.8f, 0.1f, 0.4f};
  UI::UIInstance rounded = recordAt(70, 10, 50, 30);
  rounded.colorBottom = rounded.colorTop = {0.2f, 0.6f, 0.2f, 1.0f};
  rounded.roundness = 1.0f;
  // The glyph 'W' one texel to one pixel, black on the background.
  const UI::GlyphRecord& g = manager_.atlas().glyph(u'W');
  const int gw = int(std::lround(g.uSize * UI::FontAtlas::kWidth)), gh = int(std::lround(g.vSize * UI::FontAtlas::kHeight));
  UI::UIInstance glyph = recordAt(130, 40, gw, gh);
  glyph.mode = 2.0f;
  glyph.colorBottom = glyph.colorTop = {0, 0, 0, 1};
  glyph.texRect = {g.u0, g.v0, g.u0 + g.uSize, g.v0 + g.vSize};
  ASSERT_TRUE(pass({gradient, rounded, glyph}));
  const std::vector<uint8_t> pixels = draw();
  EXPECT_LE(worstDifference(pixels, gradient, 4, 4, 60, 40), 2.0f);
  EXPECT_LE(worstDifference(pixels, rounded, 70, 10, 50, 30), 2.0f);
  EXPECT_LE(worstDifference(pixels, glyph, 130, 40, gw, gh), 2.0f);
  // The corner pixel is the background's, the glyph inked somewhere.
  EXPECT_NEAR(pixels[(size_t(10) * kW + 70) * 4], kBackground[0] * 255, 1.0);
  size_t inked = 0;
  for (int y = 40; y < 40 + gh; ++y)
    for (int x = 130; x < 130 + gw; ++x) inked += pixels[(size_t(y) * kW + x) * 4] < 100;
  EXPECT_GT(inked, 10u);
}

TEST_F(UIDrawTest, AnUnchangedInterfaceUploadsNothing) {
  UI::UIInstance r = recordAt(10, 10, 20, 20);
  r.colorBottom = r.colorTop = {1, 1, 1, 1};
  EXPECT_TRUE(pass({r}));
  const uint64_t uploads = manager_.uploads();
  EXPECT_FALSE(pass({r}));
  EXPECT_EQ(manager_.uploads(), uploads);
  r.x += 1.0f / kW;
  EXPECT_TRUE(pass({r}));
  EXPECT_EQ(manager_.uploads(), uploads + 1);
  EXPECT_TRUE(pass({}));
}

}  // namespace
