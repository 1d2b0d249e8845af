// The sample host's G-code reader: modal words, units and increments, arcs
// by centre and by radius in the three planes, and errors that name the
// file and line.
#include <gtest/gtest.h>

#include <cmath>

#include "GCodeReader.h"

using host::Motion;
using host::readGCode;

namespace {

std::string errorOf(const std::string& text, host::ReadOptions options = {}) {
  try {
    readGCode(text, "job.nc", options);
  } catch (const host::GCodeError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(GCodeReader, ModalWordsUnitsAndIncrements) {
  const host::Program p = readGCode(
      "%\n(a comment) N5 G21 G90\nT2 M6 ; change\nG0 X10 Y5 Z2\nS8000 M3\nN20 G1 Z-1 F200\nX20\n"
      "G91 Y10\nG20 G1 X1 F10\nM5\nG90 G0 Z1\nM30\nG0 X99\n",
      "job.nc");
  ASSERT_EQ(p.moves.size(), 6u) << "nothing is read after M30";
  ASSERT_EQ(p.toolChanges.size(), 1u);
  EXPECT_EQ(p.toolChanges[0].tool, 2);
  EXPECT_EQ(p.toolChanges[0].move, 0u);
  EXPECT_EQ(p.moves[0].motion, Motion::Rapid);
  EXPECT_EQ(p.moves[0].line, 4u);
  EXPECT_EQ(p.moves[0].spindle, 0.0);
  EXPECT_EQ(p.moves[1].motion, Motion::Linear);
  EXPECT_EQ(p.moves[1].feed, 200.0);
  EXPECT_EQ(p.moves[1].spindle, 8000.0);
  EXPECT_EQ(p.moves[2].motion, Motion::Linear) << "modal";
  EXPECT_DOUBLE_EQ(p.moves[2].end.x, 20.0);
  EXPECT_DOUBLE_EQ(p.moves[3].end.y, 15.0) << "incremental";
  EXPECT_DOUBLE_EQ(p.moves[4].end.x, 45.4) << "one inch more, incremental";
  EXPECT_DOUBLE_EQ(p.moves[4].feed, 254.0) << "inches per minute";
  EXPECT_EQ(p.moves[5].spindle, 0.0) << "after M5";
  EXPECT_DOUBLE_EQ(p.moves[5].end.z, 25.4) << "G20 still holds";
}

TEST(GCodeReader, ArcsByCentreAndByRadius) {
  // Quarter circles about (10, 0) from (20, 0): counter-clockwise to (10, 10).
  const host::Program p = readGCode(
      "G17 G0 X20 Y0\nG3 X10 Y10 I-10 J0 F100\nG0 X20 Y0\nG3 X10 Y10 R10\nG0 X20 Y0\nG2 X10 Y10 R-10\n"
      "G0 X20 Y0\nG2 X10 Y10 R10\nG0 X20 Y0\nG2 X20 Y0 I-10\n",
      "job.nc");
  auto centre = [&](size_t i) { return std::make_pair(p.moves[i].centre.x, p.moves[i].centre.y); };
  EXPECT_EQ(centre(1), std::make_pair(10.0, 0.0));
  EXPECT_NEAR(centre(3).first, 10.0, 1e-9);
  EXPECT_NEAR(centre(3).second, 0.0, 1e-9);
  EXPECT_NEAR(centre(5).first, 10.0, 1e-9) << "the long clockwise way round the same centre";
  EXPECT_NEAR(centre(5).second, 0.0, 1e-9);
  EXPECT_NEAR(centre(7).first, 20.0, 1e-9) << "the short clockwise way";
  EXPECT_NEAR(centre(7).second, 10.0, 1e-9);
  EXPECT_EQ(p.moves[9].motion, Motion::ArcClockwise) << "a full circle";
  EXPECT_EQ(p.moves[1].axis.z, 1.0);

  const host::Program zx = readGCode("G18 G0 X0 Z10\nG2 X10 Z0 I0 K-10 F100\nG19 G0 Y0 Z10\nG3 Y10 Z0 J0 K-10\n", "job.nc");
  EXPECT_EQ(zx.moves[1].axis.y, 1.0);
  EXPECT_DOUBLE_EQ(zx.moves[1].centre.z, 0.0);
  EXPECT_DOUBLE_EQ(zx.moves[1].centre.x, 0.0);
  EXPECT_EQ(zx.moves[3].axis.x, 1.0);
  EXPECT_DOUBLE_EQ(zx.moves[3].centre.y, 0.0);
}

TEST(GCodeReader, ErrorsNameTheFileAndLine) {
  EXPECT_EQ(errorOf("G0 X1\nG1 X2\n"), "job.nc:2: feed move without a feed rate (F)");
  EXPECT_EQ(errorOf("G0 X1\nQ5\n"), "job.nc:2: unsupported word Q");
  EXPECT_EQ(errorOf("G81 X1 Y1 Z-1 R1\n"), "job.nc:1: unsupported G81");
  EXPECT_EQ(errorOf("G0 X0 Y0\nG2 X10 Y0 I4 F100\n"), "job.nc:2: arc radius differs at start (4) and end (6)");
  EXPECT_EQ(errorOf("G0 X0 Y0\nG2 X30 Y0 R10 F100\n"), "job.nc:2: arc radius 10 is shorter than half the chord");
  EXPECT_EQ(errorOf("M6\n"), "job.nc:1: M6 without a tool selected by T");
  EXPECT_EQ(errorOf("X5\n"), "job.nc:1: axis words before any G0, G1, G2 or G3");
  EXPECT_EQ(errorOf("G0 X1 (open\n"), "job.nc:1: comment without ')'");
  EXPECT_EQ(errorOf("G0 X\n"), "job.nc:1: word X has no number");
  EXPECT_EQ(errorOf("G0 X1 X2\n"), "job.nc:1: word X twice in one block");
  EXPECT_EQ(errorOf("G1 X1 F-5\n"), "job.nc:1: feed rate must be positive");
  EXPECT_EQ(errorOf("G0 X1 #\n"), "job.nc:1: unexpected character '#'");
  EXPECT_EQ(errorOf("G0 G1 X1 F100\n"), "job.nc:1: two motion codes in one block");
  EXPECT_EQ(errorOf("T3000000000 M6\n"), "job.nc:1: tool number must be a whole number up to 99999");
  EXPECT_EQ(errorOf("G0 X0 Y0\nG2 X20 Y0 I10.008 F100\n").substr(0, 40), "job.nc:2: arc radius differs at start (1")
      << "more than the view draws as an arc";
  EXPECT_EQ(errorOf("G0 X" + std::string(400, '9') + "\n"), "job.nc:1: word X has no number") << "too large";
  EXPECT_THROW(host::readGCodeFile("/nonexistent/job.nc"), host::GCodeError);
  EXPECT_EQ(errorOf("G0 X1\no100 sub\n"), "job.nc:2: O-word subroutines, loops and conditions are not read");
  EXPECT_EQ(errorOf(std::string("G0 X1 \0 Y2\n", 12)), "job.nc:1: unexpected character byte 0x00");
}

TEST(GCodeReader, LineEndsAndPercentLines) {
  // Lone CRs and CR LF end lines as LF does, and count once each.
  for (const char* ends : {"\n", "\r", "\r\n"}) {
    const std::string e = ends;
    const host::Program p = readGCode("G0 X1" + e + "G1 X2 F100" + e + "G0 Y3" + e, "job.nc");
    ASSERT_EQ(p.moves.size(), 3u) << "line end " << int(e[0]);
    EXPECT_EQ(p.moves[2].line, 3u);
  }
  // What follows the closing '%' is not part of the program.
  const host::Program p = readGCode("%\nG0 X1\n%\nG0 X9 garbage\n", "job.nc");
  ASSERT_EQ(p.moves.size(), 1u);
  EXPECT_EQ(p.moves[0].end.x, 1.0);
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
// speed, and T words that change the tool at once.
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
      "T0202 M6\n"
      "T0202\n"
      "T0\n"
      "G8 G1 X3\n",               // 8
      "job.nc", {true});
  EXPECT_TRUE(p.lathe);
  ASSERT_EQ(p.moves.size(), 9u);
  const std::vector<std::pair<int, size_t>> changes{{1, 0}, {2, 8}};
  ASSERT_EQ(p.toolChanges.size(), changes.size()) << "M6 and the same T again add none";
  for (size_t k = 0; k < changes.size(); ++k) {
    EXPECT_EQ(p.toolChanges[k].tool, changes[k].first);
    EXPECT_EQ(p.toolChanges[k].move, changes[k].second);
  }
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
      {"T12345\n", "job.nc:1: a lathe's T has at most four digits (tool and offset)"},
      {"G95 G1 X1 F0.1\n", "job.nc:1: feed per revolution (G95) while the spindle stands"},
      {"G96 D100\n", "job.nc:1: G96 without S (the surface speed)"},
      {"G96 S100 D0\n", "job.nc:1: G96's D (the highest speed) must be positive"},
      {"G96 S100 M3\nG1 Z1 F100\n", "job.nc:2: G96 without D (the highest speed) for a move on the axis"},
      {"G0 X1 D5\n", "job.nc:1: word D without G96"},
      {"G0 X1 P5\n", "job.nc:1: word P without G4 or G64"},
      {"G7 G0 X0 Z0\nG3 X4 Z-2 I1 F1\n", "job.nc:2: arc radius differs at start (1) and end (2.23607)"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(errorOf(text, {true}), message) << text;

  // G97 without S keeps the speed G96 last turned at, for feeds per turn.
  const host::Program kept = readGCode("G96 S100 D2000 M3\nG0 X10 Z1\nG97\nG95 G1 X5 F0.1\n", "job.nc", {true});
  ASSERT_EQ(kept.moves.size(), 2u);
  EXPECT_NEAR(kept.moves[1].spindle, css, 1e-9);
  EXPECT_NEAR(kept.moves[1].feed, 0.1 * css, 1e-9);
  EXPECT_EQ(errorOf("G7 G0 X1\n"), "job.nc:1: G7 is a lathe code (read the program as a lathe's)") << "a mill's";
}

// The pawn test program in radius mode and its twin in diameter mode read
// to the same moves.
TEST(GCodeReader, ARealLatheProgramInBothModes) {
  const host::Program radius = host::readGCodeFile(KORVANE_TEST_DATA "/lathe_pawn.ngc", {true});
  const host::Program diameter = host::readGCodeFile(KORVANE_TEST_DATA "/lathe_pawn_g7.ngc", {true});
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
