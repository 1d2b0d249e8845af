// The toolpath in the view's pictures, against the strip projected on the
// CPU: each class of move in its colour and only there, classes switched
// off leaving nothing, arcs in the cut colour unless highlighted, points
// at move ends only; and uploads only when the toolpath changes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "support/MeshRaster.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "support/ViewJobs.h"
#include "toolpath/ToolpathColours.h"
#include "view/EntityId.h"

namespace {

using testing_support::ToolpathBuilder;
constexpr int kWidth = 320, kHeight = 240;
constexpr double kToolRadius = 4, kToolLength = 25;

bool near(const uint8_t* pixel, const glm::vec4& colour) {
  for (int k = 0; k < 3; ++k)
    if (std::abs(pixel[k] / 255.0f - colour[k]) > 0.06f) return false;
  return pixel[3] > 0;
}

class ToolpathDrawing : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    HeadlessViewTest::SetUp();
    // A rapid along y 0 at height 10, a plunge, a feed along x 40, a half
    // circle over y 30 and a feed back down x 0.
    path_.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 10}))
        .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {40, 0, 10}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {40, 0, 0}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {40, 30, 0}))
        .add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 30, 0}, {20, 30, 0}, {0, 0, -1}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 2, 0}));
    path_.operations = {{0, 3, 1}, {3, 6, 2}};
    const SIM_ToolpathRecord record = path_.record();
    ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
    // A stock below the path that leaves a margin round it in the picture.
    ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, {-20, -20, -40}, {60, 70, -20})), 0);
    settleView(SIM_VIEW_TOP);
  }

  // The picture and, from the same frame, each vertex projected to pixels.
  struct Frame {
    Picture picture;
    std::vector<glm::dvec2> screen;
    std::vector<float> kinds;
  };
  // A frame after the one that takes the latest changes in.
  Frame frame() {
    onRenderThread([] { return 0; });
    Frame f;
    f.picture = onRenderThread([&] { return pictureOf(kWidth, kHeight); });
    onRenderThread([&] {
      const toolpath::ToolpathLines* lines = view->toolpathStage().lines();
      for (const toolpath::LineVertex& v : lines->vertices) {
        const glm::dvec4 clip = f.picture.projView * glm::dvec4(view->job().displayFrame() *
                                                                 glm::dvec3(v.position[0], v.position[1], v.position[2]), 1.0);
        f.screen.push_back({(clip.x / clip.w + 1) / 2 * kWidth, (clip.y / clip.w + 1) / 2 * kHeight});
        f.kinds.push_back(v.kind);
      }
      return 0;
    });
    return f;
  }

  // Pixels of the colour in a frame after the latest changes.
  size_t pixelsOf(const glm::vec4& colour) {
    const Frame f = frame();
    size_t n = 0;
    for (size_t i = 0; i < f.picture.pixels.size(); i += 4) n += near(&f.picture.pixels[i], colour);
    return n;
  }

  void setDisplay(void (*change)(SIM_ToolpathDisplay&)) {
    SIM_ToolpathDisplay d = SIM_GetToolpathDisplay(view);
    change(d);
    ASSERT_EQ(SIM_SetToolpathDisplay(view, &d), 0);
  }

  // A flat tool standing with its tip at the path's last point, over a box
  // stock from (-20, -20, -40) to (20, 20, -20); the path itself hidden;
  // seen from the front.
  void standTool(const glm::dvec3& tip) {
    ASSERT_EQ(SIM_RemoveStock(view, 1), 0);
    ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(2, {-20, -20, -40}, {20, 20, -20})), 0);
    testsupport::ToolTableBuilder tools;
    tools.addTool("T1", {{SIM_PART_CUTTING, testsupport::flatProfile(kToolRadius, kToolLength)}});
    const SIM_ToolTableRecord table = tools.record();
    ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
    ToolpathBuilder path;
    path.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {tip.x, tip.y, tip.z + 60}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {tip.x, tip.y, tip.z}));
    path.toolChange("T1", 0);
    const SIM_ToolpathRecord record = path.record();
    ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
    ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
    setDisplay([](SIM_ToolpathDisplay& d) { d.showRapid = d.showCutting = 0; });
    settleView(SIM_VIEW_FRONT);
  }

  ToolpathBuilder path_;
};

