#pragma once
// The string table every view starts from, shared by the process: the
// host's texts, or a built-in language chosen for views created afterwards.
// Any thread; a view takes its copy when it is created.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/StringTable.h"

namespace UI {

class ProcessStrings {
 public:
  static ProcessStrings& instance();

  // Views created afterwards load that built-in language.
  void localize(int32_t language);
  // The host's texts, (entry, text), applied together: no view created
  // meanwhile sees half of them. A pending built-in language is cancelled.
  void setHostTexts(std::vector<std::pair<size_t, std::u16string>> texts);
  // A view's starting table, with the built-in language it is to load
  // instead once its window exists (none: the table is the host's).
  struct ForView {
    StringTable table;
    std::optional<int32_t> language;
  };
  ForView forNewView() const;
  // An entry's text; the pointer stays valid until that entry is set again.
  const char16_t* text(size_t index) const;
  // Back to English and no language chosen (for tests and hosts that start
  // over).
  void reset();

 private:
  ProcessStrings();
  mutable std::mutex mutex_;
  StringTable table_;
  std::optional<int32_t> language_;
};

}  // namespace UI
