// Exports that write a view's simulation to a simulation file and read one
// back.
#include <cstring>

#include "api/OnView.h"
#include "api/SimulationContent.h"
#include "formats/SimulationFile.h"
#include "platform/WholeFile.h"
#include "view/PresentationExport.h"
#include "view/Render.h"

namespace {

// The largest simulation file a view reads: far above any job's, and the
// bound of what a damaged length can make it allocate.
constexpr size_t kLargestSimulationFile = size_t{4} << 30;

int32_t loadCodeOf(formats::SimulationFileError error) {
  switch (error) {
    case formats::SimulationFileError::BadChecksum: return SIM_LOAD_BAD_CHECKSUM;
    case formats::SimulationFileError::UnknownFormat: return SIM_LOAD_UNKNOWN_FORMAT;
    case formats::SimulationFileError::Malformed: return SIM_LOAD_MALFORMED;
  }
  return SIM_LOAD_MALFORMED;
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_ExportSimulation(Render* view, const char* path) {
  return api::onView(view, [&](Render& v) {
    if (!path || !*path) return 0;
    platform::replaceWholeFile(path, formats::encodeSimulation(api::simulationContentOf(v)));
    return 0;
  });
}

SIM_EXPORT int32_t SIM_ExportPresentation(Render* view, const char* path) {
  if (!path || !*path) return -1;
  return api::onView<int32_t>(view, -1, 1, [&](Render& v) {
    const std::optional<std::vector<uint8_t>> document = v.simulationDocument();
    if (!document) return 1;
    const view::PresentationOutcome outcome = view::writePresentation(v.viewerProgram(), *document, path);
    return outcome == view::PresentationOutcome::Exported || outcome == view::PresentationOutcome::Bundled ? 0 : 1;
  });
}

SIM_EXPORT int32_t SIM_LoadSimulation(Render* view, const char* path) {
  if (!path) return -1;
  return api::onView<int32_t>(view, -1, SIM_LOAD_UNREADABLE, [&](Render& v) {
    const std::optional<std::vector<uint8_t>> bytes = platform::readWholeFile(path, kLargestSimulationFile);
    if (!bytes) return int32_t{SIM_LOAD_UNREADABLE};
    const formats::DecodedSimulation decoded = formats::decodeSimulation(*bytes);
    if (!decoded.content) return loadCodeOf(decoded.error);
    if (api::checkSimulationContent(*decoded.content) != 0) return int32_t{SIM_LOAD_REFUSED};
    return api::applySimulationContent(v, *decoded.content);
  });
}

}  // extern "C"
