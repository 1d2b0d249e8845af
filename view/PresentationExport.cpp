#include "view/PresentationExport.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "formats/ZipArchive.h"
#include "platform/Folders.h"
#include "platform/WholeFile.h"
#include "view/Render.h"
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

// The bundle is packed beside its place and renamed there once whole: a
// failure leaves what was there before.
bool packBundle(const std::string& bundle, const std::string& viewer, const std::filesystem::path& simulation) {
  const std::filesystem::path packing = bundle + ".part";
  std::unique_ptr<formats::ZipArchive> zip = formats::ZipArchive::create(packing);
  bool packed = zip && zip->add(viewer, kViewerEntryName, kProgramMode);
  if (packed) packed = zip->add(simulation, simulation.filename().string(), kFileMode);
  if (zip && !zip->close()) packed = false;
  std::error_code error;
  if (packed) std::filesystem::rename(packing, bundle, error);
  if (!packed || error) std::filesystem::remove(packing, error);
  return packed && !error;
}

// A folder of this export's own in the temporary folder: the simulation
// file keeps its name there without meeting another export's, or a file
// of the user's.
std::optional<std::filesystem::path> privateTemporaryFolder() {
  std::string pattern = (platform::temporaryFolder() / "korvane-bundle-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return std::nullopt;
  return std::filesystem::path(pattern);
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

PresentationOutcome writePresentation(const std::string& viewerProgram, const std::vector<uint8_t>& document,
                                      const std::string& chosen) {
  if (!(opens(viewerProgram) && extensionOf(chosen) == kBundleExtension))
    return platform::replaceWholeFile(chosen, document) ? PresentationOutcome::Exported : PresentationOutcome::NotSaved;
  const std::optional<std::filesystem::path> folder = privateTemporaryFolder();
  const std::filesystem::path simulation = folder ? *folder / (baseNameOf(chosen) + kSimulationExtension) : "";
  const bool packed =
      folder && platform::replaceWholeFile(simulation, document) && packBundle(chosen, viewerProgram, simulation);
  std::error_code ignored;
  if (folder) std::filesystem::remove_all(*folder, ignored);
  return packed ? PresentationOutcome::Bundled : PresentationOutcome::NotBundled;
}

void runPresentationExport(const PresentationSource& source, platform::DialogProvider& dialogs) {
  using Icon = platform::DialogProvider::Icon;
  std::vector<platform::DialogProvider::FileFilter> filters;
  if (opens(source.viewerProgram)) filters.push_back({kBundleFilter, kBundleExtension});
  filters.push_back({kSimulationFilter, kSimulationExtension});
  const std::optional<std::string> chosen = dialogs.saveFile(kPresentationTitle, "", filters);
  if (!chosen || chosen->empty()) return;
  const std::optional<std::vector<uint8_t>> document = source.document();
  if (!document) return;  // the view went while the user chose
  switch (writePresentation(source.viewerProgram, *document, *chosen)) {
    case PresentationOutcome::Exported: dialogs.messageBox(kPresentationTitle, kExported, Icon::Information); break;
    case PresentationOutcome::NotSaved: dialogs.messageBox(kPresentationTitle, kNotSaved, Icon::Error); break;
    case PresentationOutcome::Bundled: dialogs.messageBox(kPresentationTitle, kBundled, Icon::Information); break;
    case PresentationOutcome::NotBundled: dialogs.messageBox(kPresentationTitle, kNotBundled, Icon::Error); break;
  }
}

void startPresentationExport(std::shared_ptr<ViewLink> link) {
  std::shared_ptr<platform::DialogProvider> dialogs = platform::dialogs();
  onThreadOfItsOwn([link = std::move(link), dialogs] {
    PresentationSource source;
    if (!link->with([&](Render& view) { source.viewerProgram = view.viewerProgram(); })) return;
    source.document = [&link] {
      std::optional<std::vector<uint8_t>> document;
      link->with([&](Render& view) { document = view.simulationDocument(); });
      return document;
    };
    runPresentationExport(source, *dialogs);
  });
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
