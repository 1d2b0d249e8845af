#pragma once
// A view's simulation as the simulation file holds it, and back: what the
// view has, read through the same answers the getters give, and a file's
// content handed to the view through the same setters a host calls.
#include <cstdint>

#include "formats/SimulationFile.h"

struct Render;

namespace api {

// Reads the view's data under their locks; runs on any thread.
formats::SimulationContent simulationContentOf(Render& view);

// 0 when every record passes the checks its setter makes; else that
// setter's refusal. Nothing changes.
int32_t checkSimulationContent(const formats::SimulationContent& content);
// Replaces the view's simulation; the model files are written out first.
// 0, or SIM_LOAD_NO_FOLDER with the view unchanged.
int32_t applySimulationContent(Render& view, const formats::SimulationContent& content);

}  // namespace api
