#include "Expression.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "Error.h"

namespace korvane::gcode {
namespace {

constexpr double kEqualWithin = 1e-4;
constexpr double kWholeWithin = 1e-4;
constexpr int kLevels = 5;  // binary operator levels, 0 the tightest

enum Op { Power, Times, Divide, Mod, Plus, Minus, Eq, Ne, Gt, Ge, Lt, Le, And, Or, Xor };

struct OperatorName {
  std::string_view text;
  int level;
  Op op;
};

// Longer spellings before their prefixes ("**" before "*").
constexpr OperatorName kOperators[] = {
    {"**", 0, Power}, {"*", 1, Times}, {"/", 1, Divide}, {"mod", 1, Mod}, {"+", 2, Plus}, {"-", 2, Minus},
    {"eq", 3, Eq},    {"ne", 3, Ne},   {"gt", 3, Gt},    {"ge", 3, Ge},   {"lt", 3, Lt},  {"le", 3, Le},
    {"and", 4, And},  {"or", 4, Or},   {"xor", 4, Xor},
};

constexpr double kDegree = M_PI / 180.0;

double apply(Op op, double a, double b, size_t column) {
  double r = 0;
  switch (op) {
    case Power:
      if (a < 0 && b != std::floor(b)) throw LineError(column, "a negative number raised to a fractional power");
      if (a == 0 && b < 0) throw LineError(column, "zero raised to a negative power");
      r = std::pow(a, b);
      break;
    case Times: r = a * b; break;
    case Divide:
      if (b == 0) throw LineError(column, "division by zero");
      r = a / b;
      break;
    case Mod:
      if (b == 0) throw LineError(column, "MOD by zero");
      r = std::fmod(a, b);
      if (r < 0) r += std::abs(b);
      break;
    case Plus: r = a + b; break;
    case Minus: r = a - b; break;
    case Eq: r = std::abs(a - b) < kEqualWithin; break;
    case Ne: r = std::abs(a - b) >= kEqualWithin; break;
    case Gt: r = a > b; break;
    case Ge: r = a >= b; break;
    case Lt: r = a < b; break;
    case Le: r = a <= b; break;
    case And: r = a != 0 && b != 0; break;
    case Or: r = a != 0 || b != 0; break;
    case Xor: r = (a != 0) != (b != 0); break;
  }
  return finite(r, column, "the result");
}

double applyFunction(std::string_view name, double x, size_t column) {
  double r = 0;
  if (name == "abs") {
    r = std::abs(x);
  } else if (name == "acos" || name == "asin") {
    if (x < -1 || x > 1) throw LineError(column, std::string(name) + " of a value outside -1 to 1");
    r = (name == "acos" ? std::acos(x) : std::asin(x)) / kDegree;
  } else if (name == "cos") {
    r = std::cos(x * kDegree);
  } else if (name == "sin") {
    r = std::sin(x * kDegree);
  } else if (name == "tan") {
    r = std::tan(x * kDegree);
  } else if (name == "exp") {
    r = std::exp(x);
  } else if (name == "ln") {
    if (x <= 0) throw LineError(column, "LN of a value not above zero");
    r = std::log(x);
  } else if (name == "sqrt") {
    if (x < 0) throw LineError(column, "SQRT of a negative value");
    r = std::sqrt(x);
  } else if (name == "fix") {
    r = std::floor(x);
  } else if (name == "fup") {
    r = std::ceil(x);
  } else if (name == "round") {
    r = std::round(x);
  } else {
    throw LineError(column, "unknown function '" + std::string(name) + "'");
  }
  return finite(r, column, "the result");
}

}  // namespace

double finite(double value, size_t column, const char* what) {
  if (!std::isfinite(value)) throw LineError(column, std::string(what) + " is not a finite number");
  return value;
}

int ExpressionReader::parameterNumber(double value, size_t column) {
  const double whole = std::round(value);
  if (std::abs(value - whole) > kWholeWithin || std::abs(whole) > 1e9)
    throw LineError(column, "a parameter number must be a whole number");
  return static_cast<int>(whole);
}

double ExpressionReader::value(size_t& at) const {
  const std::string& t = block_.text;
  if (at >= t.size()) throw LineError(columnAt(at), "a value is missing");
  const char c = t[at];
  const size_t column = columnAt(at);
  if (c == '+' || c == '-') {
    ++at;
    const double v = value(at);
    return c == '-' ? -v : v;
  }
  if (c == '[') {
    ++at;
    return expression(at);
  }
  if (c == '#') {
    ++at;
    return finite(parameters_.value(reference(at), column), column, "the parameter");
  }
  if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') return number(at);
  if (std::isalpha(static_cast<unsigned char>(c))) return unaryFunction(at);
  throw LineError(column, "a value is missing");
}

ParameterRef ExpressionReader::reference(size_t& at) const {
  const std::string& t = block_.text;
  ParameterRef ref;
  if (at < t.size() && t[at] == '<') {
    const size_t close = t.find('>', at + 1);
    if (close == std::string::npos) throw LineError(columnAt(at), "a parameter name is left open");
    ref.name = t.substr(at + 1, close - at - 1);
    if (ref.name.empty()) throw LineError(columnAt(at), "a parameter name is empty");
    at = close + 1;
    return ref;
  }
  const size_t column = columnAt(at);
  ref.number = parameterNumber(value(at), column);
  return ref;
}

double ExpressionReader::number(size_t& at) const {
  const std::string& t = block_.text;
  const size_t start = at;
  bool point = false, digit = false;
  for (; at < t.size(); ++at) {
    const char c = t[at];
    if (c == '.' && !point) {
      point = true;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      digit = true;
    } else {
      break;
    }
  }
  if (!digit) throw LineError(columnAt(start), "a number has no digits");
  double v = 0;
  const std::from_chars_result read = std::from_chars(t.data() + start, t.data() + at, v);
  if (read.ec == std::errc::result_out_of_range) {
    // Beyond a double either way: strtod tells an overflow (infinite) from
    // a number too small to hold (zero).
    v = std::strtod(t.substr(start, at - start).c_str(), nullptr);
  }
  return finite(v, columnAt(start), "the number");
}

double ExpressionReader::expression(size_t& at) const {
  const double v = binary(at, kLevels - 1);
  if (at >= block_.text.size() || block_.text[at] != ']')
    throw LineError(columnAt(at), "an expression lacks its closing ']'");
  ++at;
  return v;
}

bool ExpressionReader::peekOperator(size_t at, int& level, int& op, size_t& length) const {
  if (peek_.at != at) {
    peek_ = Peek{at};
    const std::string_view rest = std::string_view(block_.text).substr(std::min(at, block_.text.size()));
    for (const OperatorName& o : kOperators) {
      if (!rest.empty() && rest[0] == o.text[0] && rest.substr(0, o.text.size()) == o.text) {
        peek_ = Peek{at, true, o.level, o.op, o.text.size()};
        break;
      }
    }
  }
  level = peek_.level;
  op = peek_.op;
  length = peek_.length;
  return peek_.found;
}

double ExpressionReader::binary(size_t& at, int level) const {
  double left = level == 0 ? value(at) : binary(at, level - 1);
  for (;;) {
    int found = 0, op = 0;
    size_t length = 0;
    if (!peekOperator(at, found, op, length) || found != level) return left;
    const size_t column = columnAt(at);
    at += length;
    const double right = level == 0 ? value(at) : binary(at, level - 1);
    left = apply(static_cast<Op>(op), left, right, column);
  }
}

double ExpressionReader::unaryFunction(size_t& at) const {
  const std::string& t = block_.text;
  const size_t start = at, column = columnAt(at);
  while (at < t.size() && std::isalpha(static_cast<unsigned char>(t[at]))) ++at;
  const std::string name = t.substr(start, at - start);
  const auto open = [&] {
    if (at >= t.size() || t[at] != '[') throw LineError(columnAt(at), name + " needs a bracketed argument");
    ++at;
  };
  if (name == "exists") {
    open();
    if (at + 1 >= t.size() || t[at] != '#' || t[at + 1] != '<')
      throw LineError(columnAt(at), "EXISTS takes a named parameter");
    ++at;
    const ParameterRef ref = reference(at);
    if (at >= t.size() || t[at] != ']') throw LineError(columnAt(at), "an expression lacks its closing ']'");
    ++at;
    return parameters_.exists(ref.name) ? 1.0 : 0.0;
  }
  if (name == "atan") {
    open();
    const double y = expression(at);
    if (at >= t.size() || t[at] != '/') throw LineError(columnAt(at), "ATAN takes [y]/[x]");
    ++at;
    open();
    const double x = expression(at);
    return finite(std::atan2(y, x) / kDegree, column, "the result");
  }
  open();
  return applyFunction(name, expression(at), column);
}

}  // namespace korvane::gcode
