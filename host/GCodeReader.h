#pragma once
// A small G-code reader for the sample host: the three-axis subset that
// plain milling programs use. Lengths come out in millimetres, feeds in
// millimetres per minute.
//
// Read: G0 G1 G2 G3 (arcs by I J K or R), G17 G18 G19, G20 G21, G90 G91,
// F, S, M3 M4 M5, T with M6, N numbers, comments in parentheses or after
// ';'. Accepted and ignored because they do not change the tool's path:
// G4 (with P), G40, G43 (with H), G49, G54, G61, G64, G80, G94, M0 M1 M7
// M8 M9; M2 and M30 end the program. Anything else is an error with the
// file and line, never a guess.
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
  std::vector<ProgramMove> moves;
  std::vector<ProgramToolChange> toolChanges;
  Point start;  // where the tool stands before the first move
  std::string text;  // the program as read, for the view's NC-code displays
};

class GCodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws GCodeError with "name:line: what went wrong".
Program readGCode(std::string_view text, const std::string& name);
// The file at path; a file that cannot be read is a GCodeError too.
Program readGCodeFile(const std::string& path);

}  // namespace host
