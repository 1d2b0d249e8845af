#pragma once
// The process's resident memory, as the system counts it.
#include <cstdint>

namespace platform {

// Resident bytes now, and the most the process held at once since it started
// or since the last resetPeakResident; 0 where the system does not say.
uint64_t residentBytes();
uint64_t peakResidentBytes();
// Starts the peak over from what is resident now; false where the system
// cannot. The peak is the whole process's, so this is for measuring only.
bool resetPeakResident();
// Hands memory the allocator holds free back to the system, after work that
// made and dropped many small blocks (a welded mesh's vertex map).
void returnFreeMemory();

}  // namespace platform
