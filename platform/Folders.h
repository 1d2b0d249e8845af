#pragma once
// Where the library keeps its files. The data folder (machine mesh cache)
// is the folder the host set, else ${XDG_DATA_HOME:-$HOME/.local/share}/
// Tarvo/; the settings folder ("setup.bin", "custom settings.json") is the
// host's folder too when it set one, else ${XDG_CONFIG_HOME:-$HOME/.config}/
// TARVOSimulationViewer/; temporary files go to ${TMPDIR:-/tmp}. A relative
// XDG or TMPDIR value is ignored, as the XDG rules ask. Hosts set the
// folder before creating views; reads and writes are still guarded.
#include <filesystem>
#include <string>

namespace platform {

// An empty text goes back to the default folders.
void setDataFolder(const std::string& folder);
// Made when missing; empty when neither the host nor the environment names
// a folder.
std::filesystem::path dataFolder();
// Where machine meshes' convex pieces are cached.
std::filesystem::path meshCacheRoot();
// Made when missing; empty when no folder can be named.
std::filesystem::path settingsFolder();
std::filesystem::path temporaryFolder();

}  // namespace platform
