#include "ui/ProcessStrings.h"

#include <utility>

namespace UI {

ProcessStrings& ProcessStrings::instance() {
  static ProcessStrings strings;
  return strings;
}

ProcessStrings::ProcessStrings() : table_(englishStrings()) {}

void ProcessStrings::localize(int32_t language) {
  std::lock_guard lock(mutex_);
  language_ = language;
}

void ProcessStrings::setHostTexts(std::vector<std::pair<size_t, std::u16string>> texts) {
  std::lock_guard lock(mutex_);
  for (auto& [index, text] : texts)
    if (index < kStringCount) table_[index] = std::move(text);
  language_.reset();
}

ProcessStrings::ForView ProcessStrings::forNewView() const {
  std::lock_guard lock(mutex_);
  return {table_, language_};
}

const char16_t* ProcessStrings::text(size_t index) const {
  std::lock_guard lock(mutex_);
  return index < kStringCount ? table_[index].c_str() : u"";
}

void ProcessStrings::reset() {
  std::lock_guard lock(mutex_);
  table_ = englishStrings();
  language_.reset();
}

}  // namespace UI
