#pragma once
// One line's words, read: its line number, its G and M codes (several
// each), its other words (each letter once), its parameter settings in
// order, or an O-word with its label and keyword. Values are read as the
// line is; an O-word's expressions are left for the control flow to read
// when it runs them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BlockText.h"
#include "Expression.h"

namespace korvane::gcode {

struct Word {
  char letter = 0;
  double value = 0;
  size_t column = 0;
};

struct Assignment {
  ParameterRef ref;
  double value = 0;
  size_t column = 0;
};

enum class OKeyword {
  Sub, EndSub, Return, Call, Do, While, EndWhile, If, ElseIf, Else, EndIf, Repeat, EndRepeat, Break, Continue,
  Program  // O1000 alone: where a numbered (Fanuc-style) program starts, for M98
};

struct OWord {
  std::string label;  // digits as written ("100"), or a name ("<probe>")
  OKeyword keyword = OKeyword::Sub;
  size_t column = 0;
  size_t expressionsAt = 0;  // where the line's text goes on after the keyword
};

// An O-word line's label and keyword, read without evaluating anything (a
// skipped branch must not); none for a line without one. Throws LineError
// for an O-word without a known keyword.
std::optional<OWord> oWordOf(const BlockText& block);

struct Block {
  std::optional<Word> lineNumber;
  std::vector<Word> gCodes, mCodes;
  std::map<char, Word> words;
  std::vector<Assignment> assignments;
  std::optional<OWord> oWord;

  bool has(char letter) const { return words.count(letter) != 0; }
  double operator[](char letter) const { return words.at(letter).value; }
};

// Throws LineError: a letter twice, an unknown letter, a stray character,
// a line number after the first word, an O-word after other words.
Block blockOf(const BlockText& text, const ParameterReader& parameters);

// A G or M code as tenths (G59.3 is 593); LineError for a code with more
// than one decimal.
int codeOf(const Word& word);

}  // namespace korvane::gcode
