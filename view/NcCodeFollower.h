#pragma once
// What the status bar and the code panel show at the played position: the
// NC line of the move playing, where the toolpath's subprogram line map puts
// it (the main program, or a line of one subprogram), and that line's text
// from the host's NC program. While the "NC code" panel is open, the code
// panel lists the line that event 5 last reported, with the host's
// selection. Worked out again only when something shown changed. Render
// thread.
#include <cstdint>
#include <memory>
#include <optional>

#include "toolpath/SubprogramLineMap.h"
#include "ui/NcCodeModel.h"
#include "ui/StatusBar.h"
#include "ui/SubProgramHUD.h"
#include "view/Playback.h"

namespace view {

// The "NC code" panel's state.
struct NcCodeListing {
  bool open = false;
  int64_t line = -1;  // the line event 5 reported last; -1 none yet: the line playing
  int64_t selectedFirst = -1, selectedLast = -1;  // main-program lines the host selected
  bool operator==(const NcCodeListing&) const = default;
};

class NcCodeFollower {
 public:
  // Lines listed around the one shown, before and after it, while the panel
  // is open.
  static constexpr uint32_t kListingContext = 6;

  // True when the values changed.
  bool follow(const PlayedPosition& played, const UI::NcCodeModel& code, bool inch, int decimals,
              const NcCodeListing& listing = {});
  const UI::StatusValues& status() const { return status_; }
  const UI::SubprogramValues& subprogram() const { return subprogram_; }

 private:
  struct Key {
    const toolpath::Toolpath* toolpath = nullptr;
    uint32_t line = 0;
    uint64_t revision = 0;
    bool inch = false;
    int decimals = 3;
    NcCodeListing listing;
    bool operator==(const Key&) const = default;
  };
  std::optional<Key> shown_;
  UI::StatusValues status_;
  UI::SubprogramValues subprogram_;
};

}  // namespace view
