#pragma once
// The toolpath display's switches: host calls (and the commands to come)
// write them, the render thread reads them each frame. Each switch is its
// own atomic; `revision` goes up with every change so the view knows to
// draw again. The colours are one theme's table, whole under a lock: the
// light theme until the host picks another.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "toolpath/ToolpathColours.h"

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
  std::atomic<bool> boundingBox{false};  // the toolpath's bounding box drawn
  std::atomic<uint64_t> revision{0};

  ToolpathColours colours() const {
    std::lock_guard lock(coloursMutex_);
    return colours_;
  }
  void setColours(const ToolpathColours& colours) {
    {
      std::lock_guard lock(coloursMutex_);
      colours_ = colours;
    }
    ++revision;
  }

 private:
  mutable std::mutex coloursMutex_;
  ToolpathColours colours_ = toolpathColours(false);
};

}  // namespace toolpath
