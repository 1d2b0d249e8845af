#include "DefaultJob.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace host {

namespace {

std::string f3(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", std::abs(v) < 5e-4 ? 0.0 : v);
  return text;
}

// The pocket floor the ball end mill leaves: 6 mm down with a gentle wave.
double floorAt(double x, double y) { return -6.0 + 0.8 * std::sin(x / 5.0) * std::cos(y / 6.0); }

}  // namespace

std::string defaultJobProgram() {
  std::ostringstream g;
  g << "(korvane-view main job: pocket, contour, wave finish)\n"
    << "%\nG21 G17 G90 G94\n";
  // Pocket 40 x 30 at (20..60, 15..45), two levels of 2.5 mm, zig-zag.
  g << "N10 T1 M6 (8 mm flat end mill)\nS9000 M3\nG0 Z5\n";
  const double r1 = 4.0;
  for (int level = 1; level <= 2; ++level) {
    const double z = -2.5 * level;
    g << "G0 X" << f3(20 + r1) << " Y" << f3(15 + r1) << "\nG1 Z" << f3(z) << " F300\nF1200\n";
    bool forwards = true;
    for (double y = 15 + r1; y <= 45 - r1 + 1e-9; y += 3.0, forwards = !forwards) {
      g << "G1 Y" << f3(y) << "\n";
      g << "X" << f3(forwards ? 60 - r1 : 20 + r1) << "\n";
    }
    g << "G0 Z5\n";
  }
  // Outline 76 x 56 with 6 mm corner radii, cut around the outside, 4 mm
  // deep in two passes; corners by I J and by R.
  g << "N20 T2 M6 (6 mm flat end mill)\nS10000 M3\n";
  const double r2 = 3.0, x0 = 2 - r2, y0 = 2 - r2, x1 = 78 + r2, y1 = 58 + r2, c = 6 + r2;
  for (int pass = 1; pass <= 2; ++pass) {
    g << "G0 X" << f3(x0 + c) << " Y" << f3(y0) << "\nG1 Z" << f3(-2.0 * pass) << " F400\n";
    g << "G1 X" << f3(x1 - c) << " F1000\n";
    g << "G3 X" << f3(x1) << " Y" << f3(y0 + c) << " I0 J" << f3(c) << "\n";
    g << "G1 Y" << f3(y1 - c) << "\n";
    g << "G3 X" << f3(x1 - c) << " Y" << f3(y1) << " R" << f3(c) << "\n";
    g << "G1 X" << f3(x0 + c) << "\n";
    g << "G3 X" << f3(x0) << " Y" << f3(y1 - c) << " I0 J" << f3(-c) << "\n";
    g << "G1 Y" << f3(y0 + c) << "\n";
    g << "G3 X" << f3(x0 + c) << " Y" << f3(y0) << " I" << f3(c) << " J0\n";
    g << "G0 Z5\n";
  }
  // Wave finish of the pocket floor in passes along x, 1 mm apart.
  g << "N30 T3 M6 (6 mm ball end mill)\nS12000 M3\n";
  const double r3 = 3.0;
  bool forwards = true;
  for (double y = 15 + r3; y <= 45 - r3 + 1e-9; y += 1.0, forwards = !forwards) {
    const double xa = forwards ? 20 + r3 : 60 - r3;
    if (y == 15 + r3) g << "G0 X" << f3(xa) << " Y" << f3(y) << "\nG1 Z" << f3(floorAt(xa, y)) << " F500\n";
    else g << "G1 Y" << f3(y) << " Z" << f3(floorAt(xa, y)) << " F1500\n";
    for (int i = 1; i <= 68; ++i) {
      const double x = forwards ? 20 + r3 + 0.5 * i : 60 - r3 - 0.5 * i;
      g << "X" << f3(x) << " Z" << f3(floorAt(x, y)) << "\n";
    }
  }
  g << "G0 Z20\nM5\nM30\n";
  return g.str();
}

std::string defaultJobTools() {
  return "# korvane-view main job tools: number, kind, diameter, [corner radius,] length (mm)\n"
         "T1 flat 8 40\n"
         "T2 flat 6 40\n"
         "T3 ball 6 40\n";
}

}  // namespace host
