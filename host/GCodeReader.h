#pragma once
// A small G-code reader for the sample host: the three-axis subset that
// plain milling programs use, and the two-axis subset of lathe programs.
// Lengths come out in millimetres, feeds in millimetres per minute,
// spindle speeds in revolutions per minute.
//
// Read: G0 G1 G2 G3 (arcs by I J K or R), G17 G18 G19, G20 G21, G90 G91,
// G94 and G95 (feed per minute or per revolution), G96 (with D) and G97
// (surface speed or revolutions per minute), F, S, M3 M4 M5, T with M6, N
// numbers, comments in parentheses or after ';'. Accepted and ignored
// because they do not change the tool's path: G4 (with P), G40, G43 (with
// H), G49, G54, G61, G64 (with P), G80, M0 M7 M8 M9; M2 and M30 end the
// program. M1 is an optional stop before the next move. Anything else is
// an error with the file and line, never a guess.
//
// A lathe program (ReadOptions::lathe) starts in G18 and also reads G7 and
// G8: in diameter mode (G7) X words, absolute or incremental, are
// diameters; I, K and R stay radii in both modes. A T word changes the
// tool at once, M6 or not. Below 100 it is the tool (T1, T12); from 100 on
// its last two digits are the offset and the rest the tool (T0101, read
// as the number 101, is tool 1 with offset 1), and the view takes the
// offset from the tool itself; a T of tool 0 changes nothing. G97 without
// S keeps the speed G96 last turned the spindle at.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct Point {
  double x = 0, y = 0, z = 0;
};

enum class Motion { Rapid, Linear, ArcClockwise, ArcCounterClockwise };

struct ProgramMove {
  Motion motion = Motion::Rapid;
  Point end;
  Point centre;  // arcs
  Point axis;    // arcs: the axis the plane is seen from (+Z for G17, +Y for G18, +X for G19)
  Point rotary;  // A, B, C at the end of the move, radians (the words are degrees)
  double feed = 0;     // mm/min; 0 for rapids
  double spindle = 0;  // rpm, 0 while the spindle is off
  uint32_t line = 0;   // line in the file, from 1
};

// The tool is in the spindle from move `move` on.
struct ProgramToolChange {
  int tool = 0;
  size_t move = 0;
  uint32_t line = 0;
};

struct Program {
  bool lathe = false;  // read as a lathe program: X is the radius, Z the axis
  std::vector<ProgramMove> moves;
  std::vector<ProgramToolChange> toolChanges;
  // Each M1 stops before this move (the move count at the M1).
  std::vector<size_t> optionalStops;
  // Where the tool stands before the first move. A lathe's tool waits at
  // the turret's home, which the program does not give, while the origin
  // lies on the work's front face: a lathe program starts where its first
  // move ends, so that move does not cut its way out of the bar. A milling
  // program starts at the origin.
  Point start;
  std::string text;  // the program as read, for the view's NC-code displays
};

class GCodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ReadOptions {
  bool lathe = false;
};

// Throws GCodeError with "name:line: what went wrong".
Program readGCode(std::string_view text, const std::string& name, ReadOptions options = {});
// The file at path; a file that cannot be read is a GCodeError too.
Program readGCodeFile(const std::string& path, ReadOptions options = {});

}  // namespace host
