#include "platform/Folders.h"

#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

std::mutex folderMutex;
std::string hostFolder;

// An absolute folder from the environment, else none.
std::filesystem::path absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return {};
  std::filesystem::path path(value);
  return path.is_absolute() ? path : std::filesystem::path();
}

// ${variable}/leaf/, else $HOME/fallback/leaf/.
std::filesystem::path userFolder(const char* variable, const char* fallback, const char* leaf) {
  if (std::filesystem::path base = absoluteFromEnvironment(variable); !base.empty()) return base / leaf / "";
  if (std::filesystem::path home = absoluteFromEnvironment("HOME"); !home.empty())
    return home / fallback / leaf / "";
  return {};
}

std::string hostFolderSet() {
  std::lock_guard lock(folderMutex);
  return hostFolder;
}

std::filesystem::path made(std::filesystem::path folder) {
  if (folder.empty()) return folder;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return folder;
}

}  // namespace

void setDataFolder(const std::string& folder) {
  std::lock_guard lock(folderMutex);
  hostFolder = folder;
}

std::filesystem::path dataFolder() {
  const std::string host = hostFolderSet();
  if (host.empty()) return made(userFolder("XDG_DATA_HOME", ".local/share", "Tarvo"));
  return made(std::filesystem::path(host) / "");
}

std::filesystem::path meshCacheRoot() {
  const std::filesystem::path data = dataFolder();
  if (data.empty()) return {};
  return data / "Machines" / "OptimizedMeshes" / "";
}

std::filesystem::path settingsFolder() {
  const std::string host = hostFolderSet();
  if (!host.empty()) return made(std::filesystem::path(host) / "");
  return made(userFolder("XDG_CONFIG_HOME", ".config", "TARVOSimulationViewer"));
}

std::filesystem::path temporaryFolder() {
  if (std::filesystem::path tmp = absoluteFromEnvironment("TMPDIR"); !tmp.empty()) return tmp;
  return "/tmp";
}

}  // namespace platform
