#pragma once
// The process-wide data folder (settings and caches): the folder the host
// set, or ${XDG_DATA_HOME:-$HOME/.local/share}/Tarvo/. Hosts set it before
// creating views; reads and writes are still guarded.
#include <filesystem>
#include <string>

namespace platform {

// An empty text goes back to the default folder.
void setDataFolder(const std::string& folder);
// Empty when neither the host nor the environment names a folder.
std::filesystem::path dataFolder();
// Where machine meshes' convex pieces are cached.
std::filesystem::path meshCacheRoot();

}  // namespace platform
