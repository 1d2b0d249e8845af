#include "platform/DataFolder.h"

#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

std::mutex folderMutex;
std::string hostFolder;

std::filesystem::path defaultFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::filesystem::path(data) / "Tarvo" / "";
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::filesystem::path(home) / ".local" / "share" / "Tarvo" / "";
  return {};
}

}  // namespace

void setDataFolder(const std::string& folder) {
  std::lock_guard lock(folderMutex);
  hostFolder = folder;
}

std::filesystem::path dataFolder() {
  std::lock_guard lock(folderMutex);
  if (hostFolder.empty()) return defaultFolder();
  return std::filesystem::path(hostFolder) / "";
}

std::filesystem::path meshCacheRoot() {
  const std::filesystem::path data = dataFolder();
  if (data.empty()) return {};
  return data / "Machines" / "OptimizedMeshes" / "";
}

}  // namespace platform
