#include "platform/WholeFile.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>

namespace platform {

std::optional<std::vector<uint8_t>> readWholeFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
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
