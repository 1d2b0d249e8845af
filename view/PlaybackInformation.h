#pragma once
// What the information panel shows at the played position: the tool tip,
// the feed and spindle speed of the move playing, the tool in the spindle
// (its name from the tool table), the operation (the host's number for
// it) and the machining time so far. Render thread.
#include "ui/Information.h"
#include "view/JobData.h"
#include "view/Playback.h"

namespace view {

UI::InformationValues informationAt(const PlayedPosition& played, JobData& job);

}  // namespace view
