#include "gpu/DeviceLimits.h"

#include "gpu/GL.h"

namespace gpu {

DeviceLimits queryDeviceLimits() {
  DeviceLimits limits;
  GLint64 blockBytes = 0;
  glGetInteger64v(GL_MAX_SHADER_STORAGE_BLOCK_SIZE, &blockBytes);
  limits.maxStorageBlockBytes = blockBytes > 0 ? static_cast<uint64_t>(blockBytes) : 0;
  return limits;
}

}  // namespace gpu