double distanceToSegment(const glm::dvec2& p, const glm::dvec2& a, const glm::dvec2& b) {
  const glm::dvec2 ab = b - a;
  const double t = glm::dot(ab, ab) > 0 ? std::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0, 1.0) : 0.0;
  return glm::length(p - (a + t * ab));
}

// Which of the strip's segments a class draws (by the kind of the vertex
// each ends at).
using SegmentClass = bool (*)(float kind);
bool rapid(float kind) { return kind < 0.5f; }
bool straight(float kind) { return kind > 0.5f && kind < 1.5f; }
bool arc(float kind) { return kind > 1.5f && kind < 2.5f; }

struct Agreement {
  size_t pixels = 0, strayPixels = 0;   // pixels of the colour, and those far from the class's segments
  size_t samples = 0, missedSamples = 0;  // points along the class's segments, and those without the colour near
};

Agreement agreement(const std::vector<uint8_t>& pixels, const std::vector<glm::dvec2>& screen,
                    const std::vector<float>& kinds, SegmentClass drawn, const glm::vec4& colour) {
  Agreement a;
  auto distance = [&](const glm::dvec2& p) {
    double best = std::numeric_limits<double>::max();
    for (size_t v = 1; v < screen.size(); ++v)
      if (drawn(kinds[v])) best = std::min(best, distanceToSegment(p, screen[v - 1], screen[v]));
    return best;
  };
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (!near(&pixels[4 * (size_t(y) * kWidth + x)], colour)) continue;
      ++a.pixels;
      if (distance({x + 0.5, y + 0.5}) > 1.5) ++a.strayPixels;
    }
  auto colourNear = [&](const glm::dvec2& p) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = int(p.x) + dx, y = int(p.y) + dy;
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight && near(&pixels[4 * (size_t(y) * kWidth + x)], colour))
          return true;
      }
    return false;
  };
  for (size_t v = 1; v < screen.size(); ++v) {
    if (!drawn(kinds[v])) continue;
    const double length = glm::length(screen[v] - screen[v - 1]);
    // Away from the ends, where other classes meet it.
    for (double s = 3; s < length - 3; s += 1.0) {
      ++a.samples;
      if (!colourNear(screen[v - 1] + (screen[v] - screen[v - 1]) * (s / length))) ++a.missedSamples;
    }
  }
  return a;
}

// HSV of an RGB colour, hue in [0, 1).
glm::dvec3 hsvOf(const glm::dvec3& c) {
  const double high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b}), d = high - low;
  double hue = 0;
  if (d > 0) {
    if (high == c.r) hue = std::fmod((c.g - c.b) / d + 6.0, 6.0);
    else if (high == c.g) hue = (c.b - c.r) / d + 2.0;
    else hue = (c.r - c.g) / d + 4.0;
  }
  return {hue / 6.0, high > 0 ? d / high : 0.0, high};
}

glm::dvec3 rgbOf(const glm::dvec3& hsv) {
  const double h = hsv.x * 6.0, s = hsv.y, v = hsv.z;
  const int sector = static_cast<int>(std::floor(h)) % 6;
  const double f = h - std::floor(h), p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (sector) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
  }
}

// From a to b by t in HSV, the hue the shorter way round.
glm::dvec3 hsvBlend(const glm::vec4& a, const glm::vec4& b, double t) {
  const glm::dvec3 p = hsvOf(glm::dvec3(a)), q = hsvOf(glm::dvec3(b));
  double dh = q.x - p.x;
  if (dh >= 0.5) dh -= 1.0;
  if (dh < -0.5) dh += 1.0;
  double hue = p.x + dh * t;
  hue -= std::floor(hue);
  return rgbOf({hue, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t});
}

glm::dvec2 toScreen(const glm::dmat4& projView, const glm::dmat3& displayFrame, const glm::dvec3& p) {
  const glm::dvec4 clip = projView * glm::dvec4(displayFrame * p, 1.0);
  return {(clip.x / clip.w + 1) / 2 * kWidth, (clip.y / clip.w + 1) / 2 * kHeight};
}

}  // namespace

