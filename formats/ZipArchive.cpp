#include "formats/ZipArchive.h"

#include <zip.h>

#include <array>
#include <ctime>
#include <fstream>

namespace formats {
namespace {

// "Version made by": Unix (3) in the high byte, so that readers take the
// high half of the external attributes as the file's mode; ZIP 2.0 below.
constexpr uLong kMadeByUnix = (3u << 8) | 20u;
constexpr uint32_t kRegularFile = 0100000;

// Entries are dated when they are packed.
zip_fileinfo infoOf(uint32_t mode) {
  zip_fileinfo info{};
  const std::time_t when = std::time(nullptr);
  std::tm local{};
  localtime_r(&when, &local);
  info.tmz_date = {static_cast<uInt>(local.tm_sec),  static_cast<uInt>(local.tm_min),
                   static_cast<uInt>(local.tm_hour), static_cast<uInt>(local.tm_mday),
                   static_cast<uInt>(local.tm_mon),  static_cast<uInt>(local.tm_year + 1900)};
  info.external_fa = static_cast<uLong>(kRegularFile | (mode & 07777)) << 16;
  return info;
}

}  // namespace

std::unique_ptr<ZipArchive> ZipArchive::create(const std::filesystem::path& path) {
  zipFile handle = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!handle) return nullptr;
  return std::unique_ptr<ZipArchive>(new ZipArchive(handle));
}

ZipArchive::~ZipArchive() { close(); }

bool ZipArchive::add(const std::filesystem::path& source, const std::string& name, uint32_t mode) {
  if (!handle_) return false;
  std::ifstream in(source, std::ios::binary);
  if (!in) return false;
  const zip_fileinfo info = infoOf(mode);
  // Large files need the 64-bit records; asking for them always costs a few bytes.
  if (zipOpenNewFileInZip4_64(handle_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                              kMadeByUnix, 0, 1) != ZIP_OK)
    return false;
  std::array<char, 1 << 16> buffer;
  bool whole = true;
  while (in) {
    in.read(buffer.data(), buffer.size());
    const std::streamsize got = in.gcount();
    if (got > 0 && zipWriteInFileInZip(handle_, buffer.data(), static_cast<unsigned>(got)) != ZIP_OK) {
      whole = false;
      break;
    }
  }
  if (in.bad()) whole = false;
  return zipCloseFileInZip(handle_) == ZIP_OK && whole;
}

bool ZipArchive::close() {
  if (!handle_) return true;
  const bool closed = zipClose(handle_, nullptr) == ZIP_OK;
  handle_ = nullptr;
  return closed;
}

}  // namespace formats
