// The sample host's programs: what the interpreter makes of G-code, turned
// into moves the view draws (whole turns and spirals in pieces), tools in
// the spindle, lathe turrets, messages, and errors that name the place.
#include <gtest/gtest.h>

#include <cmath>

#include "GCodeReader.h"

using host::Motion;
using host::readGCode;

namespace {

const host::ReadOptions kLathe{true, {}, 0};

std::string errorOf(const std::string& text, const host::ReadOptions& options = {}) {
  try {
    readGCode(text, "job.nc", options);
  } catch (const host::GCodeError& e) {
    return e.what();
  }
  return "no error";
}

// The distance of p from the axis through c along the plane's normal.
double radiusAbout(const host::Point& p, const host::Point& c) { return std::hypot(p.x - c.x, p.y - c.y); }

}  // namespace

TEST(GCodeReader, WholeTurnsAndSpiralsInPieces) {
  // A full circle, three turns of a helix down 3 mm, and an arc whose
  // radius grows from 10 to 10.04 (LinuxCNC moves along a spiral).
  const host::Program p = readGCode(
      "T1 M6\nG0 X20 Y0 Z0\nG2 X20 Y0 I-10 J0 F100\nG3 X20 Y0 Z-3 I-10 J0 P3\nG3 X10 Y10.04 I-10 J0\n", "job.nc");
  ASSERT_GE(p.moves.size(), 1u + 2 + 6 + 2);
  const host::Point centre{10, 0, 0};
  // The circle: two clockwise halves through (0, 0).
  EXPECT_EQ(p.moves[1].motion, Motion::ArcClockwise);
  EXPECT_NEAR(p.moves[1].end.x, 0, 1e-9);
  EXPECT_NEAR(p.moves[1].end.y, 0, 1e-9);
  EXPECT_NEAR(p.moves[2].end.x, 20, 1e-9);
  // The helix: six halves, each a third of a millimetre lower about a
  // centre at its own start's height.
  for (size_t k = 0; k < 6; ++k) {
    const host::ProgramMove& half = p.moves[3 + k];
    EXPECT_EQ(half.motion, Motion::ArcCounterClockwise) << k;
    EXPECT_NEAR(half.end.z, -0.5 * double(k + 1), 1e-9) << k;
    EXPECT_NEAR(half.centre.z, -0.5 * double(k), 1e-9) << k;
    EXPECT_NEAR(radiusAbout(half.end, centre), 10, 1e-9) << k;
    EXPECT_EQ(half.line, 4u);
  }
  // The spiral: chords whose ends lie on it, a quarter turn in all, the
  // last at the program's own end point.
  double previousAngle = 0;
  for (size_t i = 9; i < p.moves.size(); ++i) {
    const host::ProgramMove& chord = p.moves[i];
    EXPECT_EQ(chord.motion, Motion::Linear);
    const double angle = std::atan2(chord.end.y, chord.end.x - 10);
    EXPECT_GT(angle, previousAngle) << "counter-clockwise";
    EXPECT_NEAR(radiusAbout(chord.end, centre), 10 + 0.04 * angle / (M_PI / 2), 1e-9);
    previousAngle = angle;
  }
  EXPECT_NEAR(p.moves.back().end.x, 10, 1e-12);
  EXPECT_NEAR(p.moves.back().end.y, 10.04, 1e-12);
  // Chords 1 µm from the arc at 10 mm are some 1.8° apart.
  EXPECT_NEAR(double(p.moves.size() - 9), 90 / 1.62, 10);
}

