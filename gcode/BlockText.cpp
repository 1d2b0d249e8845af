#include "BlockText.h"

#include "Error.h"

namespace korvane::gcode {

size_t BlockText::columnAt(size_t at) const {
  if (at < columns.size()) return columns[at];
  return columns.empty() ? 1 : columns.back() + 1;
}

BlockText blockTextOf(std::string_view raw) {
  BlockText block;
  block.text.reserve(raw.size());
  block.columns.reserve(raw.size());
  size_t i = 0;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (i < raw.size() && blank(raw[i])) ++i;
  if (i < raw.size() && raw[i] == '/') {
    block.blockDelete = true;
    ++i;
  }
  for (; i < raw.size(); ++i) {
    const char c = raw[i];
    if (blank(c)) continue;
    if (c == ';') {
      block.comments.push_back({std::string(raw.substr(i + 1)), i + 1});
      break;
    }
    if (c == '(') {
      const size_t close = raw.find(')', i + 1);
      if (close == std::string_view::npos) throw LineError(i + 1, "a comment is left open");
      const std::string_view inside = raw.substr(i + 1, close - i - 1);
      if (inside.find('(') != std::string_view::npos) throw LineError(i + 1, "a comment opens another comment");
      block.comments.push_back({std::string(inside), i + 1});
      i = close;
      continue;
    }
    // ASCII letters only: a locale's lower case is not G-code's.
    block.text.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    block.columns.push_back(i + 1);
  }
  block.percent = block.text == "%" && !block.blockDelete;
  return block;
}

}  // namespace korvane::gcode