TEST_F(ToolpathDrawing, EachClassInItsColourWhereTheStripRuns) {
  const toolpath::ToolpathColours& colours = toolpath::toolpathColours(false);
  struct Case {
    const char* what;
    void (*change)(SIM_ToolpathDisplay&);
    SegmentClass cutClass;  // what the cut colour draws
    bool rapidsShown, arcsOwnColour;
  } cases[] = {
      {"defaults", [](SIM_ToolpathDisplay&) {}, [](float k) { return straight(k) || arc(k); }, true, false},
      {"arcs highlighted", [](SIM_ToolpathDisplay& d) { d.highlightArcs = 1; }, straight, true, true},
      {"rapids off", [](SIM_ToolpathDisplay& d) { d.highlightArcs = 0, d.showRapid = 0; },
       [](float k) { return straight(k) || arc(k); }, false, false},
  };
  for (const Case& c : cases) {
    setDisplay(c.change);
    const Frame f = frame();
    const Agreement cut = agreement(f.picture.pixels, f.screen, f.kinds, c.cutClass, colours.cut);
    EXPECT_GT(cut.pixels, 100u) << c.what;
    EXPECT_LT(cut.strayPixels, cut.pixels / 50 + 1) << c.what;
    EXPECT_LT(cut.missedSamples, cut.samples / 50 + 1) << c.what;
    const Agreement rapids = agreement(f.picture.pixels, f.screen, f.kinds, rapid, colours.rapid);
    if (c.rapidsShown) {
      EXPECT_GT(rapids.pixels, 20u) << c.what;
      EXPECT_LT(rapids.strayPixels, rapids.pixels / 50 + 1) << c.what;
      EXPECT_LT(rapids.missedSamples, rapids.samples / 50 + 1) << c.what;
    } else {
      EXPECT_EQ(rapids.pixels, 0u) << c.what;
    }
    const Agreement arcs = agreement(f.picture.pixels, f.screen, f.kinds, arc, colours.arc);
    if (c.arcsOwnColour) {
      EXPECT_GT(arcs.pixels, 50u) << c.what;
      EXPECT_LT(arcs.strayPixels, arcs.pixels / 50 + 1) << c.what;
    } else {
      EXPECT_EQ(arcs.pixels, 0u) << c.what;
    }
  }
}

TEST_F(ToolpathDrawing, PointsOnlyAtMoveEnds) {
  setDisplay([](SIM_ToolpathDisplay& d) { d.points = 1, d.largePoints = 1, d.showRapid = 1; });
  const Frame f = frame();
  const glm::vec4& point = toolpath::toolpathColours(false).point;
  std::vector<glm::dvec2> ends;
  for (size_t v = 0; v < f.screen.size(); ++v)
    if (std::fmod(f.kinds[v], 1.0f) > 0.01f) ends.push_back(f.screen[v]);
  ASSERT_EQ(ends.size(), path_.moves.size());
  size_t pixels = 0, stray = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (!near(&f.picture.pixels[4 * (size_t(y) * kWidth + x)], point)) continue;
      ++pixels;
      double best = 1e9;
      for (const glm::dvec2& e : ends) best = std::min(best, glm::length(glm::dvec2(x + 0.5, y + 0.5) - e));
      if (best > 4.5) ++stray;
    }
  EXPECT_GT(pixels, ends.size() * 10);
  EXPECT_EQ(stray, 0u) << "a point away from a move end: the arc's interior";
}

TEST_F(ToolpathDrawing, BuffersUploadOnlyWhenTheToolpathChanges) {
  const auto uploads = [&] {
    return onRenderThread([&] {
      const auto counts = view->toolpathStage().uploads();
      return std::make_pair(counts.full, counts.inPlace);
    });
  };
  frame();
  const auto first = uploads();
  EXPECT_GT(first.first, 0u);
  ASSERT_EQ(SIM_SetProgress(view, 0.5, SIM_PROGRESS_TIME_FRACTION), 0);
  frame();
  EXPECT_EQ(uploads(), first) << "a new position uploads nothing";
  ASSERT_EQ(SIM_SetToolpathOperationVisibility(view, 0, false), 0);
  frame();
  const auto hidden = uploads();
  EXPECT_EQ(hidden.first, first.first) << "the same sizes go in place";
  EXPECT_GT(hidden.second, first.second);
}