TEST(GCodeReader, ToolsStopsRotaryAxesAndMessages) {
  host::ReadOptions one;
  one.toolInSpindle = 3;
  const host::Program p = readGCode(
      "G1 X1 F100\nT3 M6\nT5\nG0 X2 A90\nM1\nT5 M6\n(MSG, cutting)\nG1 X3\nM100\n", "job.nc", one);
  ASSERT_EQ(p.moves.size(), 3u);
  ASSERT_EQ(p.toolChanges.size(), 2u) << "the tool in the spindle, then T5; T3 M6 changes nothing, T5 selects";
  EXPECT_EQ(p.toolChanges[0].tool, 3);
  EXPECT_EQ(p.toolChanges[0].move, 0u);
  EXPECT_EQ(p.toolChanges[1].tool, 5);
  EXPECT_EQ(p.toolChanges[1].move, 2u);
  EXPECT_EQ(p.moves[0].tool, 3);
  EXPECT_EQ(p.moves[2].tool, 5);
  EXPECT_NEAR(p.moves[1].rotary.x, M_PI / 2, 1e-12) << "degrees in, radians out";
  EXPECT_EQ(p.optionalStops, (std::vector<size_t>{2}));
  EXPECT_EQ(p.messages, (std::vector<std::string>{"job.nc:7:  cutting", "job.nc:9: warning: M100 (a user code) is ignored"}));
  EXPECT_EQ(readGCode("G1 X1 F100\n", "job.nc").moves[0].tool, 0) << "no tool without one in the spindle";

  // A lathe's T changes the tool at once: T0101 is tool 1, T0 none.
  const host::Program lathe = readGCode("T0101\nG0 X12 Z2\nT0\nT0202\nG1 Z-10 F50\nT0202 M6\n", "job.nc", kLathe);
  ASSERT_EQ(lathe.toolChanges.size(), 2u);
  EXPECT_EQ(lathe.toolChanges[0].tool, 1);
  EXPECT_EQ(lathe.toolChanges[1].tool, 2);
  EXPECT_EQ(lathe.toolChanges[1].move, 1u);
  EXPECT_EQ(lathe.moves[1].tool, 2);

  EXPECT_EQ(errorOf("G0 X1\nG1 X2\n"), "job.nc:2:1: a feed move without a feed rate (F)");
  EXPECT_THROW(host::readGCodeFile("/nonexistent/job.nc"), host::GCodeError);
}

TEST(GCodeReader, ARealProgram) {
  const host::Program bear = host::readGCodeFile(KORVANE_TEST_DATA "/bear.nc");
  EXPECT_EQ(bear.moves.size(), 15159u);
  ASSERT_EQ(bear.toolChanges.size(), 1u);
  EXPECT_EQ(bear.toolChanges[0].tool, 1);
  double low = 0, lastFeed = 0;
  for (const host::ProgramMove& m : bear.moves) {
    low = std::min(low, m.end.z);
    if (m.motion == Motion::Linear) lastFeed = m.feed;
    EXPECT_GE(m.end.x, 0.0);
    EXPECT_LE(m.end.x, 80.0);
  }
  EXPECT_NEAR(low, -17.4, 0.1);
  EXPECT_EQ(lastFeed, 6000.0);
}

