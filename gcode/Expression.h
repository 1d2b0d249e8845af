#pragma once
// The values of a block's words: numbers, parameters (#12, #<name>,
// #<_global>, #[expression]) and bracketed expressions, read as RS274NGC
// reads them.
//
// Binary operators by precedence, each level taken left to right:
//   **;  * / MOD;  + -;  EQ NE GT GE LT LE;  AND OR XOR.
// MOD takes the sign of neither operand: its result lies in [0, |b|).
// EQ and NE compare within 0.0001. Comparisons and logic give 1 or 0;
// logic takes any value but 0 as true. Unary functions take a bracketed
// argument: ABS ACOS ASIN COS EXP FIX (down) FUP (up) ROUND (half away
// from zero) LN SIN SQRT TAN, degrees for the angles; ATAN[y]/[x] gives
// the angle of (x, y); EXISTS[#<name>] whether a named parameter is set.
// A value may carry unary signs. Every value is finite: whatever would
// not be (a division by zero, a root of a negative, an overflow) is an
// error at the column where it arose.
#include <cstddef>
#include <cstdint>
#include <string>

#include "BlockText.h"

namespace korvane::gcode {

// Where a parameter reference points: a number, or a name (lower case,
// without blanks; a leading '_' makes it global).
struct ParameterRef {
  int number = 0;
  std::string name;
  bool named() const { return !name.empty(); }
};

class ParameterReader {
 public:
  virtual ~ParameterReader() = default;
  // Throws LineError(column, ...) for a name that is not set or a number
  // out of range.
  virtual double value(const ParameterRef& ref, size_t column) const = 0;
  virtual bool exists(const std::string& name) const = 0;
};

class ExpressionReader {
 public:
  ExpressionReader(const BlockText& block, const ParameterReader& parameters)
      : block_(block), parameters_(parameters) {}

  // The value at `at`, which moves past it. Throws LineError.
  double value(size_t& at) const;
  // A parameter reference at `at` (past its '#'), evaluated as far as its
  // number or name.
  ParameterRef reference(size_t& at) const;
  // A parameter's number from a value: a whole number within 0.0001.
  static int parameterNumber(double value, size_t column);

 private:
  double expression(size_t& at) const;           // after '[', to past ']'
  double binary(size_t& at, int level) const;    // a run of operators of `level` or tighter
  double unaryFunction(size_t& at) const;
  double number(size_t& at) const;
  bool peekOperator(size_t at, int& level, int& op, size_t& length) const;
  // The last look for an operator: every precedence level looks at the
  // same place after a value, so it is read once.
  struct Peek {
    size_t at = SIZE_MAX;
    bool found = false;
    int level = 0, op = 0;
    size_t length = 0;
  };
  mutable Peek peek_;
  size_t columnAt(size_t at) const { return block_.columnAt(at); }

  const BlockText& block_;
  const ParameterReader& parameters_;
};

// A finite value, or LineError(column, "... is not a finite number").
double finite(double value, size_t column, const char* what);

}  // namespace korvane::gcode