// Colour by feed: each segment in its move's value colour, the lowest feed
// in the low colour, the middle one exactly in the good colour, the highest
// in the high colour, between them the HSV blend. With a theme whose colours
// straddle red the blend takes the hue the short way across it, not round
// through green and blue.
TEST_F(ToolpathDrawing, FeedsColourTheirMoves) {
  const toolpath::ToolpathColours standard = toolpath::toolpathColours(false);
  toolpath::ToolpathColours wrapping = standard;
  wrapping.valueLow = {0.9f, 0.1f, 0.6f, 1.0f};   // hue 0.90
  wrapping.valueGood = {0.9f, 0.1f, 0.1f, 1.0f};  // hue 0.00
  wrapping.valueHigh = {0.9f, 0.8f, 0.1f, 1.0f};  // hue 0.15
  const auto blend = [](const toolpath::ToolpathColours& c, double t) { return hsvBlend(c.valueLow, c.valueGood, t); };
  ASSERT_GT(hsvOf(blend(wrapping, 0.5)).x, 0.9) << "the blend's hue lies between magenta and red";
  struct Case {
    const toolpath::ToolpathColours& colours;
    std::vector<double> feeds;
    std::vector<glm::dvec3> expected;  // moves 1 to 4
  } cases[] = {
      {standard,
       {0, 100, 200, 300, 500},
       {glm::dvec3(standard.valueLow), blend(standard, 0.5), glm::dvec3(standard.valueGood),
        glm::dvec3(standard.valueHigh)}},
      // The middle of 100 to 300 is 200: 150 is half way from low to good.
      {wrapping,
       {0, 150, 100, 300, 300},
       {blend(wrapping, 0.5), glm::dvec3(wrapping.valueLow), glm::dvec3(wrapping.valueHigh),
        glm::dvec3(wrapping.valueHigh)}},
  };
  for (const Case& c : cases) {
    view->job().toolpathDisplay.setColours(c.colours);
    ToolpathBuilder fed;
    fed.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {40, 0, 0}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {40, 30, 0}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 30, 0}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 2, 0}));
    fed.feeds = c.feeds;
    const SIM_ToolpathRecord record = fed.record();
    ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
    setDisplay([](SIM_ToolpathDisplay& d) { d.colourByFeed = 1, d.showTool = d.showHolder = 0; });
    settleView(SIM_VIEW_TOP);
    const Frame f = frame();
    ASSERT_EQ(f.screen.size(), 5u);
    for (size_t move = 1; move < 5; ++move) {
      const glm::dvec2 middle = (f.screen[move - 1] + f.screen[move]) / 2.0;
      // The line's pixel nearest the middle of its segment; over the stock,
      // whose grey is not a value colour.
      double best = 1e9;
      glm::dvec3 seen(-1);
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          const int x = int(middle.x) + dx, y = int(middle.y) + dy;
          const uint8_t* p = &f.picture.pixels[4 * (size_t(y) * kWidth + x)];
          const glm::dvec3 colour(p[0] / 255.0, p[1] / 255.0, p[2] / 255.0);
          if (p[3] == 0 || glm::length(glm::dvec2(x + 0.5, y + 0.5) - middle) >= best || hsvOf(colour).y < 0.3) continue;
          best = glm::length(glm::dvec2(x + 0.5, y + 0.5) - middle);
          seen = colour;
        }
      const glm::dvec3 want = c.expected[move - 1];
      EXPECT_LT(glm::length(seen - want), 0.04) << "move " << move << ": " << seen.r << " " << seen.g << " " << seen.b
                                                << ", expected " << want.r << " " << want.g << " " << want.b;
    }
  }
}

// The mode picks what is drawn: up to the tool shows less than the whole
// path; mode 9 marks the move the tool is on in the point colour.
TEST_F(ToolpathDrawing, ModesChooseWhatIsShown) {
  // On the feed along x 40, the fourth move: a quarter of the cut length.
  ASSERT_EQ(SIM_SetProgress(view, 0.35, SIM_PROGRESS_LENGTH_FRACTION), 0);
  setDisplay([](SIM_ToolpathDisplay& d) { d.showTool = d.showHolder = 0; });
  const toolpath::ToolpathColours& colours = toolpath::toolpathColours(false);
  const auto count = [&](uint32_t mode, const glm::vec4& colour) {
    EXPECT_EQ(SIM_SetToolpathMode(view, mode), 0);
    return pixelsOf(colour);
  };
  const size_t whole = count(SIM_TOOLPATH_MODE_WHOLE, colours.cut);
  const size_t toTool = count(SIM_TOOLPATH_MODE_START_TO_TOOL, colours.cut);
  EXPECT_LT(toTool, whole / 2);
  EXPECT_GT(toTool, whole / 10);
  EXPECT_EQ(count(SIM_TOOLPATH_MODE_START_TO_TOOL, colours.point), 0u);
  EXPECT_GT(count(SIM_TOOLPATH_MODE_START_TO_TOOL_MARKED, colours.point), 20u);
}