// A lathe program: radius and diameter mode, feed per revolution, surface
// speed at the larger of a move's radii, D capping it.
TEST(GCodeReader, LathePrograms) {
  const double pi = std::acos(-1.0);
  const host::Program p = readGCode(
      "G18 G8 G21 G64 P0.01\n"
      "T0101\n"
      "G97 S1000 M3\n"
      "G0 X10 Z2\n"               // 0: radius 10
      "G7 G1 X10 Z0 F100\n"       // 1: diameter 10
      "G91 X-2\n"                 // 2: two less in diameter
      "G90 G8 G95 X6 F0.1\n"      // 3: radius 6, 0.1 mm a turn at 1000 rpm
      "G96 S100 D2000\n"
      "X10 Z-5\n"                 // 4: 100 m/min at radius 10
      "G7 G0 X4 Z0\n"             // 5: the larger radius, where it starts
      "G3 X0 Z-2 I-2 K0 F0.05\n"  // 6: I stays a radius; D caps the speed
      "G1 Z-4\n"                  // 7: on the axis: D
      "G8 G1 X3\n",               // 8
      "job.nc", kLathe);
  EXPECT_TRUE(p.lathe);
  ASSERT_EQ(p.moves.size(), 9u);
  const double css = 100000 / (2 * pi * 10);
  struct Expected {
    double x, z, feed, spindle;
  };
  const std::vector<Expected> expected{{10, 2, 0, 1000},         {5, 0, 100, 1000},
                                       {4, 0, 100, 1000},        {6, 0, 100, 1000},
                                       {10, -5, 0.1 * css, css}, {2, 0, 0, css},
                                       {0, -2, 0.05 * 2000, 2000}, {0, -4, 0.05 * 2000, 2000},
                                       {3, -4, 0.05 * 2000, 2000}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(p.moves[i].end.x, expected[i].x, 1e-9) << "move " << i;
    EXPECT_NEAR(p.moves[i].end.z, expected[i].z, 1e-9) << "move " << i;
    EXPECT_NEAR(p.moves[i].feed, expected[i].feed, 1e-9) << "move " << i;
    EXPECT_NEAR(p.moves[i].spindle, expected[i].spindle, 1e-9) << "move " << i;
  }
  EXPECT_NEAR(p.moves[6].centre.x, 0.0, 1e-12);
  EXPECT_NEAR(p.moves[6].centre.z, 0.0, 1e-12);
  // The tool waits where the first move takes it, not on the work's face;
  // a mill's program starts at the origin.
  EXPECT_NEAR(p.start.x, 10, 1e-12);
  EXPECT_NEAR(p.start.z, 2, 1e-12);
  EXPECT_EQ(readGCode("G0 X10 Z2\n", "job.nc").start.x, 0.0);

  const std::vector<std::pair<std::string, std::string>> errors{
      {"G95 G1 X1 F0.1\n", "job.nc:1:1: feed per revolution (G95) while the spindle stands"},
      {"G96 D100\n", "job.nc:1:1: G96 without S (the surface speed)"},
      {"G96 S100 D0\n", "job.nc:1:10: G96's D (the highest speed) must be positive"},
      {"G96 S100 M3\nG95 G1 Z1 F0.1\n", "job.nc:2:1: G96 without D (the highest speed) for a feed per revolution on the axis"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(errorOf(text, kLathe), message) << text;

  // G97 without S keeps the speed G96 last turned at, for feeds per turn.
  const host::Program kept = readGCode("G96 S100 D2000 M3\nG0 X10 Z1\nG97\nG95 G1 X5 F0.1\n", "job.nc", kLathe);
  ASSERT_EQ(kept.moves.size(), 2u);
  EXPECT_NEAR(kept.moves[1].spindle, css, 1e-9);
  EXPECT_NEAR(kept.moves[1].feed, 0.1 * css, 1e-9);
}

// The pawn test program in radius mode and its twin in diameter mode read
// to the same moves.
TEST(GCodeReader, ARealLatheProgramInBothModes) {
  const host::Program radius = host::readGCodeFile(KORVANE_TEST_DATA "/lathe_pawn.ngc", kLathe);
  const host::Program diameter = host::readGCodeFile(KORVANE_TEST_DATA "/lathe_pawn_g7.ngc", kLathe);
  ASSERT_GT(radius.moves.size(), 100u);
  ASSERT_EQ(radius.moves.size(), diameter.moves.size());
  EXPECT_TRUE(radius.toolChanges.empty()) << "the pawn names no tool";
  double largest = 0;
  for (size_t i = 0; i < radius.moves.size(); ++i) {
    const host::ProgramMove &a = radius.moves[i], &b = diameter.moves[i];
    EXPECT_EQ(a.motion, b.motion) << i;
    EXPECT_NEAR(a.end.x, b.end.x, 1e-9) << i;
    EXPECT_NEAR(a.end.z, b.end.z, 1e-9) << i;
    EXPECT_NEAR(a.centre.x, b.centre.x, 1e-9) << i;
    EXPECT_NEAR(a.centre.z, b.centre.z, 1e-9) << i;
    EXPECT_EQ(a.end.y, 0.0);
    largest = std::max(largest, std::abs(a.end.x));
  }
  EXPECT_DOUBLE_EQ(largest, 15.0) << "the last retract";
}
