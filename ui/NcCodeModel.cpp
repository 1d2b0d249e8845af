#include "ui/NcCodeModel.h"

#include <algorithm>

namespace UI {

NcFile::NcFile(const char* utf8, const uint32_t* values, uint32_t count) {
  if (utf8) text_ = utf8;
  if (values && count) values_.assign(values, values + count);
  if (text_.empty()) return;
  lineStarts_.push_back(0);
  for (size_t i = 0; i < text_.size(); ++i)
    if (text_[i] == '\n' && i + 1 < text_.size()) lineStarts_.push_back(i + 1);
}

std::string_view NcFile::line(uint32_t number) const {
  if (number == 0 || number > lineStarts_.size()) return {};
  const size_t start = lineStarts_[number - 1];
  size_t end = number < lineStarts_.size() ? lineStarts_[number] - 1 : text_.size();
  if (end > start && text_[end - 1] == '\n') --end;
  if (end > start && text_[end - 1] == '\r') --end;
  return std::string_view(text_).substr(start, end - start);
}

void NcCodeModel::setProgram(NcFile program) {
  std::lock_guard lock(mutex_);
  program_ = std::move(program);
  ++revision_;
}

void NcCodeModel::setSubprograms(std::vector<NcFile> files) {
  std::lock_guard lock(mutex_);
  subprograms_ = std::move(files);
  ++revision_;
}

const NcFile* NcCodeModel::file(int32_t id) const {
  if (id == kMainProgram) return &program_;
  if (id < 0 || size_t(id) >= subprograms_.size()) return nullptr;
  return &subprograms_[size_t(id)];
}

std::string NcCodeModel::lineText(int32_t id, uint32_t line) const {
  std::lock_guard lock(mutex_);
  const NcFile* f = file(id);
  return f ? std::string(f->line(line)) : std::string();
}

std::vector<std::pair<uint32_t, std::string>> NcCodeModel::lines(int32_t id, uint32_t first, uint32_t count) const {
  std::lock_guard lock(mutex_);
  std::vector<std::pair<uint32_t, std::string>> out;
  const NcFile* f = file(id);
  if (!f) return out;
  for (uint64_t n = std::max<uint32_t>(first, 1); n < uint64_t(first) + count && n <= f->lineCount(); ++n)
    out.emplace_back(uint32_t(n), std::string(f->line(uint32_t(n))));
  return out;
}

size_t NcCodeModel::lineCount(int32_t id) const {
  std::lock_guard lock(mutex_);
  const NcFile* f = file(id);
  return f ? f->lineCount() : 0;
}

std::vector<uint32_t> NcCodeModel::values(int32_t id) const {
  std::lock_guard lock(mutex_);
  const NcFile* f = file(id);
  return f ? f->values() : std::vector<uint32_t>();
}

std::string NcCodeModel::text(int32_t id) const {
  std::lock_guard lock(mutex_);
  const NcFile* f = file(id);
  return f ? f->text() : std::string();
}

size_t NcCodeModel::subprogramCount() const {
  std::lock_guard lock(mutex_);
  return subprograms_.size();
}

uint64_t NcCodeModel::revision() const {
  std::lock_guard lock(mutex_);
  return revision_;
}

}  // namespace UI
