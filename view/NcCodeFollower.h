#pragma once
// What the status bar and the subprogram panel show at the played position:
// the NC line of the move playing, where the toolpath's subprogram line map
// puts it (the main program, or a line of one subprogram), and that line's
// text from the host's NC program. Worked out again only when the line, the
// texts, the toolpath or the unit changed. Render thread.
#include <cstdint>
#include <memory>
#include <optional>

#include "toolpath/SubprogramLineMap.h"
#include "ui/NcCodeModel.h"
#include "ui/StatusBar.h"
#include "ui/SubProgramHUD.h"
#include "view/Playback.h"

namespace view {

class NcCodeFollower {
 public:
  // True when the values changed.
  bool follow(const PlayedPosition& played, const UI::NcCodeModel& code, bool inch, int decimals);
  const UI::StatusValues& status() const { return status_; }
  const UI::SubprogramValues& subprogram() const { return subprogram_; }

 private:
  struct Key {
    const toolpath::Toolpath* toolpath = nullptr;
    uint32_t line = 0;
    uint64_t revision = 0;
    bool inch = false;
    int decimals = 3;
    bool operator==(const Key&) const = default;
  };
  std::optional<Key> shown_;
  UI::StatusValues status_;
  UI::SubprogramValues subprogram_;
};

}  // namespace view
