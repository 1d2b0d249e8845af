#pragma once
// What the GPU benchmarks share: an OpenGL 4.3 context with the device
// named, and the standard job's moves with its two tools.
#include <cstdio>
#include <optional>

#include "StandardJob.h"
#include "gpu/GL.h"
#include "support/GlContext.h"
#include "support/ToolBuilder.h"

namespace bench {

// Opens the context; false (with a message) when there is none.
inline bool openContext(testsupport::GlContext& context) {
  if (!context.ok()) {
    std::fprintf(stderr, "no OpenGL 4.3 context\n");
    return false;
  }
  context.makeCurrent();
  std::printf("device: %s\n", glGetString(GL_RENDERER));
  return true;
}

// The standard job as cut records: a 6 mm flat end mill for the pocket and
// a 6 mm ball end mill for the finish.
struct StandardCut {
  StandardJob job;
  tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(3, 40));
  tools::CutRecord ball = testsupport::cuttingRecordOf(testsupport::ballProfile(3, 40));
  std::vector<stock::GPUMoveRecord> pocket = recordsOf(job.pocket), finish = recordsOf(job.finish);
};

}  // namespace bench
