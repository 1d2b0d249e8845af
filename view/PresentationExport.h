#pragma once
// The presentation export the user starts from the ribbon ("Save
// presentation", or S and E held while clicking) when the host leaves it to
// the view: a save dialog, the simulation file, and with a viewer program
// set a ZIP bundle of both, each outcome told in a message box. And the
// ribbon's "Save as STL", which asks where the first idle stock solid goes.
//
// The dialogs block until the user answers, so both run on a thread of
// their own and the view keeps drawing; the simulation file is the view as
// it is when the user has answered, read on that thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

struct Render;

namespace view {

class ViewLink;

inline constexpr char kPresentationTitle[] = "TARVO Simulation";
inline constexpr char kSimulationExtension[] = ".TarvoSimData";
inline constexpr char kBundleExtension[] = ".zip";
inline constexpr char kViewerEntryName[] = "TARVOSimulation.exe";

// What a presentation holds: the viewer program (empty: no bundle) and the
// simulation file's bytes, asked for once the path is chosen (none when
// the view is gone by then).
struct PresentationSource {
  std::string viewerProgram;
  std::function<std::optional<std::vector<uint8_t>>()> document;
};

enum class PresentationOutcome { Exported, NotSaved, Bundled, NotBundled };
// Steps 4 to 7 for a path already chosen: a bundle when the viewer program
// opens and the path ends in ".zip", else the simulation file alone.
PresentationOutcome writePresentation(const std::string& viewerProgram, const std::vector<uint8_t>& document,
                                      const std::string& chosen);
// Steps 1 to 7 on the calling thread, with these dialogs.
void runPresentationExport(const PresentationSource& source, platform::DialogProvider& dialogs);
// The same on a thread of its own with the desktop's dialogs, reaching
// the view through the link.
void startPresentationExport(std::shared_ptr<ViewLink> link);

// "Save as STL": the path the user chose goes to export, which tries the
// solids in list order, through the link while the view lives.
void startSolidExportDialog(std::shared_ptr<ViewLink> link,
                            std::function<void(Render&, const std::string& path)> exportTo);

}  // namespace view
