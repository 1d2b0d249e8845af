#pragma once
// A program file as the control flow walks it: its lines, and where each
// O-word label's lines are, so that a branch, a loop or a call finds its
// partner without reading what lies between.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Block.h"
#include "BlockText.h"

namespace korvane::gcode {

struct ProgramFile {
  std::string name;
  std::vector<std::string> lines;
  // Per line: its O-word, read without evaluating; none for other lines
  // and for lines whose text is broken (the error comes when they run).
  std::vector<std::optional<OWord>> oWords;
  // Per label: the lines that carry it, in order.
  std::map<std::string, std::vector<size_t>> labelLines;
  // The lines a '%' delimits: [first, end).
  size_t first = 0, end = 0;
  // Lines that pair up, both ways: sub and endsub, if and endif, while and
  // endwhile, do and the while that closes it, repeat and endrepeat.
  std::map<size_t, size_t> partner;
  // The whiles that close a do.
  std::vector<bool> closesDo;

  // The next line after `from` with the label and one of the keywords; none
  // when there is none.
  std::optional<size_t> next(const std::string& label, size_t from, std::initializer_list<OKeyword> keywords) const;
  // The nearest line before `from` with the label and the keyword.
  std::optional<size_t> previous(const std::string& label, size_t from, OKeyword keyword) const;
};

ProgramFile programFileOf(std::string_view text, std::string name);

}  // namespace korvane::gcode
