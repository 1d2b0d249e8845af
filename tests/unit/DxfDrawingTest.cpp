// DXF drawings into segments: each entity kind where the drawing puts it,
// arcs within their tolerance, the capacity rule, and files that are not
// drawings or end early.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "formats/DxfDrawing.h"
#include "korvane/Korvane.h"

namespace {

// Group code and value pairs, a line each.
std::string groups(std::initializer_list<std::pair<int, std::string>> pairs) {
  std::string text;
  for (const auto& [code, value] : pairs) text += std::to_string(code) + "\n" + value + "\n";
  return text;
}

std::string line(const std::string& x0, const std::string& y0, const std::string& x1, const std::string& y1) {
  return groups({{0, "LINE"}, {8, "0"}, {10, x0}, {20, y0}, {30, "0"}, {11, x1}, {21, y1}, {31, "0"}});
}

// One of each kind: a line, a quarter arc, a circle, a light-weight
// polyline whose bulge makes a half circle, a closed polyline of three
// vertices, and a block of one line placed by an insert, scaled and turned.
std::string drawing() {
  return groups({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {8, "0"}, {2, "B1"}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}}) +
         line("0", "0", "1", "0") + groups({{0, "ENDBLK"}, {8, "0"}, {0, "ENDSEC"}}) +
         groups({{0, "SECTION"}, {2, "ENTITIES"}}) + line("-3", "-4", "7", "-4") +
         groups({{0, "ARC"}, {8, "0"}, {10, "50"}, {20, "50"}, {30, "0"}, {40, "10"}, {50, "0"}, {51, "90"}}) +
         groups({{0, "CIRCLE"}, {8, "0"}, {10, "-50"}, {20, "0"}, {30, "0"}, {40, "5"}}) +
         groups({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"}, {20, "0"}}) +
         groups({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "1"}, {10, "0"}, {20, "0"}, {30, "0"}}) +
         groups({{0, "VERTEX"}, {8, "0"}, {10, "20"}, {20, "0"}, {30, "0"}}) +
         groups({{0, "VERTEX"}, {8, "0"}, {10, "30"}, {20, "0"}, {30, "0"}}) +
         groups({{0, "VERTEX"}, {8, "0"}, {10, "30"}, {20, "10"}, {30, "0"}}) + groups({{0, "SEQEND"}, {8, "0"}}) +
         groups({{0, "INSERT"}, {8, "0"}, {2, "B1"}, {10, "100"}, {20, "0"}, {30, "0"}, {41, "2"}, {42, "2"}, {43, "2"}, {50, "90"}}) +
         groups({{0, "ENDSEC"}, {0, "EOF"}});
}

class DxfDrawing : public ::testing::Test {
 protected:
  std::string write(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
    return path_.string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::filesystem::path path_ = std::filesystem::temp_directory_path() / ("korvane-dxf-" + std::to_string(::getpid()) + ".dxf");
};

// The segments whose both ends lie within r of (cx, cy) plus or minus the
// tolerance, and the largest distance of a chord's middle inside the arc.
struct OnCircle {
  size_t count = 0;
  double sag = 0;
};
OnCircle onCircle(const std::vector<SIM_DxfSegment>& segments, double cx, double cy, double r) {
  OnCircle out;
  const auto off = [&](double x, double y) { return std::abs(std::hypot(x - cx, y - cy) - r); };
  for (const SIM_DxfSegment& s : segments)
    if (off(s.start[0], s.start[1]) < 1e-3 && off(s.end[0], s.end[1]) < 1e-3) {
      ++out.count;
      out.sag = std::max(out.sag, off((s.start[0] + s.end[0]) / 2, (s.start[1] + s.end[1]) / 2));
    }
  return out;
}

bool has(const std::vector<SIM_DxfSegment>& segments, float x0, float y0, float x1, float y1) {
  for (const SIM_DxfSegment& s : segments)
    if (std::abs(s.start[0] - x0) < 1e-4 && std::abs(s.start[1] - y0) < 1e-4 && std::abs(s.end[0] - x1) < 1e-4 &&
        std::abs(s.end[1] - y1) < 1e-4)
      return true;
  return false;
}

}  // namespace

TEST_F(DxfDrawing, EveryKindLandsWhereTheDrawingPutsIt) {
  const std::string path = write(drawing());
  uint32_t count = 99;
  std::vector<SIM_DxfSegment> segments(4096);
  ASSERT_EQ(SIM_ParseDxfFile(path.c_str(), segments.data(), int32_t(segments.size()), &count), 0);
  ASSERT_GT(count, 0u);
  EXPECT_EQ(segments[count].start[0], 0.0f);
  EXPECT_EQ(segments[count].end[1], 0.0f) << "an all-zero segment closes the list";
  segments.resize(count);

  EXPECT_TRUE(has(segments, -3, -4, 7, -4)) << "the line";
  EXPECT_TRUE(has(segments, 100, 0, 100, 2)) << "the block's line, inserted at 100, 0, twice as long, turned 90 degrees";
  EXPECT_TRUE(has(segments, 20, 0, 30, 0) && has(segments, 30, 0, 30, 10) && has(segments, 30, 10, 20, 0))
      << "the polyline, closed";
  // Arcs: every chord's ends on the circle, its middle within tolerance.
  const OnCircle quarter = onCircle(segments, 50, 50, 10), circle = onCircle(segments, -50, 0, 5),
                 half = onCircle(segments, 5, 0, 5);
  for (const OnCircle& arc : {quarter, circle, half}) {
    EXPECT_GE(arc.count, 2u);
    EXPECT_LE(arc.sag, formats::kArcTolerance * 1.01);
  }
  EXPECT_GE(circle.count, 8u) << "at least one chord per 45 degrees";
  // The bulge of +1 runs counter-clockwise from (0, 0) to (10, 0): below.
  bool below = false, above = false;
  for (const SIM_DxfSegment& s : segments)
    if (onCircle({s}, 5, 0, 5).count) (s.start[1] < -1e-3 ? below : s.start[1] > 1e-3 ? above : below) = true;
  EXPECT_TRUE(below);
  EXPECT_FALSE(above);

  // One short of the segments plus one: nothing written.
  std::vector<SIM_DxfSegment> small(count, SIM_DxfSegment{{7, 7}, {7, 7}});
  EXPECT_EQ(SIM_ParseDxfFile(path.c_str(), small.data(), int32_t(count), &count), 2);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(small[0].start[0], 7.0f);
  EXPECT_EQ(SIM_ParseDxfFile(path.c_str(), nullptr, 0, &count), 2);
  EXPECT_EQ(SIM_ParseDxfFile(nullptr, small.data(), 1, &count), -1);
  EXPECT_EQ(SIM_ParseDxfFile(path.c_str(), small.data(), 1, nullptr), -1);
}

// Files that are not drawings, and a drawing cut short at every length.
TEST_F(DxfDrawing, DamagedFilesAreRefusedOrReadInPart) {
  uint32_t count = 5;
  std::vector<SIM_DxfSegment> segments(4096);
  EXPECT_EQ(SIM_ParseDxfFile("/nonexistent/drawing.dxf", segments.data(), 10, &count), 1);
  EXPECT_EQ(count, 0u);
  const std::string text = drawing();
  for (size_t length = 0; length < text.size(); length += 7) {
    write(text.substr(0, length));
    const int32_t result = SIM_ParseDxfFile(path_.c_str(), segments.data(), int32_t(segments.size()), &count);
    EXPECT_TRUE(result == 0 || result == 1) << length;
    for (uint32_t i = 0; i < count; ++i)
      EXPECT_TRUE(std::isfinite(segments[i].start[0]) && std::isfinite(segments[i].end[1])) << length;
  }
  write("this is not a drawing\n");
  EXPECT_NE(SIM_ParseDxfFile(path_.c_str(), segments.data(), int32_t(segments.size()), &count), 0);
  // Flags far beyond their 16 bits are no flags: the polyline stays open.
  write("0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n70\n1e94\n10\n0\n20\n0\n10\n5\n20\n0\n0\nENDSEC\n0\nEOF\n");
  EXPECT_EQ(SIM_ParseDxfFile(path_.c_str(), segments.data(), int32_t(segments.size()), &count), 0);
  EXPECT_EQ(count, 1u);
}

// Chords of an arc keep within the tolerance whatever the radius, and a
// huge radius is cut into a bounded number of chords.
TEST(DxfArcs, ChordsKeepWithinTheTolerance) {
  for (const double r : {0.005, 0.5, 5.0, 500.0, 1e9}) {
    const auto points = formats::arcPoints(0, 0, r, 0.3, -2.0);
    ASSERT_GE(points.size(), 2u);
    EXPECT_LE(points.size(), 4097u);
    EXPECT_NEAR(std::atan2(points.back()[1], points.back()[0]), 0.3 - 2.0, 1e-9);
    if (r < 1e6) {
      const double sag = r * (1 - std::cos(2.0 / (points.size() - 1) / 2));
      EXPECT_LE(sag, formats::kArcTolerance * 1.0001) << r;
    }
  }
}
