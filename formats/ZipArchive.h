#pragma once
// A ZIP archive written file by file (minizip, zlib's deflate), as the
// presentation bundle packs the viewer program and the simulation file.
// Entries carry Unix modes, so an unpacked program stays executable.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace formats {

class ZipArchive {
 public:
  // A new archive at path (an existing file is replaced); null when it
  // cannot be created.
  static std::unique_ptr<ZipArchive> create(const std::filesystem::path& path);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Adds the file at source under name with the Unix mode (0644, 0755);
  // false when it cannot be read or written whole.
  bool add(const std::filesystem::path& source, const std::string& name, uint32_t mode);
  // Writes the central directory; false when that failed. The destructor
  // closes an archive not closed yet.
  bool close();

 private:
  explicit ZipArchive(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace formats
