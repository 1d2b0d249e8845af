#pragma once
// The parameters a program reads and sets. Numbered ones run #1-#5602 and
// read 0 until set; #0 reads 0 and cannot be set. #1-#30 are a
// subroutine's arguments and, like names without a leading '_', belong to
// the call that set them; names with a leading '_' are global. The
// interpreter publishes read-only values: #5400-#5413 (the tool) and
// #5420-#5428 (the position) among the numbers, and predefined names
// such as #<_x> or #<_metric>; a program cannot set them. Settings on one
// line take effect after the line is read, so its values see the line's
// start (the interpreter applies them in order).
#include <array>
#include <map>
#include <string>
#include <vector>

#include "Expression.h"

namespace korvane::gcode {

class Parameters : public ParameterReader {
 public:
  static constexpr int kHighest = 5602;
  static constexpr int kArguments = 30;
  static constexpr int kMaxCallDepth = 100;

  Parameters();

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

  // Read-only values kept by the interpreter.
  void publish(int number, double value);
  void publish(const std::string& name, double value);

 private:
  struct Frame {
    std::array<double, kArguments> arguments{};
    std::map<std::string, double> locals;
  };
  static bool readOnly(int number);
  static bool global(const std::string& name) { return !name.empty() && name[0] == '_'; }

  std::vector<double> numbered_;
  std::map<std::string, double> globals_;
  std::map<std::string, double> published_;
  Frame top_;                   // the program's own level
  std::vector<Frame> frames_;   // the callers' levels, saved
};

}  // namespace korvane::gcode
