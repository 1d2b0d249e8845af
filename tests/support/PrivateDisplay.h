#pragma once
// An X server of the test's own, for tests that drive a view with X input
// events. On a display shared with other tests, a window that another test
// maps or embeds takes the input focus, and a window losing the focus lets
// go of the buttons held in it, which ends a drag half way.
//
// While an instance lives, DISPLAY names a virtual server started for this
// process (once; it ends with the process); afterwards DISPLAY is what it
// was. Construct it before anything opens the display.
#include <string>

namespace testsupport {

class PrivateDisplay {
 public:
  PrivateDisplay();
  ~PrivateDisplay();
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

  // False when no server could be started (DISPLAY is then left alone).
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  bool hadDisplay_ = false;
  std::string previous_;
};

}  // namespace testsupport
