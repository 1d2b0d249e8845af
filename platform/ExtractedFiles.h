#pragma once
// A folder of its own for the files a loaded simulation file carries:
// "TarvoSimData/<random name>/" in the temporary folder, with an index
// (".idxlist": per file a line "<name in the folder>\t<path the records
// gave>") so that a person looking into it knows what each file was. The
// folder goes when the object does.
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

class ExtractedFiles {
 public:
  // None when the folder cannot be made.
  static std::optional<ExtractedFiles> create();
  ExtractedFiles(ExtractedFiles&& other) noexcept;
  ExtractedFiles& operator=(ExtractedFiles&& other) noexcept;
  ExtractedFiles(const ExtractedFiles&) = delete;
  ExtractedFiles& operator=(const ExtractedFiles&) = delete;
  ~ExtractedFiles();

  // Writes one file under a name of the folder's choosing (keeping the
  // original's extension) and notes it in the index; none on failure.
  std::optional<std::filesystem::path> add(const std::string& originalPath, std::span<const uint8_t> bytes);
  const std::filesystem::path& folder() const { return folder_; }

 private:
  explicit ExtractedFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::filesystem::path folder_;
  size_t count_ = 0;
};

}  // namespace platform
