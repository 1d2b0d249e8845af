#include "platform/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>

namespace platform {

std::optional<std::vector<uint8_t>> readWholeFile(const std::filesystem::path& path, size_t limit) {
  // What is checked is what was opened: a file swapped for a pipe between
  // a check and the open cannot block the caller.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::vector<uint8_t>> bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) <= limit) {
    std::vector<uint8_t> read(size_t(info.st_size));
    size_t at = 0;
    while (at < read.size()) {
      const ssize_t got = ::read(fd, read.data() + at, read.size() - at);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      at += size_t(got);
    }
    // A file that shrank meanwhile is read as far as it goes.
    read.resize(at);
    bytes = std::move(read);
  }
  ::close(fd);
  return bytes;
}

bool replaceWholeFile(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  // A name no other writer in this process or another one uses.
  static std::atomic<uint64_t> writes{0};
  std::filesystem::path partial = path;
  partial += "." + std::to_string(::getpid()) + "." + std::to_string(writes++) + ".part";
  bool written = false;
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    if (file) {
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      file.close();
      written = static_cast<bool>(file);
    }
  }
  std::error_code renamed;
  if (written) std::filesystem::rename(partial, path, renamed);
  const bool replaced = written && !renamed;
  std::error_code ignored;
  if (!replaced) std::filesystem::remove(partial, ignored);
  return replaced;
}

}  // namespace platform
