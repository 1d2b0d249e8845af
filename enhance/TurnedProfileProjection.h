#pragma once
// Every vertex near the turned profile onto it: the vertex's point in the
// lathe's plane (its height along the axis, its distance from it) goes to
// the nearest edge of the profile, turned back to the vertex's own angle
// about the axis. Only edges within reach count; where one does, it
// competes with what the vertex already holds (the initial stock's
// surface) by the encoded distance, as the tool sweeps then do.
#include "enhance/EnhancedMesh.h"
#include "enhance/InitialStockProjection.h"
#include "enhance/TurnedProfile.h"

namespace enhance {

// Render thread; an empty profile changes nothing.
void projectOntoTurnedProfile(const TurnedProfile& profile, const EnhancedMesh& mesh, VertexProjections& projections,
                              float maxError);

}  // namespace enhance
