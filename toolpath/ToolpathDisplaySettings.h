#pragma once
// The toolpath display's switches: host calls (and the commands to come)
// write them, the render thread reads them each frame. Each switch is its
// own atomic; `revision` goes up with every change so the view knows to
// draw again.
#include <atomic>
#include <cstdint>

namespace toolpath {

enum class ColourBy : uint8_t { Kind = 0, Operation = 1, Tool = 2 };

struct ToolpathDisplaySettings {
  std::atomic<bool> showRapid{true};
  std::atomic<bool> showCutting{true};
  std::atomic<bool> points{false};
  std::atomic<bool> largePoints{false};
  std::atomic<bool> highlightElements{false};
  std::atomic<bool> highlightArcs{false};
  std::atomic<bool> toolVectors{false};
  std::atomic<bool> thickLines{false};
  std::atomic<bool> colourByFeed{false};
  std::atomic<ColourBy> colourBy{ColourBy::Kind};
  std::atomic<bool> showTool{true};
  std::atomic<bool> showHolder{true};
  std::atomic<uint64_t> revision{0};
};

}  // namespace toolpath
