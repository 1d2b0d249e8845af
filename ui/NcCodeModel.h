#pragma once
// The NC program text the host hands over for the interface: the main
// program and its subprograms, each split into lines, with the host's
// per-line values kept beside it. The host thread replaces the texts; the
// render thread reads lines. Lines are numbered from 1, as editors and the
// toolpath's NC line numbers count them.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace UI {

// One NC text and the values the host gave for its lines.
class NcFile {
 public:
  NcFile() = default;
  // A null text is an empty one; the values are copied only when both the
  // pointer and the count are given.
  NcFile(const char* utf8, const uint32_t* values, uint32_t count);
  size_t lineCount() const { return lineStarts_.size(); }
  // Line 1 is the first; empty for a line the text does not have. The line
  // end (LF or CR LF) is not part of it.
  std::string_view line(uint32_t number) const;
  const std::vector<uint32_t>& values() const { return values_; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::vector<size_t> lineStarts_;
  std::vector<uint32_t> values_;
};

class NcCodeModel {
 public:
  // File -1 is the main program; file k >= 0 is the k-th subprogram, the
  // file id the toolpath's subprogram line map gives.
  static constexpr int32_t kMainProgram = -1;

  void setProgram(NcFile program);
  void setSubprograms(std::vector<NcFile> files);
  // A copy of the line's text, empty when unknown.
  std::string lineText(int32_t file, uint32_t line) const;
  // Lines [first, first + count) of a file that it has.
  std::vector<std::pair<uint32_t, std::string>> lines(int32_t file, uint32_t first, uint32_t count) const;
  size_t lineCount(int32_t file) const;
  std::vector<uint32_t> values(int32_t file) const;
  // The whole text as the host gave it; empty when unknown.
  std::string text(int32_t file) const;
  size_t subprogramCount() const;
  // Counts every change of the texts: readers show them again when it moved.
  uint64_t revision() const;

 private:
  const NcFile* file(int32_t id) const;  // the lock held

  mutable std::mutex mutex_;
  NcFile program_;
  std::vector<NcFile> subprograms_;
  uint64_t revision_ = 0;
};

}  // namespace UI
