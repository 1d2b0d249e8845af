// The interface's records drawn over a background against a CPU evaluation
// of the same formulas: gradients, round corners, rulers, icons and
// subpixel glyphs blended
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

// The ruler's decades: the power of ten, the window of ruler scales each
// is drawn in, and its tick width at the window's start.
struct Decade {
  double k, low, high, base;
};
constexpr Decade kDecades[] = {{1, 1, 4, 0.03}, {2, 2, 40, 0.06}, {3, 20, 400, 0.06}, {4, 200, 4000, 0.06},
                               {5, 2000, 20000, 0.06}};

double tickWidth(const Decade& d, double scale) {
  const double t = std::clamp((scale - d.low) / (d.high - d.low), 0.0, 1.0);
  return d.base * (1.0 - 0.7 * t);
}

bool rulerTick(double u, double scale) {
  for (const Decade& d : kDecades)
    if (scale >= d.low && scale <= d.high) {
      const double f = std::pow(10.0, d.k) * u;
      if (f - std::floor(f) < tickWidth(d, scale)) return true;
    }
  return false;
}

// Where a pixel's centre lies along a ruler, 0 to 1.
double rulerCoordinate(const UI::UIInstance& r, int px) {
  return r.texRect[0] + (r.texRect[2] - r.texRect[0]) * (((px + 0.5) / kW - r.x) / r.w);
}

// A pixel whose centre lies so near a tick's edge that the interpolated
// coordinate's float precision (about 1e-6, times 10^k) could put it on
// either side.
bool nearTickEdge(double u, double scale) {
  for (const Decade& d : kDecades)
    if (scale >= d.low && scale <= d.high) {
      const double f = std::pow(10.0, d.k) * u, fraction = f - std::floor(f);
      const double margin = std::pow(10.0, d.k) * 1e-6 + 2e-3;
      if (std::abs(fraction - tickWidth(d, scale)) < margin || fraction > 1 - margin) return true;
    }
  return false;
}

// What the formulas give for a pixel the record covers; nothing where a
// round corner discards it.
std::optional<Colour> expected(const UI::UIInstance& r, int px, int py, const UI::FontAtlas& atlas,
                               const UI::IconAtlas& icons, const Colour& dst) {
  const float lx = ((px + 0.5f) / kW - r.x) / r.w, ly = ((py + 0.5f) / kH - r.y) / r.h;
  std::array<float, 4> c;
  for (int k = 0; k < 4; ++k) c[k] = r.colorBottom[k] + (r.colorTop[k] - r.colorBottom[k]) * ly;
  const float aspect = float(kW) / kH, w = r.w * aspect;
  const float ux = w < r.h ? 1.0f : w / r.h, uy = w < r.h ? r.h / w : 1.0f;
  const float radius = r.mode == 1.0f ? 0.5f : r.roundness * 0.5f, X = lx * ux, Y = ly * uy;
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
  if (r.mode >= 3.0f) {  // one texel to one pixel: the texel itself
    const float u = r.texRect[0] + (r.texRect[2] - r.texRect[0]) * lx;
    const float v = r.texRect[1] + (r.texRect[3] - r.texRect[1]) * (1 - ly);
    const int tx = int(std::floor(u * icons.width)), ty = int(std::floor(v * icons.height));
    const uint8_t* texel = &icons.rgba[(size_t(ty) * icons.width + tx) * 4];
    for (int k = 0; k < 4; ++k) c[k] *= texel[k] / 255.0f;
  }
  if (r.mode == 1.0f && rulerTick(rulerCoordinate(r, px), r.roundness)) c[0] = c[1] = c[2] = 0;
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
    ASSERT_TRUE(manager_.loadIcons(96));
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
  // Largest difference, in 1/255, over the pixels a record covers (ruler
  // pixels on a tick's very edge left out).
  float worstDifference(const std::vector<uint8_t>& pixels, const UI::UIInstance& r, int x0, int y0, int w, int h) {
    float worst = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) {
        if (r.mode == 1.0f && nearTickEdge(rulerCoordinate(r, x), r.roundness)) continue;
        const Colour e = expected(r, x, y, manager_.atlas(), manager_.icons(), kBackground).value_or(kBackground);
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

TEST_F(UIDrawTest, RulersAndIconsMatchTheFormulas) {
  // One ruler per scale, each showing the ticks of its decades (at the
  // finer ones thinner than a pixel, so only some pixel centres hit them).
  std::vector<UI::UIInstance> rulers;
  for (float scale : {1.0f, 30.0f, 300.0f, 3000.0f}) {
    UI::UIInstance ruler = recordAt(10, 10 + 12 * int(rulers.size()), 180, 10);
    ruler.mode = 1.0f;
    ruler.roundness = scale;
    ruler.colorBottom = ruler.colorTop = {0.95f, 0.95f, 0.85f, 1};
    rulers.push_back(ruler);
  }
  // A part of a ruler ten times as long (a zoomed timeline's visible
  // window): its ticks lie where the long ruler has them.
  UI::UIInstance part = recordAt(10, 58, 130, 10);
  part.mode = 1.0f;
  part.roundness = 10.0f;
  part.texRect = {0.25f, 0, 0.35f, 1};
  part.colorBottom = part.colorTop = {0.95f, 0.95f, 0.85f, 1};
  rulers.push_back(part);
  // The play icon one texel to one pixel, tinted; its cell is 32 pixels
  // with a 1-pixel margin.
  UI::UIInstance icon = recordAt(150, 60, 30, 30);
  icon.mode = 3.0f;
  icon.colorBottom = icon.colorTop = {0.2f, 0.9f, 0.4f, 1};
  const UI::IconRect cell = manager_.icons().rect(uint32_t(UI::IconId::Play));
  icon.texRect = cell;
  ASSERT_NEAR((cell[2] - cell[0]) * manager_.icons().width, 30.0f, 1e-3);
  std::vector<UI::UIInstance> records = rulers;
  records.push_back(icon);
  ASSERT_TRUE(pass(records));
  const std::vector<uint8_t> pixels = draw();
  for (size_t i = 0; i < rulers.size(); ++i) {
    const int y0 = 10 + 12 * int(i), width = int(std::lround(rulers[i].w * kW));
    EXPECT_LE(worstDifference(pixels, rulers[i], 10, y0, width, 10), 2.0f) << "ruler " << i;
    size_t ticks = 0;
    for (int x = 10; x < 10 + width; ++x) ticks += pixels[(size_t(y0 + 5) * kW + x) * 4] < 60;
    EXPECT_GT(ticks, 0u) << "ruler " << i;

  }
  EXPECT_LE(worstDifference(pixels, icon, 150, 60, 30, 30), 2.0f);
  size_t tinted = 0;
  for (int y = 60; y < 90; ++y)
    for (int x = 150; x < 180; ++x) tinted += pixels[(size_t(y) * kW + x) * 4 + 1] > 200;
  EXPECT_GT(tinted, 100u) << "the icon is drawn in its tint";
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
