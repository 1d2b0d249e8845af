#pragma once
// How a machine check samples the toolpath: a fixed fraction step of the
// total length, samples taken in blocks by the threads of the check.
#include <cstdint>

namespace collision {

constexpr uint32_t kSampleBlock = 2048;
constexpr double kSmallestFractionStep = 2.328307547304352e-10;
constexpr uint32_t kMostSamples = 4294965247u;

// The threads a check runs on: the machine's thread count, less a few kept
// for the view and the host (5 above 32 threads, 4 above 16, 3 above 8, 2
// above 4, 1 above 1).
int checkThreads(int available);

struct SampleGrid {
  double fractionStep = 1.0;  // of the total length between samples
  uint32_t samples = 1;
  uint32_t blocks = 1;

  // The block holding a position (a length fraction).
  uint32_t blockAt(double fraction) const;
  // The length fraction of a sample: sample i lies at (i + 1) steps, so the
  // last one reaches the end of the toolpath.
  double fractionOf(uint32_t sample) const;
};

// The grid for a step (millimetres) on a toolpath of that length; a path
// shorter than one step is checked at a single sample.
SampleGrid sampleGrid(double stepMm, double totalLength);

}  // namespace collision
