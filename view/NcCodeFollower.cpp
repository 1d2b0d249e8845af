#include "view/NcCodeFollower.h"

#include <algorithm>

#include "common/Utf16.h"

namespace view {

namespace {

// A line as the interface draws it: tabs as spaces, no leading blanks.
std::u16string displayed(const std::string& line) {
  std::u16string text = common::utf16FromUtf8(line);
  std::replace(text.begin(), text.end(), u'\t', u' ');
  text.erase(0, std::min(text.size(), text.find_first_not_of(u' ')));
  return text;
}

}  // namespace

bool NcCodeFollower::follow(const PlayedPosition& played, const UI::NcCodeModel& code, bool inch, int decimals) {
  const toolpath::Toolpath* path = played.toolpath.get();
  const bool playing = path && played.at.move >= 0;
  const Key key{path, playing ? path->lineOf(played.at.move) : 0, code.revision(), inch, decimals};
  if (shown_ == key) return false;
  shown_ = key;

  status_ = {};
  subprogram_ = {};
  status_.inch = inch;
  status_.decimals = decimals;
  if (!path) return true;
  status_.hasToolpath = true;
  status_.totalLength = path->totalLength();
  status_.totalMinutes = path->totalTime();
  if (!playing || key.line == 0) return true;
  status_.line = key.line;
  const toolpath::FileLine at = path->fileLineOf(key.line);
  if (at.fileId < 0) {
    status_.code = displayed(code.lineText(UI::NcCodeModel::kMainProgram, key.line));
    return true;
  }
  // Inside a subprogram: its line's text, and the lines around it.
  status_.code = displayed(code.lineText(at.fileId, at.line));
  const uint32_t context = UI::SubProgramHUD::kContext;
  const uint32_t first = at.line > context ? at.line - context : 1;
  for (const auto& [number, text] : code.lines(at.fileId, first, at.line - first + 1 + context))
    subprogram_.lines.emplace_back(number, displayed(text));
  if (subprogram_.lines.empty() || subprogram_.lines.back().first < at.line) {
    subprogram_.lines.clear();  // the host's text ends before the line
    return true;
  }
  subprogram_.inside = true;
  subprogram_.current = at.line;
  subprogram_.title = displayed(code.lineText(at.fileId, 1));
  return true;
}

}  // namespace view
