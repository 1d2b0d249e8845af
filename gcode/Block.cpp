#include "Block.h"

#include <cctype>
#include <cmath>

#include "Error.h"

namespace korvane::gcode {
namespace {

constexpr struct {
  const char* name;
  OKeyword keyword;
} kKeywords[] = {
    // Longer spellings before their prefixes.
    {"endsub", OKeyword::EndSub},   {"endwhile", OKeyword::EndWhile}, {"endif", OKeyword::EndIf},
    {"endrepeat", OKeyword::EndRepeat}, {"elseif", OKeyword::ElseIf}, {"else", OKeyword::Else},
    {"sub", OKeyword::Sub},         {"return", OKeyword::Return},     {"call", OKeyword::Call},
    {"do", OKeyword::Do},           {"while", OKeyword::While},       {"if", OKeyword::If},
    {"repeat", OKeyword::Repeat},   {"break", OKeyword::Break},       {"continue", OKeyword::Continue},
};

// Letters, and the polar words '@' (distance) and '^' (angle).
bool isWordLetter(char c) { return (std::isalpha(static_cast<unsigned char>(c)) && c != 'o') || c == '@' || c == '^'; }

}  // namespace

std::optional<OWord> oWordOf(const BlockText& block) {
  const std::string& t = block.text;
  size_t at = 0;
  // A line number may come first.
  if (at < t.size() && t[at] == 'n') {
    ++at;
    while (at < t.size() && (std::isdigit(static_cast<unsigned char>(t[at])) || t[at] == '.')) ++at;
  }
  if (at >= t.size() || t[at] != 'o') return std::nullopt;
  OWord o;
  o.column = block.columnAt(at);
  ++at;
  if (at < t.size() && t[at] == '<') {
    const size_t close = t.find('>', at);
    if (close == std::string::npos) throw LineError(block.columnAt(at), "an O-word's name is left open");
    o.label = t.substr(at, close - at + 1);
    at = close + 1;
  } else {
    const size_t start = at;
    while (at < t.size() && std::isdigit(static_cast<unsigned char>(t[at]))) ++at;
    if (at == start) throw LineError(o.column, "an O-word needs a number or a <name>");
    o.label = t.substr(start, at - start);
    // 0100 and 100 are one label.
    const size_t first = o.label.find_first_not_of('0');
    o.label = first == std::string::npos ? "0" : o.label.substr(first);
  }
  // A number alone names a program that M98 calls.
  if (at == t.size() && o.label.front() != '<') {
    o.keyword = OKeyword::Program;
    o.expressionsAt = at;
    return o;
  }
  for (const auto& k : kKeywords) {
    const std::string_view name(k.name);
    if (t.compare(at, name.size(), name) == 0) {
      o.keyword = k.keyword;
      o.expressionsAt = at + name.size();
      return o;
    }
  }
  throw LineError(block.columnAt(at), "an O-word needs a keyword (sub, call, if, while, ...)");
}

int codeOf(const Word& word) {
  const double tenths = word.value * 10;
  const double whole = std::round(tenths);
  if (std::abs(tenths - whole) > 1e-3 || std::abs(whole) > 1e7)
    throw LineError(word.column, std::string(1, char(std::toupper(word.letter))) + " code " + std::to_string(word.value) +
                                     " has more than one decimal");
  return static_cast<int>(whole);
}

Block blockOf(const BlockText& text, const ParameterReader& parameters) {
  Block block;
  const std::string& t = text.text;
  const ExpressionReader reader(text, parameters);
  block.oWord = oWordOf(text);
  size_t at = 0;
  if (at < t.size() && t[at] == 'n') {
    Word n{'n', 0, text.columnAt(at)};
    ++at;
    n.value = reader.value(at);
    block.lineNumber = n;
  }
  if (block.oWord) return block;
  while (at < t.size()) {
    const char c = t[at];
    const size_t column = text.columnAt(at);
    if (c == '#') {
      ++at;
      Assignment a;
      a.column = column;
      a.ref = reader.reference(at);
      if (at >= t.size() || t[at] != '=') throw LineError(text.columnAt(at), "a parameter setting lacks its '='");
      ++at;
      a.value = reader.value(at);
      block.assignments.push_back(std::move(a));
      continue;
    }
    if (c == 'o') throw LineError(column, "an O-word must begin its line");
    if (c == 'n') throw LineError(column, "a line number must come first");
    if (!isWordLetter(c)) throw LineError(column, std::string("unexpected '") + c + "'");
    ++at;
    Word w{c, reader.value(at), column};
    if (c == 'g') {
      block.gCodes.push_back(w);
    } else if (c == 'm') {
      block.mCodes.push_back(w);
    } else if (!block.words.emplace(c, w).second) {
      throw LineError(column, std::string(1, char(std::toupper(c))) + " appears twice on the line");
    }
  }
  return block;
}

}  // namespace korvane::gcode
