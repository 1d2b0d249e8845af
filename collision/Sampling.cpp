#include "collision/Sampling.h"

#include <algorithm>
#include <cmath>

namespace collision {

int checkThreads(int available) {
  if (available > 32) return available - 5;
  if (available > 16) return available - 4;
  if (available > 8) return available - 3;
  if (available > 4) return available - 2;
  if (available > 1) return available - 1;
  return 1;
}

SampleGrid sampleGrid(double stepMm, double totalLength) {
  SampleGrid grid;
  if (!(totalLength > stepMm) || !(stepMm > 0.0)) return grid;
  grid.fractionStep = std::max(stepMm / totalLength, kSmallestFractionStep);
  grid.samples = static_cast<uint32_t>(std::min<double>(std::floor(1.0 / grid.fractionStep), kMostSamples));
  grid.samples = std::max<uint32_t>(grid.samples, 1);
  grid.blocks = (grid.samples + kSampleBlock - 1) / kSampleBlock;
  return grid;
}

uint32_t SampleGrid::blockAt(double fraction) const {
  const double sample = std::floor(std::clamp(fraction, 0.0, 1.0) / fractionStep);
  return std::min(static_cast<uint32_t>(std::min(sample, double(kMostSamples)) / kSampleBlock), blocks - 1);
}

double SampleGrid::fractionOf(uint32_t sample) const { return std::min(1.0, (double(sample) + 1.0) * fractionStep); }

}  // namespace collision
