#pragma once
// The sample host's programs: G-code read by libKorvaneGCode (RS274NGC as
// LinuxCNC reads it) and turned into the moves the view's records take.
// Lengths come out in millimetres, feeds in millimetres per minute,
// spindle speeds in revolutions per minute.
//
// What the interpreter hands out and the view does not draw as it stands
// is made into what it draws: an arc of full turns (G2/G3 with P, or a
// whole circle) becomes arcs of at most half a turn, and an arc whose
// radius differs at its ends becomes chords along its spiral.
//
// A lathe program (ReadOptions::lathe) starts in G18, and its T words
// change the tool at once, M6 or not. Below 100 a T is the tool (T1, T12);
// from 100 on its last two digits are the offset and the rest the tool
// (T0101, read as the number 101, is tool 1 with offset 1), and the view
// takes the offset from the tool itself; a T of tool 0 changes nothing.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <korvane/KorvaneGCode.h>

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
  int tool = 0;        // the tool in the spindle, 0 for none
  uint32_t line = 0;   // line in the program's own file, from 1; 0 for a move of a subroutine file
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
  // What the program says as it runs: (MSG,...), (PRINT,...), (DEBUG,...)
  // and the interpreter's warnings, each as "file:line: text".
  std::vector<std::string> messages;
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
  // For G43 and cutter compensation.
  std::vector<korvane::gcode::ToolEntry> tools;
  // In the spindle before the program starts (a host's only tool); the
  // moves before the program's first tool change run with it.
  int toolInSpindle = 0;
};

// Throws GCodeError with "name:line:column: what went wrong".
Program readGCode(std::string_view text, const std::string& name, const ReadOptions& options = {});
// The file at path; a file that cannot be read is a GCodeError too.
Program readGCodeFile(const std::string& path, const ReadOptions& options = {});

}  // namespace host
