#include "support/PrivateDisplay.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

extern char** environ;

namespace testsupport {
namespace {

// The server process: started at the first request, stopped at exit.
class VirtualServer {
 public:
  ~VirtualServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  // The display name (":N"), or nothing when Xvfb cannot be started.
  std::optional<std::string> name() {
    if (!started_) start();
    return name_;
  }

 private:
  void start() {
    started_ = true;
    int fds[2];
    if (pipe(fds) != 0) return;
    // The server writes its display number to the descriptor it is given
    // once it accepts connections.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", 1, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 1, 0);
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24",
                          "-nolisten", "tcp", "-noreset", nullptr};
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
      pid_ = 0;
      close(fds[0]);
      return;
    }
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    name_ = ":" + number;
  }

  bool started_ = false;
  pid_t pid_ = 0;
  std::optional<std::string> name_;
};

VirtualServer& server() {
  static VirtualServer instance;
  return instance;
}

}  // namespace

PrivateDisplay::PrivateDisplay() {
  const std::optional<std::string> name = server().name();
  if (!name) return;
  if (const char* current = std::getenv("DISPLAY")) hadDisplay_ = true, previous_ = current;
  setenv("DISPLAY", name->c_str(), 1);
  ok_ = true;
}

PrivateDisplay::~PrivateDisplay() {
  if (!ok_) return;
  if (hadDisplay_)
    setenv("DISPLAY", previous_.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

}  // namespace testsupport
