#pragma once
// One line of a program as the words read it: lower case, without blanks,
// comments taken out (their text kept), with the column in the raw line of
// every character kept, for errors.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::gcode {

struct Comment {
  std::string text;  // as written, without its parentheses or ';'
  size_t column = 0;
};

struct BlockText {
  std::string text;             // the words: lower case, no blanks, no comments
  std::vector<size_t> columns;  // per character of text: its column in the raw line, from 1
  std::vector<Comment> comments;
  bool blockDelete = false;     // the line began with '/'
  bool percent = false;         // the line is a '%' program delimiter

  // The raw column of text position `at` (the end of the line past it).
  size_t columnAt(size_t at) const;
};

// Throws LineError for a comment left open or one that opens another.
BlockText blockTextOf(std::string_view raw);

}  // namespace korvane::gcode
