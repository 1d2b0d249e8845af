#include "view/PlaybackSteps.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "toolpath/Toolpath.h"

namespace view {

namespace {

constexpr double kSame = 1e-9;

class Steps {
 public:
  Steps(const toolpath::Toolpath& path, double p)
      : path_(path), last_(int64_t(path.moveCount()) - 1), current_(path.moveAtFraction(p, toolpath::Measure::Time)) {}

  int64_t nextElement() const {
    return firstLater([&](int64_t i) { return differ(path_.cumulativeLength(i), path_.cumulativeLength(current_)); });
  }
  int64_t nextZLevel() const {
    return firstLater([&](int64_t i) { return differ(endZ(i), endZ(current_)); });
  }
  int64_t nextCuttingPass() const {
    int64_t i = current_;
    while (i <= last_ && cuts(i)) ++i;  // the rest of the current cutting run
    for (; i <= last_; ++i)
      if (cuts(i) && i > 0 && !cuts(i - 1)) return i;
    return last_;
  }
  int64_t previousElement() const {
    return nearestEarlier(current_,
                          [&](int64_t i) { return differ(path_.cumulativeTime(i), path_.cumulativeTime(current_)); });
  }
  int64_t previousZLevel() const {
    return nearestEarlier(current_, [&](int64_t i) { return differ(endZ(i), endZ(current_)); });
  }
  int64_t previousCuttingPass() const {
    int64_t i = current_;
    while (i >= 0 && cuts(i)) --i;  // back past the current cutting run
    for (; i >= 0; --i)
      if (cuts(i) && (i == 0 || !cuts(i - 1))) return i;
    return 0;
  }
  // The move of the first tool change after the current move's own whose
  // move differs from the current move.
  std::optional<int64_t> nextTool() const {
    const std::vector<toolpath::NamedMove> changes = sortedToolChanges();
    auto it = std::upper_bound(changes.begin(), changes.end(), current_,
                               [](int64_t m, const toolpath::NamedMove& c) { return m < int64_t{c.move}; });
    for (; it != changes.end(); ++it)
      if (int64_t{it->move} != current_) return it->move;
    return std::nullopt;
  }
  // From the previous element, the nearest tool change at or before it
  // whose move differs from it.
  std::optional<int64_t> previousTool() const {
    const int64_t from = previousElement();
    const std::vector<toolpath::NamedMove> changes = sortedToolChanges();
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
      if (int64_t{it->move} < from) return it->move;
    return std::nullopt;
  }
  std::optional<int64_t> firstMoveOfOperation(int64_t operation) const {
    if (operation < 0 || size_t(operation) >= path_.operationCount()) return std::nullopt;
    return std::min<int64_t>(path_.operation(size_t(operation)).first, last_);
  }
  int64_t operationAt(double p) const { return path_.operationAt(current_, p); }

 private:
  static bool differ(double a, double b) { return std::abs(a - b) > kSame; }
  double endZ(int64_t i) const { return path_.move(i).end[2]; }
  bool cuts(int64_t i) const {
    const uint32_t type = path_.move(i).type;
    return type == toolpath::Linear || type == toolpath::ArcCW || type == toolpath::ArcCCW;
  }
  template <typename Differs>
  int64_t firstLater(Differs differs) const {
    for (int64_t i = current_ + 1; i <= last_; ++i)
      if (differs(i)) return i;
    return last_;
  }
  template <typename Differs>
  static int64_t nearestEarlier(int64_t from, Differs differs) {
    for (int64_t i = from - 1; i >= 0; --i)
      if (differs(i)) return i;
    return 0;
  }
  std::vector<toolpath::NamedMove> sortedToolChanges() const {
    std::vector<toolpath::NamedMove> changes = path_.toolChanges();
    std::stable_sort(changes.begin(), changes.end(),
                     [](const toolpath::NamedMove& a, const toolpath::NamedMove& b) { return a.move < b.move; });
    return changes;
  }

  const toolpath::Toolpath& path_;
  int64_t last_;
  int64_t current_;
};

}  // namespace

std::optional<int64_t> stepMove(const toolpath::Toolpath& path, uint32_t code, double p) {
  if (path.moveCount() == 0) return std::nullopt;
  const Steps steps(path, p);
  switch (static_cast<StepCommand>(code)) {
    case StepCommand::GoToStart:
      return 0;
    case StepCommand::GoToEnd:
      return int64_t(path.moveCount()) - 1;
    case StepCommand::NextElement:
      return steps.nextElement();
    case StepCommand::NextZLevel:
      return steps.nextZLevel();
    case StepCommand::NextCuttingPass:
      return steps.nextCuttingPass();
    case StepCommand::NextTool:
      return steps.nextTool();
    case StepCommand::NextOperation:
      if (p > 0.999999999) return std::nullopt;
      return steps.firstMoveOfOperation(steps.operationAt(p) + 1);
    case StepCommand::PreviousElement:
      return steps.previousElement();
    case StepCommand::PreviousZLevel:
      return steps.previousZLevel();
    case StepCommand::PreviousCuttingPass:
      return steps.previousCuttingPass();
    case StepCommand::PreviousTool:
      return steps.previousTool();
    case StepCommand::PreviousOperation:
      if (p < 1e-9) return std::nullopt;
      return steps.firstMoveOfOperation(steps.operationAt(p) - 1);
  }
  return std::nullopt;
}

std::optional<double> stepTarget(const toolpath::Toolpath& path, uint32_t code, double p) {
  const std::optional<int64_t> move = stepMove(path, code, p);
  if (!move) return std::nullopt;
  if (code == uint32_t(StepCommand::GoToStart)) return 0.0;
  if (code == uint32_t(StepCommand::GoToEnd)) return 1.0;
  return path.timeFractionOfMove(*move);
}

}  // namespace view
