// The sample host's G-code reader: modal words, units and increments, arcs
// by centre and by radius in the three planes, and errors that name the
// file and line.
#include <gtest/gtest.h>

#include <cmath>

#include "GCodeReader.h"

using host::Motion;
using host::readGCode;

namespace {

std::string errorOf(const std::string& text) {
  try {
    readGCode(text, "job.nc");
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
