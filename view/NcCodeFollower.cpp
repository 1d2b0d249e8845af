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

// The lines of file id around line (from line 1 when it is 0), with the
// file's first line as title for a subprogram; nothing when the text ends
// before the line.
UI::SubprogramValues listedLines(const UI::NcCodeModel& code, int32_t id, uint32_t line, uint32_t context) {
  UI::SubprogramValues listed;
  const uint32_t first = line > context ? line - context : 1;
  const uint32_t count = line == 0 ? 2 * context + 1 : line + context - first + 1;
  for (const auto& [number, text] : code.lines(id, first, count))
    listed.lines.emplace_back(number, displayed(text));
  if (listed.lines.empty() || listed.lines.back().first < line) return {};
  listed.current = line;
  if (id != UI::NcCodeModel::kMainProgram) listed.title = displayed(code.lineText(id, 1));
  return listed;
}

}  // namespace

bool NcCodeFollower::follow(const PlayedPosition& played, const UI::NcCodeModel& code, bool inch, int decimals,
                            const NcCodeListing& listing) {
  const toolpath::Toolpath* path = played.toolpath.get();
  const bool playing = path && played.at.move >= 0;
  const Key key{path, playing ? path->lineOf(played.at.move) : 0, code.revision(), inch, decimals, listing};
  if (shown_ == key) return false;
  shown_ = key;

  status_ = {};
  subprogram_ = {};
  status_.inch = inch;
  status_.decimals = decimals;
  if (path) {
    status_.hasToolpath = true;
    status_.totalLength = path->totalLength();
    status_.totalMinutes = path->totalTime();
  }
  if (playing && key.line != 0) {
    status_.line = key.line;
    const toolpath::FileLine at = path->fileLineOf(key.line);
    status_.code = at.fileId < 0 ? displayed(code.lineText(UI::NcCodeModel::kMainProgram, key.line))
                                 : displayed(code.lineText(at.fileId, at.line));
  }
  // The panel lists the reported line when open, and shows by itself in a
  // subprogram.
  const uint32_t line = listing.open && listing.line >= 0 ? static_cast<uint32_t>(std::min<int64_t>(listing.line, UINT32_MAX))
                                                          : status_.line;
  const toolpath::FileLine at = path && line != 0 ? path->fileLineOf(line) : toolpath::FileLine{-1, line};
  const bool inside = at.fileId >= 0;
  if (!listing.open && !inside) return true;
  const uint32_t context = listing.open ? kListingContext : UI::SubProgramHUD::kContext;
  subprogram_ = listedLines(code, inside ? at.fileId : UI::NcCodeModel::kMainProgram, inside ? at.line : line, context);
  subprogram_.inside = inside && !subprogram_.lines.empty();
  subprogram_.listing = listing.open;
  if (!inside && listing.selectedFirst >= 1) {
    subprogram_.selectedFirst = static_cast<uint32_t>(std::min<int64_t>(listing.selectedFirst, UINT32_MAX));
    subprogram_.selectedLast =
        static_cast<uint32_t>(std::clamp<int64_t>(listing.selectedLast, listing.selectedFirst, UINT32_MAX));
  }
  return true;
}

}  // namespace view
