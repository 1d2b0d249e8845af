#pragma once
// What the interpreter says when a program is wrong: the column (from 1)
// of the line where it noticed, and a one-line reason.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace korvane::gcode {

class LineError : public std::runtime_error {
 public:
  LineError(size_t column, const std::string& reason) : std::runtime_error(reason), column_(column) {}
  size_t column() const { return column_; }

 private:
  size_t column_;
};

}  // namespace korvane::gcode
