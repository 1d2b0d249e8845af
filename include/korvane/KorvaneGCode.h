#pragma once
// libKorvaneGCode: an RS274NGC interpreter for hosts. G-code text in, the
// moves a machine would make out, ready to fill SIM_ToolpathMove records.
// It reads programs as LinuxCNC does (its order of execution within a
// block, its modal groups, parameters, expressions and O-word control)
// and depends on nothing of the viewport library.
//
// Lengths come out in millimetres, feeds in millimetres per minute,
// angles (A, B, C) in degrees. Positions are where the tool's tip goes,
// in the machine's frame: the program's point plus the work offsets in
// force (G54 to G59.3, G92). A program that sets no offsets gets its own
// coordinates back.
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// What the library exports; the rest of it stays hidden.
#define KORVANE_GCODE_API __attribute__((visibility("default")))

namespace korvane::gcode {

struct Point {
  double x = 0, y = 0, z = 0;
};

enum class Motion { Rapid, Feed, ArcClockwise, ArcCounterClockwise };

struct Move {
  Motion motion = Motion::Rapid;
  Point end;
  Point rotary;           // A, B, C at the end, degrees
  // Arcs: the centre, at the start's height along the axis. The radius at
  // the end may differ from the start's by as much as LinuxCNC allows
  // (0.05 mm and 0.1 % of the radius), and by up to the tool's radius for
  // the entry arc of cutter compensation; the tool then moves along a
  // spiral between the two.
  Point centre;
  Point axis;             // arcs: the plane's normal the turn is seen from (+Z in G17, +Y in G18, +X in G19)
  int turns = 0;          // arcs: full turns beyond the first (a G2/G3 P word less one)
  double feed = 0;        // mm/min; 0 for rapids
  double spindle = 0;     // rpm: positive clockwise (M3), negative counter-clockwise (M4), 0 stopped
  bool flood = false, mist = false;
  int tool = 0;           // the tool in the spindle
  double toolLength = 0;  // the tool length offset in force (G43), mm
  uint32_t line = 0;      // where the move was made: line (from 1) and column in its file
  uint32_t column = 0;
  uint32_t file = 0;      // index into Program::files
};

struct ToolChange {
  int tool = 0;
  size_t move = 0;  // the tool is in the spindle from this move on
  uint32_t line = 0;
};

enum class StopKind { Program, Optional, PalletChange };  // M0, M1, M60

struct Stop {
  StopKind kind = StopKind::Program;
  size_t move = 0;  // before this move
  uint32_t line = 0;
};

struct Message {
  enum class Kind { Message, Print, Debug, Warning } kind = Kind::Message;
  std::string text;
  uint32_t line = 0;
  uint32_t file = 0;
};

struct Program {
  std::vector<Move> moves;
  std::vector<ToolChange> toolChanges;
  std::vector<Stop> stops;
  std::vector<Message> messages;
  std::vector<std::string> files;  // the program, then each subroutine file called
  Point start;                     // where the tool stands before the first move
  bool ended = false;              // the program ran into M2 or M30
};

struct ToolEntry {
  int number = 0;
  double diameter = 0;  // for cutter compensation
  double length = 0;    // for G43
};

struct Options {
  std::vector<ToolEntry> tools;
  int toolInSpindle = 0;  // before the program starts: a host's only tool, say
  // A lathe: the program starts in the XZ plane (G18), and a T word
  // changes the tool at once, as a turret does, M6 or not.
  bool lathe = false;
  // Where `O<name> CALL` looks for name.ngc when the program does not hold
  // the subroutine: the program's folder first, then these.
  std::vector<std::string> searchPath;
  // Reads a file by path; none when it cannot. The default reads the disk.
  std::function<std::optional<std::string>(const std::string&)> readFile;
  uint64_t blockLimit = 10'000'000;   // blocks executed before the program is stopped as endless
  size_t moveLimit = 50'000'000;      // moves made before it is stopped
  double splineTolerance = 0.001;     // chords of G5 splines and G5.2 NURBS, mm
};

class KORVANE_GCODE_API Error : public std::runtime_error {
 public:
  Error(std::string file, uint32_t line, uint32_t column, const std::string& reason);
  const std::string& file() const { return file_; }
  uint32_t line() const { return line_; }
  uint32_t column() const { return column_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string file_, reason_;
  uint32_t line_, column_;
};

// Throws Error ("file:line:column: reason") for the first thing wrong.
KORVANE_GCODE_API Program interpret(std::string_view text, const std::string& fileName, const Options& options = {});

}  // namespace korvane::gcode
