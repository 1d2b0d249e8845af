#include "platform/ExtractedFiles.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/Folders.h"
#include "platform/WholeFile.h"

namespace platform {
namespace {

constexpr char kParentFolder[] = "TarvoSimData";
constexpr char kIndexName[] = ".idxlist";

// An extension of letters and digits only: anything else in a path from a
// file must not reach the folder's names.
std::string safeExtension(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension.size() < 2 || extension.size() > 16) return "";
  for (size_t i = 1; i < extension.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(extension[i]))) return "";
  return extension;
}

// The shared parent is used only when it is a real folder of this user's:
// one another user made (or planted) is passed by for a folder of this
// load's own directly in the temporary folder.
bool ownFolder(const std::filesystem::path& path) {
  struct stat info{};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

}  // namespace

std::optional<ExtractedFiles> ExtractedFiles::create() {
  const std::filesystem::path parent = temporaryFolder() / kParentFolder;
  if (mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  std::string pattern = ownFolder(parent) ? (parent / "XXXXXX").string() : (parent.string() + "-XXXXXX");
  if (!mkdtemp(pattern.data())) return std::nullopt;
  return ExtractedFiles(pattern);
}

ExtractedFiles::ExtractedFiles(ExtractedFiles&& other) noexcept
    : folder_(std::exchange(other.folder_, {})), count_(other.count_) {}

ExtractedFiles& ExtractedFiles::operator=(ExtractedFiles&& other) noexcept {
  if (this != &other) {
    ExtractedFiles gone(std::move(*this));
    folder_ = std::exchange(other.folder_, {});
    count_ = other.count_;
  }
  return *this;
}

ExtractedFiles::~ExtractedFiles() {
  if (folder_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::optional<std::filesystem::path> ExtractedFiles::add(const std::string& originalPath,
                                                         std::span<const uint8_t> bytes) {
  if (folder_.empty()) return std::nullopt;
  char name[32];
  std::snprintf(name, sizeof name, "%04zu", count_);
  std::string fileName = name;
  fileName.append(safeExtension(originalPath));
  const std::filesystem::path target = folder_ / fileName;
  if (!replaceWholeFile(target, bytes)) return std::nullopt;
  ++count_;
  std::ofstream index(folder_ / kIndexName, std::ios::app);
  index << fileName << '\t' << originalPath << '\n';
  return target;
}

}  // namespace platform
