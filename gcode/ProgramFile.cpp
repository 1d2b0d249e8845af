#include "ProgramFile.h"

#include "Error.h"

namespace korvane::gcode {

std::optional<size_t> ProgramFile::next(const std::string& label, size_t from,
                                        std::initializer_list<OKeyword> keywords) const {
  const auto it = labelLines.find(label);
  if (it == labelLines.end()) return std::nullopt;
  for (const size_t line : it->second) {
    if (line <= from) continue;
    for (const OKeyword k : keywords)
      if (oWords[line]->keyword == k) return line;
  }
  return std::nullopt;
}

std::optional<size_t> ProgramFile::previous(const std::string& label, size_t from, OKeyword keyword) const {
  const auto it = labelLines.find(label);
  if (it == labelLines.end()) return std::nullopt;
  std::optional<size_t> found;
  for (const size_t line : it->second) {
    if (line >= from) break;
    if (oWords[line]->keyword == keyword) found = line;
  }
  return found;
}

namespace {

// Pairs each label's lines by their nesting; lines left unpaired stay so,
// and are reported when they run.
void pairLines(ProgramFile& file) {
  file.closesDo.assign(file.lines.size(), false);
  for (const auto& [label, lines] : file.labelLines) {
    std::vector<size_t> open;
    const auto pair = [&](size_t line, OKeyword opener) {
      if (open.empty() || file.oWords[open.back()]->keyword != opener) return;
      file.partner[open.back()] = line;
      file.partner[line] = open.back();
      open.pop_back();
    };
    for (const size_t line : lines) {
      switch (file.oWords[line]->keyword) {
        case OKeyword::Sub:
        case OKeyword::Do:
        case OKeyword::Repeat:
        case OKeyword::If: open.push_back(line); break;
        case OKeyword::While:
          if (!open.empty() && file.oWords[open.back()]->keyword == OKeyword::Do) {
            file.closesDo[line] = true;
            pair(line, OKeyword::Do);
          } else {
            open.push_back(line);
          }
          break;
        case OKeyword::EndSub: pair(line, OKeyword::Sub); break;
        case OKeyword::EndWhile: pair(line, OKeyword::While); break;
        case OKeyword::EndRepeat: pair(line, OKeyword::Repeat); break;
        case OKeyword::EndIf: pair(line, OKeyword::If); break;
        default: break;
      }
    }
  }
}

}  // namespace

ProgramFile programFileOf(std::string_view text, std::string name) {
  ProgramFile file;
  file.name = std::move(name);
  size_t start = 0;
  while (start <= text.size()) {
    const size_t stop = text.find('\n', start);
    const size_t length = (stop == std::string_view::npos ? text.size() : stop) - start;
    file.lines.emplace_back(text.substr(start, length));
    if (stop == std::string_view::npos) break;
    start = stop + 1;
  }
  if (!file.lines.empty() && file.lines.back().empty()) file.lines.pop_back();
  file.end = file.lines.size();
  file.oWords.resize(file.lines.size());
  // A program whose first line of words is '%' runs to the next '%'.
  bool opened = false, sawWords = false;
  for (size_t i = 0; i < file.lines.size(); ++i) {
    try {
      const BlockText block = blockTextOf(file.lines[i]);
      if (block.percent) {
        if (opened) {
          file.end = i;
          break;
        }
        if (file.labelLines.empty() && !sawWords) {
          opened = true;
          file.first = i + 1;
        }
        continue;
      }
      sawWords = sawWords || !block.text.empty();
      file.oWords[i] = oWordOf(block);
      if (file.oWords[i]) file.labelLines[file.oWords[i]->label].push_back(i);
    } catch (const LineError&) {
      sawWords = true;  // read again, and reported, when the line runs
    }
  }
  pairLines(file);
  return file;
}

}  // namespace korvane::gcode
