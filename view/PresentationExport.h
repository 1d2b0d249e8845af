#pragma once
// The presentation export the user starts from the ribbon ("Save
// presentation", or S and E held while clicking) when the host leaves it to
// the view: a save dialog, the simulation file, and with a viewer program
// set a ZIP bundle of both, each outcome told in a message box. And the
// ribbon's "Save as STL", which asks where the first idle stock solid goes.
//
// The dialogs block until the user answers, so both run on a thread of
// their own and the view keeps drawing; the simulation file is the view as
// it was when the export was asked for.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

class Render;

namespace view {

class ViewLink;

inline constexpr char kPresentationTitle[] = "TARVO Simulation";
inline constexpr char kSimulationExtension[] = ".TarvoSimData";
inline constexpr char kBundleExtension[] = ".zip";
inline constexpr char kViewerEntryName[] = "TARVOSimulation.exe";

struct PresentationRequest {
  std::vector<uint8_t> document;  // the simulation file's bytes
  std::string viewerProgram;      // empty: no bundle
};

enum class PresentationOutcome { Exported, NotSaved, Bundled, NotBundled };
// Steps 4 to 7 for a path already chosen: a bundle when the viewer program
// opens and the path ends in ".zip", else the simulation file alone.
PresentationOutcome writePresentation(const PresentationRequest& request, const std::string& chosen);
// Steps 1 to 7 on the calling thread, with these dialogs.
void runPresentationExport(const PresentationRequest& request, platform::DialogProvider& dialogs);
// The same on a thread of its own with the desktop's dialogs.
void startPresentationExport(PresentationRequest request);

// "Save as STL": the path the user chose goes to export, which tries the
// solids in list order, through the link while the view lives.
void startSolidExportDialog(std::shared_ptr<ViewLink> link,
                            std::function<void(Render&, const std::string& path)> exportTo);

}  // namespace view
