// Word values as RS274NGC reads them: precedence, the functions and the
// cases where its rules surprise, parameters, and every error at its
// column, values always finite.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "gcode/Error.h"
#include "gcode/Expression.h"

namespace {

using korvane::gcode::blockTextOf;
using korvane::gcode::ExpressionReader;
using korvane::gcode::LineError;
using korvane::gcode::ParameterRef;

class MapParameters : public korvane::gcode::ParameterReader {
 public:
  double value(const ParameterRef& ref, size_t column) const override {
    if (ref.named()) {
      const auto it = named.find(ref.name);
      if (it == named.end()) throw LineError(column, "#<" + ref.name + "> is not set");
      return it->second;
    }
    const auto it = numbered.find(ref.number);
    return it == numbered.end() ? 0.0 : it->second;
  }
  bool exists(const std::string& name) const override { return named.count(name) != 0; }

  std::map<int, double> numbered{{1, 5}, {2, 7}, {3, 1}};
  std::map<std::string, double> named{{"_x", 2.5}, {"big", 1e308}};
};

// The value of the whole text, which must all be read.
double valueOf(const std::string& text) {
  const korvane::gcode::BlockText block = blockTextOf(text);
  const MapParameters parameters;
  const ExpressionReader reader(block, parameters);
  size_t at = 0;
  const double v = reader.value(at);
  EXPECT_EQ(at, block.text.size()) << text;
  return v;
}

TEST(GCodeExpression, ValuesFollowThePrecedenceAndFunctions) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"[1 + 2 * 3]", 7},
      {"[2 * 3 ** 2]", 18},         // ** binds before *
      {"[2 ** 3 ** 2]", 64},        // and runs left to right
      {"[-2 ** 2]", 4},             // a sign belongs to its value
      {"[12 / 3 / 2]", 2},
      {"[-7 MOD 3]", 2},            // MOD never negative
      {"[7 mod -3]", 1},
      {"[-7 mod -3]", 2},
      {"[7.5 mod 2]", 1.5},
      {"FIX[-1.5]", -2},            // down, not towards zero
      {"FUP[-1.5]", -1},
      {"ROUND[-2.5]", -3},          // half away from zero
      {"round[2.5]", 3},
      {"[1 EQ 1.00005]", 1},        // within 0.0001
      {"[1 eq 1.001]", 0},
      {"[1 ne 1.00005]", 0},
      {"[1 + 2 eq 3]", 1},          // comparisons after arithmetic
      {"[1 lt 2 and 3 gt 2]", 1},   // logic last
      {"[2 ge 2 or 0]", 1},
      {"[1 xor 1]", 0},
      {"[0 and 5]", 0},
      {"[3 le 2 xor 1]", 1},
      {"ATAN[1]/[-1]", 135},
      {"acos[0]", 90},
      {"asin[1]", 90},
      {"sin[30]", 0.5},
      {"cos[60]", 0.5},
      {"tan[45]", 1},
      {"sqrt[16]", 4},
      {"abs[-3]", 3},
      {"ln[exp[2]]", 2},
      {"-[2]", -2},
      {"[3 - -2]", 5},
      {"1.", 1},
      {"[1 2]", 12},                 // blanks are no separators
      {".5", 0.5},
      {"#1", 5},
      {"#[1 + 1]", 7},               // a parameter's number may be an expression
      {"##3", 5},                    // or a parameter
      {"#4", 0},                     // numbered parameters start at zero
      {"#< _X >", 2.5},              // names ignore case and blanks
      {"[#1 * #<_x>]", 12.5},
      {"EXISTS[#<_x>]", 1},
      {"exists[#<nothere>]", 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(valueOf(c.text), c.value, 1e-12) << c.text;
}

TEST(GCodeExpression, ErrorsSayWhereAndNothingIsInfinite) {
  const struct {
    const char* text;
    size_t column;
    const char* reason;
  } cases[] = {
      {"[1 / 0]", 4, "division by zero"},
      {"[1 mod 0]", 4, "MOD by zero"},
      {"sqrt[-1]", 1, "SQRT of a negative value"},
      {"ln[0]", 1, "LN of a value not above zero"},
      {"acos[2]", 1, "acos of a value outside -1 to 1"},
      {"[-2 ** 0.5]", 5, "a negative number raised to a fractional power"},
      {"[0 ** -1]", 4, "zero raised to a negative power"},
      {"[1 + 2", 7, "an expression lacks its closing ']'"},
      {"foo[1]", 1, "unknown function 'foo'"},
      {"abs 3", 5, "abs needs a bracketed argument"},
      {"atan[1]", 8, "ATAN takes [y]/[x]"},
      {"exists[#1]", 8, "EXISTS takes a named parameter"},
      {"#1.5", 2, "a parameter number must be a whole number"},
      {"#<y>", 1, "#<y> is not set"},
      {"#<", 2, "a parameter name is left open"},
      {"[10 ** 400]", 5, "the result is not a finite number"},
      {"[#<big> * 10]", 9, "the result is not a finite number"},
      {"[2 +]", 5, "a value is missing"},
      {"", 1, "a value is missing"},
      {".", 1, "a number has no digits"},
  };
  for (const auto& c : cases) {
    try {
      valueOf(c.text);
      ADD_FAILURE() << c.text << " gave a value";
    } catch (const LineError& e) {
      EXPECT_EQ(std::string(e.what()), c.reason) << c.text;
      EXPECT_EQ(e.column(), c.column) << c.text;
    }
  }
  // A number of 400 digits does not fit a double.
  try {
    valueOf("1" + std::string(400, '0'));
    ADD_FAILURE() << "400 digits gave a value";
  } catch (const LineError& e) {
    EXPECT_EQ(std::string(e.what()), "the number is not a finite number");
  }
}

}  // namespace