// The tool in use drawn at a tilted pose of the 5-axis sample: the picture's
// silhouette against the posed parts rasterised on the CPU.
TEST_F(ToolpathDrawing, TheToolAtATiltedPoseAsItsMeshLooks) {
  ASSERT_EQ(SIM_RemoveStock(view, 1), 0);  // only the tool in the picture
  const std::string fiveAxis = testsupport::machineText("five-axis-ac");
  ASSERT_EQ(SIM_CreateMachine(view, fiveAxis.c_str(), 0, 0), 0);
  testsupport::ToolTableBuilder tools;
  tools.addTool("T1", {{SIM_PART_CUTTING, testsupport::flatProfile(4, 25)},
                       {SIM_PART_SHAFT, testsupport::flatProfile(6, 40)}});
  const SIM_ToolTableRecord table = tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  ToolpathBuilder tilted;
  tilted.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {-60, -60, -60}))
      .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {60, 60, 60}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}));
  tilted.moves[2].axes[0] = 0.5;  // A, radians
  tilted.moves[2].axes[2] = 0.7;  // C
  tilted.toolChange("T1", 0);
  const SIM_ToolpathRecord record = tilted.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  setDisplay([](SIM_ToolpathDisplay& d) { d.showRapid = d.showCutting = 0; });
  ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
  settleView(SIM_VIEW_ISOMETRIC);
  stock::SurfaceMesh posed;
  glm::dvec3 axis(0.0), tip(1e9);
  const Picture picture = onRenderThread([&] {
    const view::ToolStage& stage = view->toolStage();
    const glm::dmat4 placement(stage.placement());
    for (const tools::PackedVertex& v : stage.mesh()) {
      posed.triangles.push_back(static_cast<uint32_t>(posed.vertices.size()));
      posed.vertices.push_back(glm::dvec3(placement * glm::dvec4(v.x, v.y, v.z, 1.0)));
    }
    // The tool frame's +Y, in the display frame.
    axis = glm::normalize(glm::dvec3(placement * glm::dvec4(0, 1, 0, 0)));
    tip = glm::dvec3(placement * glm::dvec4(0, 0, 0, 1));
    return pictureOf(kWidth, kHeight);
  });
  ASSERT_GT(posed.triangles.size(), 100u);
  // The drawn tool leans as the table's turn makes it: the kinematics' axis
  // in the display frame.
  const glm::dvec3 expectedAxis = view->job().displayFrame() *
                                  glm::dvec3(view->job().kinematics()->toolTransform({0.5, 0, 0.7}) * glm::dvec4(0, 0, 1, 0));
  EXPECT_LT(glm::distance(axis, expectedAxis), 1e-6);
  EXPECT_LT(glm::length(tip), 1e-4) << "the tip at the last move's end, the origin";
  EXPECT_GT(std::fabs(expectedAxis.y), 0.0);
  EXPECT_LT(glm::dot(expectedAxis, glm::dvec3(0, 1, 0)), 0.95) << "leaning";
  const std::vector<bool> expected =
      testsupport::coveredPixels(posed, picture.projView, glm::dmat3(1.0), kWidth, kHeight);
  size_t covered = 0;
  EXPECT_GT(testsupport::silhouetteAgreement(picture.pixels, expected, covered), 0.99);
  EXPECT_GT(covered, 200u);
  // Picked, the shaft is the tool's model: the move end at the tip beside it
  // does not take part while both move kinds are hidden.
  const uint32_t id = onRenderThread([&] {
    const glm::dvec3 d = view->camera().deviceOf(tip + 15.0 * axis);
    const glm::ivec2 size = view->camera().viewport();
    return view->pickAt(int((d.x + 1) / 2 * size.x), int((1 - d.y) / 2 * size.y)).id;
  });
  EXPECT_EQ(view::entity::kindOf(id), view::entity::Kind::MachineTriangle);
  EXPECT_EQ(view::entity::modelOf(id), view::entity::kToolModel);
}

