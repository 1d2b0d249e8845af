#pragma once
// What the device of the current context can hold, asked once per context.
#include <cstdint>

namespace gpu {

struct DeviceLimits {
  // The largest storage block a shader may address, in bytes.
  uint64_t maxStorageBlockBytes = 0;
};

// Queries the current context.
DeviceLimits queryDeviceLimits();

}  // namespace gpu
