// Linked into every test program: views keep no display choices from one
// test to the next. The settings folder points below a file, where no
// folder can be made, so nothing is read or written; the tests of the
// saved state name a folder of their own.
#include <cstdlib>

namespace {

const bool kSettingsFolderUnusable = [] {
  ::setenv("XDG_CONFIG_HOME", "/dev/null/korvane-tests", 1);
  return true;
}();

}  // namespace