// Colouring by operation or tool takes the range colours; a toolpath
// without operations is one range, not nothing.
TEST_F(ToolpathDrawing, RangesTakeTheirColours) {
  const toolpath::ToolpathColours& colours = toolpath::toolpathColours(false);
  setDisplay([](SIM_ToolpathDisplay& d) { d.colourBy = 1, d.showTool = d.showHolder = 0; });
  EXPECT_GT(pixelsOf(colours.ranges[0]), 20u);
  EXPECT_GT(pixelsOf(colours.ranges[1]), 20u);
  path_.operations.clear();
  const SIM_ToolpathRecord record = path_.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  EXPECT_GT(pixelsOf(colours.ranges[0]), 100u);
  EXPECT_EQ(pixelsOf(colours.ranges[1]), 0u);
}

// The tool is put into the scene at its own depth: where it stands inside
// the stock only the part above the stock's top shows from the front.
TEST_F(ToolpathDrawing, TheToolHidesInsideAndBehindTheStock) {
  standTool({0, 0, -30});  // the stock's top at -20
  const Frame withTool = frame();
  setDisplay([](SIM_ToolpathDisplay& d) { d.showTool = d.showHolder = 0; });
  const Frame without = frame();
  const glm::dmat3 toDisplay = view->job().displayFrame();
  const glm::dvec2 tip = toScreen(withTool.picture.projView, toDisplay, {0, 0, -30});
  const double top = toScreen(withTool.picture.projView, toDisplay, {0, -20, -20}).y;
  size_t above = 0, below = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const size_t i = 4 * (size_t(y) * kWidth + x);
      if (glm::length(glm::dvec2(x + 0.5, y + 0.5) - tip) < 9) continue;  // the position marker
      bool differs = false;
      for (int k = 0; k < 4; ++k) differs |= withTool.picture.pixels[i + k] != without.picture.pixels[i + k];
      if (!differs) continue;
      if (y + 0.5 > top) ++above;
      if (y + 0.5 < top - 1.5) ++below;  // clear of the stock's top edge
    }
  EXPECT_GT(above, 100u) << "the shank above the stock";
  EXPECT_EQ(below, 0u) << "nothing of the tool inside the stock";
}

// The cutting plane through a standing cylinder: its section is outlined
// by the two lines at the radius either side of the axis (and the ends),
// and nothing is outlined without the plane.
TEST_F(ToolpathDrawing, TheCuttingPlaneOutlinesTheToolsSection) {
  standTool({0, 0, 0});
  const glm::vec4 outline = toolpath::toolpathColours(false).toolSection;
  const auto outlinePixels = [&](const Frame& f) {
    std::vector<glm::dvec2> at;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (near(&f.picture.pixels[4 * (size_t(y) * kWidth + x)], outline)) at.push_back({x + 0.5, y + 0.5});
    return at;
  };
  EXPECT_TRUE(outlinePixels(frame()).empty());
  SIM_CuttingPlane plane = SIM_GetCuttingPlane(view);
  plane.plane = SIM_CUTTING_PLANE_Y_MINUS;  // the half towards the viewer goes
  ASSERT_EQ(SIM_SetCuttingPlane(view, &plane), 0);
  const Frame f = frame();
  const glm::dmat3 toDisplay = view->job().displayFrame();
  const auto screen = [&](double x, double z) { return toScreen(f.picture.projView, toDisplay, {x, 0, z}); };
  const glm::dvec2 corners[4] = {screen(-kToolRadius, 0), screen(kToolRadius, 0), screen(kToolRadius, kToolLength),
                                 screen(-kToolRadius, kToolLength)};
  const std::vector<glm::dvec2> drawn = outlinePixels(f);
  for (const glm::dvec2& p : drawn) {
    double nearest = 1e9;
    for (int e = 0; e < 4; ++e) nearest = std::min(nearest, distanceToSegment(p, corners[e], corners[(e + 1) % 4]));
    ASSERT_LT(nearest, 2.0) << "outline away from the section at " << p.x << ", " << p.y;
  }
  // Both sides of the section, along their length.
  for (const auto& side : {std::pair{corners[0], corners[3]}, std::pair{corners[1], corners[2]}}) {
    size_t samples = 0, covered = 0;
    for (double t = 0.1; t < 0.9; t += 0.05, ++samples) {
      const glm::dvec2 along = side.first + (side.second - side.first) * t;
      covered += std::any_of(drawn.begin(), drawn.end(), [&](const glm::dvec2& p) { return glm::length(p - along) < 1.6; });
    }
    EXPECT_EQ(covered, samples);
  }
  EXPECT_EQ(SIM_GetCuttingPlane(view).plane, uint32_t{SIM_CUTTING_PLANE_Y_MINUS});
}
