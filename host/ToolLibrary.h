#pragma once
// The sample host's tool table: flat, ball and bull-nose end mills by
// diameter, corner radius and length, V-bits, and lathe inserts, from a
// text file or the command line, turned into the view's tool records. Tool
// n is named "T<n>".
//
// File lines: "T<n> flat <diameter> <length>", "T<n> ball <diameter>
// <length>", "T<n> bull <diameter> <corner radius> <length>", "T<n> vee
// <diameter> <included angle> <length>" (a cone from its point), "T<n> turn
// <included angle> <nose radius>" (a rhombic insert for turning towards the
// chuck and facing, led by its nose's tip), "T<n> groove <width> <corner radius>" (a
// grooving and parting blade led by the middle of its edge); millimetres and
// degrees; '#' starts a comment. The command line takes the same as
// "<n>:flat:<diameter>:<length>" and so on.
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <korvane/Korvane.h>

namespace host {

struct HostTool {
  enum class Kind { Flat, Ball, BullNose, Vee, Punch, Turn, Groove };
  Kind kind = Kind::Flat;
  double diameter = 0;      // mills
  double cornerRadius = 0;  // bull-nose mills, grooving blades; turning inserts: the nose radius
  double length = 0;        // mills
  double angle = 0;         // V-bits and turning inserts: the included angle, degrees
  double width = 0;         // grooving blades
  uint32_t sides = 0;       // punches: the flats about the axis; the diameter is across them
  bool lathe() const { return kind == Kind::Turn || kind == Kind::Groove; }
};

class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ToolLibrary {
 public:
  // Lines "T<n> <kind> <numbers...>", or LinuxCNC's tool table lines
  // "T<n> P<pocket> D<diameter> Z<length offset> ;comment", which give flat
  // end mills. Throws ToolError with "name:line: what" for a bad line.
  void readText(const std::string& text, const std::string& name);
  void readFile(const std::string& path);
  // "<n>:<kind>:<numbers...>"; throws ToolError.
  void addOption(const std::string& option);
  void add(int number, const HostTool& mill);

  bool has(int number) const { return mills_.count(number) != 0; }
  const std::map<int, HostTool>& mills() const { return mills_; }
  static std::string nameOf(int number) { return "T" + std::to_string(number); }

  // The tool table record; it points into this library until it changes.
  // Every tool sits in one holder without a model of its own, for a mill
  // mount: a machine's spindle holder takes its place. A tool's number is
  // also its machine number, the turret slot on a machine with one.
  SIM_ToolTableRecord record();

 private:
  static HostTool toolOf(const std::vector<std::string>& fields, const std::string& where);
  static bool lettered(const std::vector<std::string>& fields);
  static HostTool tableEntryOf(const std::vector<std::string>& fields, const std::string& where);

  std::map<int, HostTool> mills_;
  std::deque<std::vector<SIM_ProfilePoint>> profiles_;
  std::deque<std::vector<SIM_ToolPart>> parts_;  // per tool
  std::vector<SIM_ToolRecord> records_;
  SIM_HolderRecord spindleHolder_{};
};

// The cutting profile of an end mill, from the tip (radius, height) up; of
// a lathe insert, its outline (along the lathe axis, away from the work)
// from the point that leads.
std::vector<SIM_ProfilePoint> profileOf(const HostTool& mill);

}  // namespace host
