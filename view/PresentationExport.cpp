#include "view/PresentationExport.h"

#include <filesystem>
#include <fstream>
#include <thread>

#include "formats/ZipArchive.h"
#include "platform/Folders.h"
#include "platform/WholeFile.h"
#include "view/ViewLink.h"

namespace view {
namespace {

constexpr char kBundleFilter[] = "Presentation Bundle";
constexpr char kSimulationFilter[] = "Simulation File";
constexpr char kExported[] = "Simulation file successfully exported.";
constexpr char kNotSaved[] = "Failed to save simulation file.";
constexpr char kBundled[] = "Presentation bundle successfully created.";
constexpr char kNotBundled[] = "Failed to create presentation bundle.";
constexpr uint32_t kProgramMode = 0755, kFileMode = 0644;

bool opens(const std::string& path) { return !path.empty() && std::ifstream(path, std::ios::binary).good(); }

// The text after the last "." of the path, dot included.
std::string extensionOf(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

// The chosen file's name up to its first ".".
std::string baseNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.substr(0, name.find('.'));
}

bool packBundle(const std::string& bundle, const std::string& viewer, const std::filesystem::path& simulation) {
  std::error_code ignored;
  std::filesystem::remove(bundle, ignored);
  std::unique_ptr<formats::ZipArchive> zip = formats::ZipArchive::create(bundle);
  bool added = zip && zip->add(viewer, kViewerEntryName, kProgramMode);
  if (added) added = zip->add(simulation, simulation.filename().string(), kFileMode);
  if (zip && !zip->close()) added = false;
  return added;
}

template <typename Work>
void onThreadOfItsOwn(Work work) {
  try {
    std::thread([work = std::move(work)]() mutable {
      try {
        work();
      } catch (...) {
        // A dialog or a write that failed beyond its own reporting: nothing more to tell.
      }
    }).detach();
  } catch (...) {
    // No thread: the export does not start, as if the dialog were cancelled.
  }
}

}  // namespace

PresentationOutcome writePresentation(const PresentationRequest& request, const std::string& chosen) {
  const bool bundle = opens(request.viewerProgram) && extensionOf(chosen) == kBundleExtension;
  const std::filesystem::path target =
      bundle ? platform::temporaryFolder() / (baseNameOf(chosen) + kSimulationExtension) : std::filesystem::path(chosen);
  const bool written = platform::replaceWholeFile(target, request.document);
  if (!bundle) return written ? PresentationOutcome::Exported : PresentationOutcome::NotSaved;
  const bool packed = written && packBundle(chosen, request.viewerProgram, target);
  std::error_code ignored;
  if (written) std::filesystem::remove(target, ignored);
  return packed ? PresentationOutcome::Bundled : PresentationOutcome::NotBundled;
}

void runPresentationExport(const PresentationRequest& request, platform::DialogProvider& dialogs) {
  using Icon = platform::DialogProvider::Icon;
  std::vector<platform::DialogProvider::FileFilter> filters;
  if (opens(request.viewerProgram)) filters.push_back({kBundleFilter, kBundleExtension});
  filters.push_back({kSimulationFilter, kSimulationExtension});
  const std::optional<std::string> chosen = dialogs.saveFile(kPresentationTitle, "", filters);
  if (!chosen || chosen->empty()) return;
  switch (writePresentation(request, *chosen)) {
    case PresentationOutcome::Exported: dialogs.messageBox(kPresentationTitle, kExported, Icon::Information); break;
    case PresentationOutcome::NotSaved: dialogs.messageBox(kPresentationTitle, kNotSaved, Icon::Error); break;
    case PresentationOutcome::Bundled: dialogs.messageBox(kPresentationTitle, kBundled, Icon::Information); break;
    case PresentationOutcome::NotBundled: dialogs.messageBox(kPresentationTitle, kNotBundled, Icon::Error); break;
  }
}

void startPresentationExport(PresentationRequest request) {
  std::shared_ptr<platform::DialogProvider> dialogs = platform::dialogs();
  onThreadOfItsOwn([request = std::move(request), dialogs] { runPresentationExport(request, *dialogs); });
}

void startSolidExportDialog(std::shared_ptr<ViewLink> link,
                            std::function<void(Render&, const std::string& path)> exportTo) {
  std::shared_ptr<platform::DialogProvider> dialogs = platform::dialogs();
  onThreadOfItsOwn([link = std::move(link), exportTo = std::move(exportTo), dialogs] {
    const std::optional<std::string> path = dialogs->saveFile("Save as STL", "", {{"STL files", ".stl"}});
    if (path && !path->empty()) link->with([&](Render& view) { exportTo(view, *path); });
  });
}

}  // namespace view
