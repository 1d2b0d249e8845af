#pragma once
// The parameters a program reads and sets. Numbered ones run #1-#5602 and
// read 0 until set; #0 reads 0 and cannot be set. #1-#30 are a
// subroutine's arguments and, like names without a leading '_', belong to
// the call that set them; names with a leading '_' are global. The
// interpreter's state answers read-only values: #5400-#5413 (the tool) and
// #5420-#5428 (the position) among the numbers, and predefined names
// such as #<_x> or #<_metric>; a program cannot set them. They are asked
// for when read, not written after every block: most programs never read
// them. Settings on one line take effect after the line is read, so its
// values see the line's start (the interpreter applies them in order).
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Expression.h"

namespace korvane::gcode {

// Where the read-only values come from.
class PublishedValues {
 public:
  virtual ~PublishedValues() = default;
  // A predefined name's value; none for a name that is not predefined.
  virtual std::optional<double> named(const std::string& name) const = 0;
  // A read-only number's value (see Parameters::readOnly).
  virtual double numbered(int number) const = 0;
};

class Parameters : public ParameterReader {
 public:
  static constexpr int kHighest = 5602;
  static constexpr int kArguments = 30;
  static constexpr int kMaxCallDepth = 100;

  // The published values are read through `published`, which outlives this.
  explicit Parameters(const PublishedValues& published);

  double value(const ParameterRef& ref, size_t column) const override;
  bool exists(const std::string& name) const override;

  // Throws LineError for #0, a number out of range, or a read-only one.
  void set(const ParameterRef& ref, double value, size_t column);

  // A subroutine call: #1-#30 take the arguments (the rest 0) and the call
  // starts without named locals; the return brings the caller's back.
  // Throws LineError past kMaxCallDepth.
  void enterCall(const std::vector<double>& arguments, size_t column);
  void leaveCall();
  size_t callDepth() const { return frames_.size(); }

  // A value the interpreter keeps among the numbered ones (#5220, the
  // coordinate system in force, which G10 may also read).
  void store(int number, double value);

 private:
  struct Frame {
    std::array<double, kArguments> arguments{};
    std::map<std::string, double> locals;
  };
  static bool readOnly(int number);
  static bool global(const std::string& name) { return !name.empty() && name[0] == '_'; }

  std::vector<double> numbered_;
  std::map<std::string, double> globals_;
  const PublishedValues& published_;
  Frame top_;                   // the program's own level
  std::vector<Frame> frames_;   // the callers' levels, saved
};

}  // namespace korvane::gcode
