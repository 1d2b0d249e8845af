#pragma once
// The one queue of work that host calls and other threads hand to the
// render thread. Each command says when it may run; the frame loop takes
// the commands of each stage at its place in the frame, in the order they
// were posted.
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace view {

enum class CommandStage : uint8_t {
  // At the start of the next frame, before input, playback and the cut.
  BeforeFrame,
  // At the first frame whose stock work can take the stock lock without
  // waiting (no host call is changing stocks then).
  StockUnlocked,
  // In the first frame that starts after the command was posted, once that
  // frame has taken the pending position and cut the stocks up to it: what
  // such a command reads of the stock is what the host last asked for.
  AfterCut,
};

class FrameCommands {
 public:
  using Work = std::function<void()>;

  // Any thread. False, and the work dropped, once the queue is closed.
  bool post(CommandStage stage, Work work);
  // Render thread: the commands of the stage posted so far, in order.
  std::vector<Work> take(CommandStage stage);
  // Render thread: commands taken but not run go back before the ones
  // posted since, for the next frame.
  void putBack(CommandStage stage, std::vector<Work> commands);
  // Whether any command waits.
  bool pending() const;

  // A render thread starts: posts are taken again.
  void open();
  // The render thread ended: what waits is dropped, and later posts too, so
  // that no thread waits for work nobody will do.
  void close();

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<CommandStage, Work>> queue_;
  bool closed_ = false;
};

}  // namespace view
