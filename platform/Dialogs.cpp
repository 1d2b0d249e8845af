#include "platform/Dialogs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>

extern char** environ;

namespace platform {

namespace {

// The program's path on PATH, or nothing.
std::optional<std::string> onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(folder) / program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return std::nullopt;
}

// Runs the program with the arguments and returns what it printed when it
// exits with 0 (zenity's "OK"), nothing otherwise.
std::optional<std::string> runForAnswer(const std::string& program, const std::vector<std::string>& arguments) {
  // Close-on-exec: another child spawned meanwhile must not hold the write
  // end open, or the answer would never end.
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string answer;
  if (spawned == 0) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) answer.append(buffer, static_cast<size_t>(n));
  }
  close(pipeEnds[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  pid_t waited = -1;
  while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
  }
  if (waited != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return answer;
}

class DesktopDialogs : public DialogProvider {
 public:
  void messageBox(const std::string& title, const std::string& text, Icon icon) override {
    if (const std::optional<std::string> zenity = available()) {
      runForAnswer(*zenity, {icon == Icon::Error ? "--error" : "--info", "--title=" + title, "--text=" + text,
                             "--no-markup"});
      return;
    }
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }

  std::optional<std::string> saveFile(const std::string& title, const std::string& suggestedName,
                                      const std::vector<FileFilter>& filters) override {
    const std::optional<std::string> zenity = available();
    if (!zenity) return std::nullopt;
    std::vector<std::string> arguments = {"--file-selection", "--save", "--confirm-overwrite", "--title=" + title,
                                          "--filename=" + suggestedName};
    for (const FileFilter& f : filters) arguments.push_back("--file-filter=" + f.name + " | *" + f.extension);
    std::optional<std::string> path = runForAnswer(*zenity, arguments);
    if (path && path->empty()) return std::nullopt;
    return path;
  }

  std::optional<Rgb> chooseColour(const std::string& title, Rgb initial) override {
    const std::optional<std::string> zenity = available();
    if (!zenity) return std::nullopt;
    char colour[32];
    std::snprintf(colour, sizeof colour, "rgb(%u,%u,%u)", initial[0], initial[1], initial[2]);
    const std::optional<std::string> answer =
        runForAnswer(*zenity, {"--color-selection", "--title=" + title, std::string("--color=") + colour});
    return answer ? parseColourAnswer(*answer) : std::nullopt;
  }

 private:
  // zenity needs a display to show anything.
  static std::optional<std::string> available() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return std::nullopt;
    return onPath("zenity");
  }
};

std::mutex& providerMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<DialogProvider>& providerSlot() {
  static std::shared_ptr<DialogProvider> provider;
  return provider;
}

}  // namespace

std::shared_ptr<DialogProvider> dialogs() {
  std::lock_guard lock(providerMutex());
  if (!providerSlot()) providerSlot() = std::make_shared<DesktopDialogs>();
  return providerSlot();
}

void setDialogProvider(std::shared_ptr<DialogProvider> provider) {
  std::lock_guard lock(providerMutex());
  providerSlot() = std::move(provider);
}

std::optional<Rgb> parseColourAnswer(const std::string& answer) {
  unsigned r = 0, g = 0, b = 0;
  double alpha = 0;
  int used = -1;  // characters read: the whole answer or nothing
  const int size = static_cast<int>(answer.size());
  auto whole = [&](int fields, int expected) { return fields == expected && used == size; };
  bool read = whole(std::sscanf(answer.c_str(), "rgb(%u,%u,%u)%n", &r, &g, &b, &used), 3);
  if (!read) used = -1, read = whole(std::sscanf(answer.c_str(), "rgba(%u,%u,%u,%lf)%n", &r, &g, &b, &alpha, &used), 4);
  if (!read && size == 7) used = -1, read = whole(std::sscanf(answer.c_str(), "#%2x%2x%2x%n", &r, &g, &b, &used), 3);
  if (!read || r > 255 || g > 255 || b > 255) return std::nullopt;
  return Rgb{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

}  // namespace platform
