#include "platform/ProcessMemory.h"

#include <malloc.h>

#include <fstream>
#include <string>

namespace platform {

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in bytes.
uint64_t statusBytes(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  uint64_t kilobytes = 0;
  while (status >> key) {
    if (key == name + ":") return status >> kilobytes ? kilobytes * 1024 : 0;
    status.ignore(4096, '\n');
  }
  return 0;
}

}  // namespace

uint64_t residentBytes() { return statusBytes("VmRSS"); }

uint64_t peakResidentBytes() { return statusBytes("VmHWM"); }

bool resetPeakResident() {
  // Linux: writing 5 to clear_refs sets the peak to the current resident size.
  std::ofstream clear("/proc/self/clear_refs");
  return static_cast<bool>(clear << "5" << std::flush);
}

void returnFreeMemory() { malloc_trim(0); }

}  // namespace platform
