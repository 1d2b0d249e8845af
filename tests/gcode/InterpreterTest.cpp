// Programs with hand-computed moves: motion and arcs, units and offsets,
// every O-word form with parameters scoped across calls, messages, and
// errors that name file, line and column, loops without end stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include <korvane/KorvaneGCode.h>

namespace {

using namespace korvane::gcode;

Program run(const std::string& text, const Options& options = {}) { return interpret(text, "test.ngc", options); }

std::string errorOf(const std::string& text, const Options& options = {}) {
  try {
    run(text, options);
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

void expectEnd(const Move& m, double x, double y, double z, const std::string& what) {
  EXPECT_NEAR(m.end.x, x, 1e-9) << what;
  EXPECT_NEAR(m.end.y, y, 1e-9) << what;
  EXPECT_NEAR(m.end.z, z, 1e-9) << what;
}

TEST(GCodeInterpreter, MovesUnitsAndOffsets) {
  const Program p = run(
      "G21 G90 G17\n"
      "G0 X10 Y5 Z2\n"
      "G1 Z-1 F100\n"
      "G91 G1 X5\n"                     // incremental
      "G90 G20 G1 X1 F10\n"             // inches: 25.4 mm at 254 mm/min
      "G21 G10 L2 P2 X100 Y200\n"       // G55's offsets
      "G55 G0 X1 Y1\n"
      "G92 X0 Y0\n"                     // here is now 0, 0
      "G0 X2\n"
      "G92.1 G54 G0 X3 Y4\n"
      "G53 G0 Z50\n"
      "M30\n");
  ASSERT_EQ(p.moves.size(), 8u);
  expectEnd(p.moves[0], 10, 5, 2, "rapid");
  EXPECT_EQ(p.moves[0].motion, Motion::Rapid);
  EXPECT_EQ(p.moves[1].feed, 100);
  expectEnd(p.moves[2], 15, 5, -1, "incremental");
  expectEnd(p.moves[3], 25.4, 5, -1, "inches");
  EXPECT_NEAR(p.moves[3].feed, 254, 1e-9);
  expectEnd(p.moves[4], 101, 201, -1, "G55");
  expectEnd(p.moves[5], 103, 201, -1, "G92");
  expectEnd(p.moves[6], 3, 4, -1, "back in G54, G92 gone");
  expectEnd(p.moves[7], 3, 4, 50, "machine coordinates");
  EXPECT_TRUE(p.ended);
  EXPECT_EQ(p.moves[3].line, 5u);
}

TEST(GCodeInterpreter, ArcsByCentreRadiusTurnsAndHelix) {
  const Program p = run(
      "G17 G0 X0 Y0 Z0\n"
      "G2 X10 Y0 R5 F100\n"              // a half circle, centre between
      "G2 X0 Y0 R-5\n"
      "G3 X10 Y0 I5 J0 Z-2 P2\n"         // two turns' helix
      "G0 X0 Y0\n"
      "G2 X10 Y0 R10\n"                  // the shorter arc: centre below the chord
      "G3 X20.03 Y0 I5 J0\n"             // the radius differs by 0.03: accepted
      "G18 G2 X10 Z10 R-10\n");          // in ZX
  ASSERT_EQ(p.moves.size(), 8u);
  EXPECT_NEAR(p.moves[1].centre.x, 5, 1e-9);
  EXPECT_EQ(p.moves[1].motion, Motion::ArcClockwise);
  EXPECT_EQ(p.moves[3].turns, 1);
  EXPECT_NEAR(p.moves[3].end.z, -2, 1e-9);
  EXPECT_NEAR(p.moves[3].feed, 100, 1e-9);
  EXPECT_NEAR(p.moves[5].centre.y, -std::sqrt(75.0), 1e-9);
  EXPECT_NEAR(p.moves[6].end.x, 20.03, 1e-9);
  EXPECT_EQ(p.moves[7].axis.y, 1.0) << "G18 arcs are seen from +Y";
  EXPECT_EQ(errorOf("G0 X0 Y0\nG2 X10 Y0 I5 J0.5 F1\n"), "no error") << "a centre on the chord's bisector";
  EXPECT_EQ(errorOf("G0 X0 Y0\nG2 X10.2 Y0 I5 F1\n"), "test.ngc:2:1: the arc's radius is 5 at its start and 5.2 at its end");
  EXPECT_EQ(errorOf("G0 X0 Y0\nG2 X10 Y0 R4 F1\n"), "test.ngc:2:11: R is too small for the arc's chord");
  EXPECT_EQ(errorOf("G1 X1\n"), "test.ngc:1:1: a feed move without a feed rate (F)");

  // Probes reach their targets; a thread feeds its pitch per revolution,
  // a rigid tap comes back.
  const Program t = run("G0 X0 Y0 Z5\nG38.2 Z-10 F50\nS200 M3\nG33 Z-20 K1.5\nG0 Z0\nG33.1 Z-8 K1\n");
  ASSERT_EQ(t.moves.size(), 6u);
  EXPECT_EQ(t.moves[1].end.z, -10);
  EXPECT_EQ(t.moves[2].feed, 300);
  EXPECT_EQ(t.moves[4].end.z, -8);
  EXPECT_EQ(t.moves[5].end.z, 0);
  EXPECT_EQ(t.moves[5].feed, 200);
  EXPECT_EQ(errorOf("G33 Z-2 K1\n"), "test.ngc:1:1: a thread with the spindle stopped");
}

// The drill's levels, hole by hole: each cycle as its moves along Z.
std::string levels(const Program& p, size_t from = 0) {
  std::string out;
  for (size_t i = from; i < p.moves.size(); ++i) {
    const Move& m = p.moves[i];
    char text[64];
    std::snprintf(text, sizeof text, "%s%g,%g,%g ", m.motion == Motion::Rapid ? "r" : "f", m.end.x, m.end.y, m.end.z);
    out += text;
  }
  return out;
}

TEST(GCodeInterpreter, CannedCyclesInAbsoluteAndIncrementalWithBothRetracts) {
  const struct {
    const char* program;
    const char* moves;
  } cases[] = {
      {"G0 X0 Y0 Z10\nG98 G81 X1 Y2 Z-3 R2 F100\nX4\nG80\n",
       "r1,2,10 r1,2,2 f1,2,-3 r1,2,10 r4,2,10 r4,2,2 f4,2,-3 r4,2,10 "},
      {"G0 X0 Y0 Z10\nG99 G81 X1 Y2 Z-3 R2 F100\nX4\n",
       "r1,2,10 r1,2,2 f1,2,-3 r1,2,2 r4,2,2 r4,2,2 f4,2,-3 r4,2,2 "},
      // Incremental: R from the start, Z from R, L holes 2 apart.
      {"G0 X0 Y0 Z10\nG91 G99 G81 X2 Z-5 R-8 L3 F100\n",
       "r2,0,10 r2,0,2 f2,0,-3 r2,0,2 r4,0,2 r4,0,2 f4,0,-3 r4,0,2 r6,0,2 r6,0,2 f6,0,-3 r6,0,2 "},
      // Below R, the cycle first rises to it.
      {"G0 X0 Y0 Z0\nG99 G82 X1 Z-3 R2 P0.5 F100\n", "r0,0,2 r1,0,2 r1,0,2 f1,0,-3 r1,0,2 "},
      // Pecks of 2 back to R, then down to 0.254 above the last depth.
      {"G0 X0 Y0 Z5\nG99 G83 X1 Z-3 R1 Q2 F100\n",
       "r1,0,5 r1,0,1 f1,0,-1 r1,0,1 r1,0,-0.746 f1,0,-3 r1,0,1 "},
      // Chip breaking: back 0.254 only.
      {"G0 X0 Y0 Z5\nG99 G73 X1 Z-3 R1 Q2 F100\n", "r1,0,5 r1,0,1 f1,0,-1 r1,0,-0.746 f1,0,-3 r1,0,1 "},
      // Boring out at the feed.
      {"G0 X0 Y0 Z5\nG98 G85 X1 Z-3 R1 F100\n", "r1,0,5 r1,0,1 f1,0,-3 f1,0,1 r1,0,5 "},
      // Polar holes: six about the origin, 60 degrees apart in G91.
      {"G0 X2 Y0 Z5\nG91 G98 G81 R-4 Z-2 ^60 L2 F10\n",
       "r1,1.73205,5 r1,1.73205,1 f1,1.73205,-1 r1,1.73205,5 r-1,1.73205,5 r-1,1.73205,1 f-1,1.73205,-1 r-1,1.73205,5 "},
  };
  for (const auto& c : cases) EXPECT_EQ(levels(run(c.program), 1), c.moves) << c.program;
  EXPECT_EQ(errorOf("G0 Z5\nG81 X1 Z-3 F100\n"), "test.ngc:2:1: a canned cycle needs R");
  EXPECT_EQ(errorOf("G0 Z5\nG81 X1 R1 F100\n"), "test.ngc:2:1: a canned cycle needs R and its depth");
  EXPECT_EQ(errorOf("G0 Z5\nG83 X1 Z-3 R1 F100\n"), "test.ngc:2:1: a pecking cycle needs Q");
  EXPECT_EQ(errorOf("G0 Z5\nG81 X1 Z3 R1 F100\n"), "test.ngc:2:1: a canned cycle's depth lies above its R plane");
  EXPECT_EQ(errorOf("G0 Z5\nG81 X1 Z-3 R1 F100\nG80 X2\n"), "test.ngc:3:1: axis words without a motion (G80 is in force)");
}

TEST(GCodeInterpreter, EveryOWordForm) {
  const Program p = run(
      "o<twice> sub\n"
      "  #<local> = [#1 * 2]\n"
      "  #<_seen> = #<local>\n"
      "  o<twice> return [#<local>]\n"
      "o<twice> endsub\n"
      "#<local> = 7\n"
      "o<twice> call [21]\n"
      "G0 X#<_value> Y#<local>\n"              // 42, and the caller's own 7
      "#1 = 0\n"
      "o1 while [#1 lt 3]\n"
      "  #1 = [#1 + 1]\n"
      "  o2 if [#1 eq 2]\n"
      "    o1 continue\n"
      "  o2 endif\n"
      "  G0 X#1\n"                             // 1 and 3
      "o1 endwhile\n"
      "o3 do\n"
      "  G0 Y#1\n"                             // 3, once
      "o3 while [#1 lt 3]\n"
      "o4 repeat [5]\n"
      "  #1 = [#1 + 1]\n"
      "  o5 if [#1 gt 5]\n"
      "    o4 break\n"
      "  o5 elseif [#1 eq 5]\n"
      "    G0 Z5\n"
      "  o5 else\n"
      "    G0 Z#1\n"                           // 4
      "  o5 endif\n"
      "o4 endrepeat\n"
      "G0 X[#<_seen>]\n");
  std::vector<double> xs, ys, zs;
  for (const Move& m : p.moves) xs.push_back(m.end.x), ys.push_back(m.end.y), zs.push_back(m.end.z);
  ASSERT_EQ(p.moves.size(), 7u);
  EXPECT_EQ(xs[0], 42);
  EXPECT_EQ(ys[0], 7);
  EXPECT_EQ(xs[1], 1);
  EXPECT_EQ(xs[2], 3);
  EXPECT_EQ(ys[3], 3);
  EXPECT_EQ(zs[4], 4);
  EXPECT_EQ(zs[5], 5);
  EXPECT_EQ(xs[6], 42);
}

TEST(GCodeInterpreter, SubroutineFilesMessagesAndErrors) {
  Options options;
  options.readFile = [](const std::string& path) -> std::optional<std::string> {
    if (path == "./hole.ngc") return std::string("o<hole> sub\nG0 X#1\no<hole> endsub\n");
    return std::nullopt;
  };
  const Program p = run("o<hole> call [4]\n(PRINT, at #<_x>)\n(MSG, done)\nM100\n", options);
  ASSERT_EQ(p.moves.size(), 1u);
  EXPECT_EQ(p.moves[0].end.x, 4);
  EXPECT_EQ(p.moves[0].file, 1u);
  ASSERT_EQ(p.files.size(), 2u);
  ASSERT_EQ(p.messages.size(), 3u);
  EXPECT_EQ(p.messages[0].text, " at 4");
  EXPECT_EQ(p.messages[1].text, " done");
  EXPECT_EQ(p.messages[2].kind, Message::Kind::Warning);

  Options small;
  small.blockLimit = 1000;
  EXPECT_EQ(errorOf("o1 while [1]\no1 endwhile\n", small),
            "test.ngc:1:1: the program ran past 1000 blocks (a loop without end?)");
  EXPECT_EQ(errorOf("o<r> sub\no<r> call\no<r> endsub\no<r> call\n"),
            "test.ngc:2:1: subroutines call each other deeper than 100");
  EXPECT_EQ(errorOf("G1 X1 F10\nG87 X1\n"), "test.ngc:2:1: G87 is not supported yet");
  EXPECT_EQ(errorOf("G1 X1 F10\nG6 X1\n"), "test.ngc:2:1: unknown G code G6");
  EXPECT_EQ(errorOf("G0 G1 X1\n"), "test.ngc:1:4: two G codes of one modal group on one line");
  EXPECT_EQ(errorOf("o<nowhere> call\n"), "test.ngc:1:1: no subroutine o<nowhere>");
  EXPECT_EQ(errorOf("o1 if [0]\n"), "test.ngc:1:1: o1 if has no endif");
  EXPECT_EQ(errorOf("G0 X[1/0]\n"), "test.ngc:1:7: division by zero");
  EXPECT_EQ(errorOf("G0 X1" + std::string(400, '0') + "\n"), "test.ngc:1:5: the number is not a finite number");
  EXPECT_EQ(errorOf("%\nG0 X1\n%\nthis is not G-code\n"), "no error") << "nothing after the closing %";
}

// The read-only values a program reads are the state where it reads them.
TEST(GCodeInterpreter, PublishedValuesFollowTheState) {
  struct Case {
    const char* program;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {"G0 X15\nG10 L20 P1 X5\n", "#<_x>", "5"},
      {"G0 X15\n", "#5420", "15"},
      {"G20 G0 X1\n", "#<_x>", "1"},
      {"G20 G0 X1\nG21\n", "#<_x>", "25.4"},
      {"G59.1\n", "#<_coord_system>", "591"},
      {"G56\n", "#<_coord_system>", "560"},
      {"G59\n", "#5220", "6"},
      {"T3 M6\nT4\n", "#<_current_tool>", "3"},
      {"T3 M6\nT4\n", "#<_selected_tool>", "4"},
      {"T3 M6\n", "#5400", "3"},
      {"G91\n", "#<_incremental>", "1"},
      {"M3 S1200 M8\n", "#<_spindle_on>", "1"},
      {"M3 S1200 M8\n", "#<_rpm>", "1200"},
      {"M3 S1200 M8\n", "#<_flood>", "1"},
      {"G7\n", "#<_lathe_diameter_mode>", "1"},
      {"o<f> sub\no<f> return [6]\no<f> endsub\no<f> call\n", "#<_value>", "6"},
      {"o<f> sub\no<f> return [6]\no<f> endsub\no<f> call\n", "#<_value_returned>", "1"},
      {"\n\n", "#<_line>", "3"},
      {"G38.3 X5 F100\n", "#5061", "5"},
      {"G38.3 X5 F100\n", "#5070", "0"},
      {"G38.5 X5 F100\n", "#5070", "1"},
  };
  for (const Case& c : cases) {
    const Program p = run(std::string(c.program) + "(DEBUG," + c.value + ")\n");
    ASSERT_EQ(p.messages.size(), 1u) << c.program;
    EXPECT_EQ(p.messages[0].text, c.expected) << c.program << " " << c.value;
  }
  EXPECT_EQ(errorOf("#<_x> = 1\n"), "test.ngc:1:1: #<_x> is read-only");
  EXPECT_EQ(errorOf("#5420 = 1\n"), "test.ngc:1:1: parameter #5420 is read-only");
}

// A lathe starts in XZ and its T words change the tool at once.
TEST(GCodeInterpreter, ALatheTurretChangesAtTheTWord) {
  Options lathe;
  lathe.lathe = true;
  const Program p = run("T2\nG0 X10 Z2\nG2 X10 Z-8 R5 F50\n", lathe);
  ASSERT_EQ(p.toolChanges.size(), 1u);
  EXPECT_EQ(p.toolChanges[0].tool, 2);
  EXPECT_EQ(p.toolChanges[0].move, 0u);
  ASSERT_EQ(p.moves.size(), 2u);
  EXPECT_EQ(p.moves[1].axis.y, 1) << "the arc turns in XZ";
  EXPECT_EQ(p.moves[1].tool, 2);
  EXPECT_TRUE(run("T2\n").toolChanges.empty()) << "a mill's T only selects";
}

// The largest distance of a chord's middle from the curve y = f(x).
template <class F>
double largestStray(const Program& p, size_t end, double x0, double y0, F f) {
  double worst = 0;
  for (size_t i = 0; i < std::min(end, p.moves.size()); ++i) {
    const double mx = (x0 + p.moves[i].end.x) / 2, my = (y0 + p.moves[i].end.y) / 2;
    worst = std::max(worst, std::abs(my - f(mx)));
    x0 = p.moves[i].end.x, y0 = p.moves[i].end.y;
  }
  return worst;
}

// Splines and NURBS come out as chords whose ends lie on the curve and
// whose middles stray from it by no more than the tolerance.
TEST(GCodeInterpreter, SplinesAsChordsWithinTheTolerance) {
  // G5.1 from (0, 0) to (2, 0) about (1, 1): y = x - x²/2.
  const auto parabola = [](double x) { return x - x * x / 2; };
  const Program q = run("G1 F100\nG5.1 X2 Y0 I1 J1\n");
  ASSERT_GT(q.moves.size(), 8u);
  for (const Move& m : q.moves) EXPECT_NEAR(m.end.y, parabola(m.end.x), 1e-12);
  EXPECT_EQ(q.moves.back().end.x, 2);
  EXPECT_LE(largestStray(q, q.moves.size(), 0, 0, parabola), 0.001 + 1e-9);
  Options coarse;
  coarse.splineTolerance = 0.1;
  EXPECT_LT(run("G1 F100\nG5.1 X2 Y0 I1 J1\n", coarse).moves.size(), q.moves.size()) << "a looser tolerance, fewer chords";

  // G5 from (0, 0) to (3, 0), controls (1, 1) and (2, 1): x = 3t,
  // y = 3t(1 - t). The next G5 without I J leaves along the same tangent:
  // from (3, 0) towards (4, -1).
  const Program c = run("G1 F100\nG5 X3 Y0 I1 J1 P-1 Q1\nG5 X6 Y0 P-1 Q-1\n");
  size_t second = 0;
  while (second < c.moves.size() && c.moves[second].line == 2) ++second;
  ASSERT_LT(second, c.moves.size());
  EXPECT_LE(largestStray(c, second, 0, 0, [](double x) { return x - x * x / 3; }), 0.001 + 1e-9);
  EXPECT_NEAR(c.moves[second - 1].end.x, 3, 1e-12);
  const Move& leaving = c.moves[second];
  EXPECT_NEAR((leaving.end.y - 0) / (leaving.end.x - 3), -1, 0.05) << "a short chord, near the tangent";
  EXPECT_NEAR(c.moves.back().end.x, 6, 1e-12);

  // A NURBS of order 2 is its control polygon: every corner a chord's end.
  const Program corner = run("G1 F100\nG5.2 L2 X1 Y0\nX1 Y1\nX3 Y1\nG5.3\nG0 X0\n");
  std::vector<std::pair<double, double>> corners;
  for (const Move& m : corner.moves) corners.emplace_back(m.end.x, m.end.y);
  for (const auto& expected : {std::make_pair(1.0, 0.0), std::make_pair(1.0, 1.0), std::make_pair(3.0, 1.0)})
    EXPECT_NE(std::find(corners.begin(), corners.end(), expected), corners.end()) << expected.first << "," << expected.second;
  EXPECT_EQ(corner.moves.back().motion, Motion::Rapid) << "the block closed, G0 moves again";

  // Order 3 from (0, 0) over (1, 1) to (2, 0): the quadratic above; a
  // heavier middle point pulls the curve towards it.
  const Program even = run("G1 F100\nG5.2 L3 X1 Y1\nX2 Y0\nG5.3\n");
  EXPECT_LE(largestStray(even, even.moves.size(), 0, 0, parabola), 0.001 + 1e-9);
  const Program heavy = run("G1 F100\nG5.2 L3 X1 Y1 P3\nX2 Y0\nG5.3\n");
  double highest = 0;
  for (const Move& m : heavy.moves) highest = std::max(highest, m.end.y);
  EXPECT_NEAR(highest, 0.75, 0.01) << "at t = 1/2: (3 / 2) / (1 / 2 + 3 / 2)";

  const std::pair<const char*, const char*> errors[] = {
      {"G1 F100\nG5 X1 Y1 I1 J0\n", "test.ngc:2:1: G5 needs P and Q, the second control point"},
      {"G1 F100\nG5 X1 Y1 P1 Q0\n", "test.ngc:2:1: the first G5 of a run needs I and J"},
      {"G18 G1 F100\nG5.1 X1 Z1 I1\n", "test.ngc:2:1: G5.1 works in the XY plane only"},
      {"G5.1 X1 Y1\n", "test.ngc:1:1: G5.1 needs I or J, the control point"},
      {"G5.3\n", "test.ngc:1:1: G5.3 without a G5.2 block"},
      {"G1 F100\nG5.2 L4 X1\nX2\nG5.3\n", "test.ngc:4:1: a NURBS of order 4 needs at least as many control points"},
      {"G1 F100\nG5.2 X1\nG1 X2\n", "test.ngc:3:1: a NURBS block (G5.2) is still open: close it with G5.3"},
      {"G1 F100\nG5.2 X1 P0\n", "test.ngc:2:9: a NURBS weight (P) must be above zero"},
  };
  for (const auto& [program, message] : errors) EXPECT_EQ(errorOf(program), message) << program;
}

// Cutter compensation with a tool of radius 1 (T1, 2 mm across).
Program compensated(const std::string& text) {
  Options options;
  options.tools = {{1, 2.0, 0.0}};
  options.toolInSpindle = 1;
  return run(text, options);
}

std::string compensationError(const std::string& text) {
  try {
    compensated(text);
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(GCodeInterpreter, CutterCompensationOutsideAndInsideCorners) {
  // Right of a square run counter-clockwise: outside it, each corner
  // rounded about the square's own. The entry from (-5, 0) touches the
  // circle about (0, 0) at (-0.2, -0.98), then rounds to (0, -1).
  const Program out = compensated("G0 X-5 Y0\nG42 G1 X0 Y0 F100\nX10\nY10\nX0\nY0\nG40 G0 X-5 Y-5\n");
  struct Expected {
    Motion motion;
    double x, y, cx, cy;
  };
  const double t = std::sqrt(24.0) / 5;  // the entry's cosine, away from the axis
  const Expected outside[] = {
      {Motion::Feed, -5 + std::sqrt(24.0) * t, -std::sqrt(24.0) * 0.2, 0, 0},
      {Motion::ArcCounterClockwise, 0, -1, 0, 0},
      {Motion::Feed, 10, -1, 0, 0},
      {Motion::ArcCounterClockwise, 11, 0, 10, 0},
      {Motion::Feed, 11, 10, 0, 0},
      {Motion::ArcCounterClockwise, 10, 11, 10, 10},
      {Motion::Feed, 0, 11, 0, 0},
      {Motion::ArcCounterClockwise, -1, 10, 0, 10},
      {Motion::Feed, -1, 0, 0, 0},
      {Motion::Rapid, -5, -5, 0, 0},
  };
  ASSERT_EQ(out.moves.size(), std::size(outside) + 1) << "the first rapid, then the compensated path";
  for (size_t i = 0; i < std::size(outside); ++i) {
    const Move& m = out.moves[i + 1];
    EXPECT_EQ(m.motion, outside[i].motion) << i;
    EXPECT_NEAR(m.end.x, outside[i].x, 1e-9) << i;
    EXPECT_NEAR(m.end.y, outside[i].y, 1e-9) << i;
    if (m.motion == Motion::ArcCounterClockwise) {
      EXPECT_NEAR(m.centre.x, outside[i].cx, 1e-9) << i;
      EXPECT_NEAR(m.centre.y, outside[i].cy, 1e-9) << i;
    }
  }
  EXPECT_NEAR(std::hypot(out.moves[1].end.x, out.moves[1].end.y), 1, 1e-9) << "the entry ends a radius from the corner";

  // Left of it: inside, each corner where the offset sides meet.
  const Program in = compensated("G0 X5 Y5\nG41 G1 X0 Y0 F100\nX10\nY10\nX0\nY0\nX5\nG40 G0 X5 Y5\n");
  ASSERT_EQ(in.moves.size(), 8u);
  EXPECT_NEAR(in.moves[1].end.y, 1, 1e-9) << "the entry stops on the first side's offset";
  const double corners[][2] = {{9, 1}, {9, 9}, {1, 9}, {1, 1}, {5, 1}, {5, 5}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(in.moves[i + 2].end.x, corners[i][0], 1e-9) << i;
    EXPECT_NEAR(in.moves[i + 2].end.y, corners[i][1], 1e-9) << i;
  }

  // Inside a circle of radius 10: the pocket's wall at 9, the entry from
  // its centre meeting it at 9 along the entry's own line.
  const Program pocket = compensated("G0 X0 Y0\nG41 G1 X10 Y0 F100\nG3 X10 Y0 I-10 J0\nG40 G1 X0 Y0\n");
  ASSERT_EQ(pocket.moves.size(), 4u);
  const Move &entry = pocket.moves[1], &wall = pocket.moves[2];
  EXPECT_NEAR(std::hypot(entry.end.x, entry.end.y), 9, 1e-9);
  EXPECT_NEAR(entry.end.y / entry.end.x, std::tan(std::asin(0.1)), 1e-9);
  EXPECT_EQ(wall.motion, Motion::ArcCounterClockwise);
  EXPECT_NEAR(wall.end.x, 9, 1e-9);
  EXPECT_NEAR(wall.end.y, 0, 1e-9);
  EXPECT_NEAR(wall.centre.x, 0, 1e-9);
  // G41.1 gives the diameter itself: 4 across, the wall at 8.
  const Program wider = compensated("G0 X0 Y0\nG41.1 D4 G1 X10 Y0 F100\nG3 X10 Y0 I-10 J0\nG40\n");
  EXPECT_NEAR(wider.moves[2].end.x, 8, 1e-9);

  const std::pair<const char*, const char*> errors[] = {
      {"G41 G1 X10 F100\nY1\nX0\nX-1\n", "test.ngc:3:1: the tool is too large for this inside corner: it would gouge"},
      {"G1 X10 F100\nG41 Y10\nG3 X10 Y11 J0.5\n", "test.ngc:3:1: the tool's radius is not smaller than the arc's: the tool would gouge"},
      {"G41 G1 X0.5 F100\n", "test.ngc:1:1: the entry move after G41/G42 is not longer than the tool's radius"},
      {"G41 G1 X5 F100\nT2 M6\n", "test.ngc:2:4: the tool cannot change under cutter compensation (G40 first)"},
      {"G41\nG42\n", "test.ngc:2:1: cutter compensation is already on (G40 ends it)"},
      {"G19 G41\n", "test.ngc:1:5: cutter compensation works in the XY and XZ planes"},
      {"G41 D7\n", "test.ngc:1:1: cutter compensation needs tool T7's diameter (in the tool table)"},
      {"G41 G1 X5 F100\nG81 X1 Y1 Z-1 R1\n", "test.ngc:2:1: canned cycles cannot run under cutter compensation"},
  };
  for (const auto& [program, message] : errors) EXPECT_EQ(compensationError(program), message) << program;
}

// G76 from X12 Z2 to Z-20: the crest at X10, passes 0.4 deeper each (R1)
// to 1.2, at 1.5 mm a turn of 100 rpm.
TEST(GCodeInterpreter, ThreadingCycleInPasses) {
  const std::string setup = "G18 G21 M3 S100\nG0 X12 Z2\n";
  const Program plain = run(setup + "G76 P1.5 Z-20 I-2 J0.4 K1.2\n");
  ASSERT_EQ(plain.moves.size(), 1u + 3 * 4);
  const double depths[] = {9.6, 9.2, 8.8};
  for (size_t pass = 0; pass < 3; ++pass) {
    const Move* m = &plain.moves[1 + 4 * pass];
    expectEnd(m[0], depths[pass], 0, 2, "in");
    expectEnd(m[1], depths[pass], 0, -20, "along");
    EXPECT_EQ(m[1].feed, 150);
    expectEnd(m[2], 12, 0, -20, "out");
    expectEnd(m[3], 12, 0, 2, "back");
    EXPECT_EQ(m[0].motion, Motion::Rapid);
  }
  EXPECT_EQ(run(setup + "G76 P1.5 Z-20 I-2 J0.4 K1.2 H2\n").moves.size(), 1u + 5 * 4) << "two spring passes at full depth";
  // A compound angle of 30°: each pass starts its depth times tan 30° back
  // along Z; tapers of 2 at both ends run from the crest.
  const Program slanted = run(setup + "G76 P1.5 Z-20 I-2 J0.4 K1.2 Q30 E2 L3\n");
  const double back = 0.4 * std::tan(M_PI / 6);
  ASSERT_EQ(slanted.moves.size(), 1u + 3 * 7);
  const Move* m = &slanted.moves[1];
  expectEnd(m[0], 12, 0, 2 + back, "moved back");
  expectEnd(m[1], 10, 0, 2 + back, "to the crest");
  expectEnd(m[2], 9.6, 0, back, "tapered in");
  expectEnd(m[3], 9.6, 0, -18 + back, "along");
  expectEnd(m[4], 10, 0, -20 + back, "tapered out");
  EXPECT_EQ(m[4].motion, Motion::Feed);
  EXPECT_EQ(errorOf("G18 G0 X12 Z2\nG76 P1.5 Z-20 I-2 J0.4 K1.2\n"), "test.ngc:2:1: a thread with the spindle stopped");
  EXPECT_EQ(errorOf(setup + "G76 P1.5 Z-20 J0.4 K1.2\n"), "test.ngc:3:1: G76 needs I");
  EXPECT_EQ(errorOf("G17 M3 S100\nG76 P1.5 Z-20 I-2 J0.4 K1.2\n"), "test.ngc:2:1: G76 works in the XZ plane (G18)");
}

// What other controls' programs say, where LinuxCNC would not: numbered
// programs called by M98 and ended by M99, G28 G91 Z0 for "Z home
// straight up", Grbl's controller commands; and G10 L2 P0, which both
// read as the system in force.
TEST(GCodeInterpreter, OtherDialects) {
  const Program fanuc = run(
      "%\nO1000\nG0 X1\nM98 P2000 L2\nG0 Y7\nM30\n"
      "O2000\nG91 G0 X1\nM98 P3000\nG90\nM99\n"
      "O3000\nG91 G0 Y1\nM99\n%\n");
  std::vector<std::pair<double, double>> ends;
  for (const Move& m : fanuc.moves) ends.emplace_back(m.end.x, m.end.y);
  EXPECT_EQ(ends, (std::vector<std::pair<double, double>>{{1, 0}, {2, 0}, {2, 1}, {3, 1}, {3, 2}, {3, 7}}));
  EXPECT_TRUE(fanuc.ended);

  const Program endless = run("O1\nG0 X1\nM99\n");
  ASSERT_EQ(endless.messages.size(), 1u);
  EXPECT_EQ(endless.messages[0].kind, Message::Kind::Warning) << "M99 in the main program ends it";
  EXPECT_EQ(errorOf("M98 P42\n"), "test.ngc:1:1: no program O42 for M98");
  EXPECT_EQ(errorOf("o<s> sub\nM99\no<s> endsub\no<s> call\n"), "test.ngc:2:1: M99 in an O-word subroutine (it ends with endsub)");
  EXPECT_EQ(errorOf("M98 P1\nM30\nO1\no2 return\n"), "test.ngc:4:1: return or endsub in a program M98 called (it ends with M99)");

  const Program home = run("G0 X5 Y5 Z5\nG28 G91 Z0\n");
  ASSERT_GE(home.moves.size(), 2u);
  expectEnd(home.moves.back(), 5, 5, 0, "Z home, X and Y where they were");

  const Program grbl = run("$H\n$J=G91 X10 F100\nG0 X1\n");
  ASSERT_EQ(grbl.moves.size(), 1u);
  ASSERT_EQ(grbl.messages.size(), 2u);
  EXPECT_EQ(grbl.messages[0].text, "Grbl's $H is a command to the controller, not G-code: passed over");

  const Program current = run("G55\nG10 L2 P0 X5\nG0 X1\nG54 G0 X1\n");
  EXPECT_EQ(current.moves[0].end.x, 6) << "P0: G55, the system in force";
  EXPECT_EQ(current.moves[1].end.x, 1) << "G54 untouched";
}

// The distance of point c from the segment a-b in XY.
double fromSegment(const Point& a, const Point& b, double cx, double cy) {
  const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
  const double t = length2 > 0 ? std::clamp(((cx - a.x) * dx + (cy - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(a.x + t * dx - cx, a.y + t * dy - cy);
}

// What compensation holds back still comes in order: a stop after the
// moves before it; a rapid's corner stays a radius from the programmed
// one; the XZ plane of a lathe; what may not change under it.
TEST(GCodeInterpreter, CutterCompensationHoldsStopsRapidsAndLathes) {
  const Program stopped = compensated("G0 X-5 Y0\nG42 G1 X0 Y0 F100\nX10\nM0\nY10\nG40 G0 X20 Y20\n");
  ASSERT_EQ(stopped.stops.size(), 1u);
  EXPECT_EQ(stopped.stops[0].move, 4u) << "after the rapid, the entry, its corner and the X10 side";
  EXPECT_NEAR(stopped.moves[3].end.x, 10, 1e-9);

  const Program back = compensated("G0 X-5 Y0\nG41 G1 X0 Y0 F100\nX10\nG0 X0\nG40\n");
  size_t rapids = 0;
  for (size_t i = 4; i < back.moves.size(); ++i) {
    EXPECT_EQ(back.moves[i].motion, Motion::Rapid) << i;
    EXPECT_GE(fromSegment(back.moves[i - 1].end, back.moves[i].end, 10, 0), 1 - 1e-9) << "move " << i;
    ++rapids;
  }
  EXPECT_GE(rapids, 5u) << "a half turn in rapids round the outside, then the way back";
  EXPECT_NEAR(back.moves.back().end.y, -1, 1e-9) << "back along the other side";

  // A lathe profile in XZ, seen from +Y: right of -Z is +X. The inside
  // corner at Z-10 meets the shoulder's offset a radius before it.
  const Program lathe = compensated("G18 G0 X10 Z5\nG42 G1 X10 Z0 F100\nZ-10\nX15\nG40 G0 X20\n");
  ASSERT_GE(lathe.moves.size(), 5u);
  const Move &along = lathe.moves[lathe.moves.size() - 3], &up = lathe.moves[lathe.moves.size() - 2];
  EXPECT_NEAR(along.end.x, 11, 1e-9);
  EXPECT_NEAR(along.end.z, -9, 1e-9);
  EXPECT_NEAR(up.end.x, 15, 1e-9);
  EXPECT_NEAR(up.end.z, -9, 1e-9);

  // A slot from (0, 12.7) to (25.4, 25.4), 4.826 wide, its sides running
  // into its ends' arcs at tangents that ATAN, SIN and COS leave a hair
  // off: the tool stays a radius inside, with no gouge.
  const Program slot = compensated(
      "#1 = 0\n#2 = 12.7\n#3 = 25.4\n#4 = 25.4\n#10 = 2.413\n#11 = [ATAN[#4 - #2]/[#3 - #1] + 180]\n"
      "#12 = [#11 + 90]\n#15 = [#10 * COS[#12]]\n#16 = [#10 * SIN[#12]]\n"
      "G0 X[#1 - 5] Y[#2 + #16]\nG41 G0 X[#1 + #15] Y[#2 + #16]\nG1 X[#3 + #15] Y[#4 + #16] Z-1 F100\n"
      "G3 X[#3 - #15] Y[#4 - #16] R#10\nG1 X[#1 - #15] Y[#2 - #16]\nG3 X[#1 + #15] Y[#2 + #16] R#10\n"
      "G1 X[#3 + #15] Y[#4 + #16]\nG40\n");
  const double c = std::cos(std::atan2(12.7, 25.4)), sn = std::sin(std::atan2(12.7, 25.4));
  const double length = std::hypot(25.4, 12.7);
  ASSERT_GE(slot.moves.size(), 6u);
  for (size_t i = 3; i < slot.moves.size(); ++i) {
    const Point& p = slot.moves[i].end;
    const double along = std::clamp(p.x * c + (p.y - 12.7) * sn, 0.0, length);
    EXPECT_NEAR(std::hypot(p.x - along * c, p.y - 12.7 - along * sn), 2.413 - 1, 1e-6) << "move " << i;
  }

  EXPECT_EQ(compensationError("G18\nM70\nG17 G41 G1 X5 F100\nX10\nM72\n"),
            "test.ngc:5:1: the plane cannot change under cutter compensation");
  EXPECT_EQ(compensationError("G0 X-5 Y0\nG42 G1 X0 Y0 F100\nG3 X0.04 Y0 I0.04 J0\n"), "test.ngc:3:1: an arc of no radius");
  EXPECT_EQ(errorOf("G1 F100\nG5.2 X1 Y0\nX2 Y1\nX3 Y0\nM30\n"),
            "test.ngc:5:1: a NURBS block (G5.2) is left open: close it with G5.3");
  EXPECT_EQ(errorOf("G1 F100\nG5.2 X1 Y0\nX2 Y1\n"), "test.ngc:2:1: a NURBS block (G5.2) is left open: close it with G5.3");
  Options turret;
  turret.lathe = true;
  turret.tools = {{1, 2.0, 0.0}, {2, 2.0, 0.0}};
  turret.toolInSpindle = 1;
  try {
    run("G0 X20 Z5\nG42 G1 X10 Z0 F100\nZ-10\nT2\n", turret);
    ADD_FAILURE() << "a turret turned under compensation";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "test.ngc:4:1: the tool cannot change under cutter compensation (G40 first)");
  }
}

// The program's own copy of the tool table: G10 L1 sets a radius that
// compensation then offsets by, L1 and L10 set lengths, G43.2 adds one.
TEST(GCodeInterpreter, ToolTableChangesAndLengthOffsets) {
  const Program wider = compensated("G10 L1 P1 R2\nG0 X0 Y-10\nG41 G1 X0 Y0 F100\nX10\nG40\n");
  EXPECT_NEAR(wider.moves.back().end.y, 2, 1e-9) << "offset by the radius G10 set";
  Options options;
  options.tools = {{1, 6.0, 30.0}, {2, 3.0, 5.0}};
  options.toolInSpindle = 1;
  const auto lengthAfter = [&](const std::string& text) { return run(text + "G0 X1\n", options).moves.back().toolLength; };
  EXPECT_EQ(lengthAfter("G43\n"), 30) << "the tool in the spindle";
  EXPECT_EQ(lengthAfter("G43 H1\nG43.2 H2\n"), 35);
  EXPECT_EQ(lengthAfter("G43 H1\nG43.2 Z1.5\n"), 31.5);
  EXPECT_EQ(lengthAfter("G10 L1 P2 Z7\nG43 H2\n"), 7);
  EXPECT_EQ(lengthAfter("G10 L2 P1 Z1\nG0 Z12\nG10 L10 P3 Z2\nG43 H3\n"), 10) << "Z12 in G54 is to read Z2";
  EXPECT_EQ(lengthAfter("G43 H1\nG49\n"), 0);
  EXPECT_EQ(errorOf("G10 L1 R2\n"), "test.ngc:1:1: G10 L1 needs P, a tool number");
}

}  // namespace
