#include "machine/Machine.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include "machine/AxisLetters.h"
#include "machine/ChainMask.h"

namespace machine {
namespace {

constexpr double kDegree = 0.017453292519943295;
constexpr double kTwoPi = 6.283185307179586;

glm::dmat4 localMotion(const Axis& axis, double value) {
  if (!isRotary(axis.kind)) return glm::translate(glm::dmat4(1.0), axis.direction * value);
  return glm::translate(glm::dmat4(1.0), axis.center) * rotationAbout(axis.direction, value) *
         glm::translate(glm::dmat4(1.0), -axis.center);
}

glm::dvec3 transformPoint(const glm::dmat4& m, const glm::dvec3& p) { return glm::dvec3(m * glm::dvec4(p, 1.0)); }
glm::dvec3 transformDirection(const glm::dmat4& m, const glm::dvec3& d) { return glm::dvec3(m * glm::dvec4(d, 0.0)); }

// x minimising |J x + f| (3 equations, n unknowns), the shortest such x when
// n > 3. False when the columns cannot span what is needed.
bool leastSquares(const std::vector<glm::dvec3>& columns, const glm::dvec3& f, std::vector<double>& x) {
  const size_t n = columns.size();
  x.assign(n, 0.0);
  if (n == 0) return glm::length(f) < 1e-9;
  // Normal equations of size min(n, 3), solved by elimination with pivoting.
  const bool wide = n > 3;
  const size_t m = wide ? 3 : n;
  double a[3][4] = {};
  for (size_t r = 0; r < m; ++r) {
    for (size_t c = 0; c < m; ++c) {
      if (wide) {
        for (size_t k = 0; k < n; ++k) a[r][c] += columns[k][static_cast<int>(r)] * columns[k][static_cast<int>(c)];
      } else {
        a[r][c] = glm::dot(columns[r], columns[c]);
      }
    }
    a[r][3] = wide ? -f[static_cast<int>(r)] : -glm::dot(columns[r], f);
  }
  double scale = 0.0;
  for (size_t r = 0; r < m; ++r) scale = std::max(scale, std::fabs(a[r][r]));
  for (size_t p = 0; p < m; ++p) {
    size_t best = p;
    for (size_t r = p + 1; r < m; ++r)
      if (std::fabs(a[r][p]) > std::fabs(a[best][p])) best = r;
    if (std::fabs(a[best][p]) <= 1e-12 * std::max(scale, 1.0)) return false;
    std::swap(a[p], a[best]);
    for (size_t r = 0; r < m; ++r) {
      if (r == p) continue;
      const double factor = a[r][p] / a[p][p];
      for (size_t c = p; c < 4; ++c) a[r][c] -= factor * a[p][c];
    }
  }
  std::vector<double> y(m);
  for (size_t r = 0; r < m; ++r) y[r] = a[r][3] / a[r][r];
  if (!wide) {
    x = y;
  } else {
    for (size_t k = 0; k < n; ++k) x[k] = glm::dot(columns[k], glm::dvec3(y[0], y[1], y[2]));
  }
  return true;
}

// The angle turning `from` into `to` about `axis`, both taken across it;
// none when either has nothing across the axis.
std::optional<double> angleAbout(const glm::dvec3& axis, const glm::dvec3& from, const glm::dvec3& to) {
  const glm::dvec3 a = from - axis * glm::dot(axis, from);
  const glm::dvec3 b = to - axis * glm::dot(axis, to);
  if (glm::length(a) < 1e-12 || glm::length(b) < 1e-12) return std::nullopt;
  return std::atan2(glm::dot(axis, glm::cross(a, b)), glm::dot(a, b));
}

// The turn of `angle` by whole turns that lies nearest `near`.
double nearestTurn(double angle, double near) { return angle + kTwoPi * std::round((near - angle) / kTwoPi); }

}  // namespace

Machine::Machine(MachineDefinition definition, bool directionMode)
    : definition_(std::make_unique<const MachineDefinition>(std::move(definition))) {
  block_ = std::make_shared<const KinematicBlock>(*definition_, directionMode);
  if (definition_->table) {
    addTree(*definition_->table, -1);
    const Axis* end = &*definition_->table;
    while (const Axis* next = nextOnChain(*end)) end = next;
    tableEnd_ = nodeOf(end);
  }
  if (definition_->head) addTree(*definition_->head, -1);
  if (definition_->revolver) {
    const int32_t code = letterCode(definition_->revolver->mountAxisLetter);
    int32_t carrier = -1;
    for (size_t i = 0; i < nodes_.size() && carrier < 0 && code != kNoLetter; ++i)
      if (nodes_[i].axis->letter == code) carrier = static_cast<int32_t>(i);
    revolverNode_ = static_cast<int32_t>(nodes_.size());
    addTree(definition_->revolver->axis, carrier);
  }
  fileLetters();
  findTool();
  collectMounts();
  for (const ModelEntry& model : definition_->base) models_.push_back({&model, -1});
  for (size_t i = 0; i < nodes_.size(); ++i)
    for (const ModelEntry& model : nodes_[i].axis->models) models_.push_back({&model, static_cast<int32_t>(i)});
  for (const MountSlot& slot : mounts_)
    for (const ModelEntry& model : slot.mount->models) models_.push_back({&model, slot.node});
}

// Tools point from their holder to the tip. A face mount holds the tool
// along the spindle, or on a turret along its axis; a cross mount across
// it (on a turret along the slot's up direction, towards the work); a
// direction mount along its own "ToolOrientationDirection".
glm::dvec3 Machine::mountDirection(const ToolMount& mount, bool onRevolver) const {
  if (mount.orientation == MountOrientation::Direction) return -mount.direction;
  if (onRevolver) {
    const Revolver& revolver = *definition_->revolver;
    return mount.orientation == MountOrientation::Cross ? -revolver.upDirection : revolver.axis.direction;
  }
  if (mount.orientation == MountOrientation::Cross) return glm::dvec3(block_->offsetMatrix()[0]);
  return glm::dvec3(block_->offsetMatrix()[2]);
}

void Machine::collectMounts() {
  const bool revolver = revolverNode_ >= 0;
  // Top-level mounts are the turret's stations, on its carrier; without a
  // revolver they ride where the tool does.
  const int32_t station = revolver ? nodes_[revolverNode_].parent : toolNode_;
  for (const ToolMount& mount : definition_->mounts)
    mounts_.push_back({&mount, station, mountDirection(mount, revolver), revolver});
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const bool turret = static_cast<int32_t>(i) == revolverNode_;
    for (const ToolMount& mount : nodes_[i].axis->mounts)
      mounts_.push_back({&mount, static_cast<int32_t>(i), mountDirection(mount, turret), turret});
  }
  // With a turret station the tool in use hangs there.
  for (const MountSlot& slot : mounts_)
    if (slot.onRevolver && slot.node != revolverNode_) {
      toolNode_ = slot.node;
      mountPoint_ = slot.mount->position;
      toolDirection_ = slot.toolDirection;
      return;
    }
}

glm::dmat4 Machine::modelFrame(const ModelEntry& entry) const {
  return glm::scale(glm::translate(glm::dmat4(1.0), definition_->modelOffset + entry.origin), glm::dvec3(entry.unitScale));
}

void Machine::addTree(const Axis& root, int32_t parent) {
  const int32_t index = static_cast<int32_t>(nodes_.size());
  nodes_.push_back({&root, parent, -1});
  for (const Axis& child : root.children) addTree(child, index);
}

// Each axis takes its letter's slot, the first one met keeping it; a jaw
// whose slot is taken takes the first free spare slot.
void Machine::fileLetters() {
  slots_.fill(-1);
  for (size_t i = 0; i < nodes_.size(); ++i) {
    int32_t slot = nodes_[i].axis->letter;
    if (slot < 0 || slot >= kLetterSlots || slots_[slot] >= 0) {
      if (nodes_[i].axis->kind != AxisKind::Collinear) continue;
      slot = -1;
      for (int32_t spare = kFirstSpareSlot; spare < kLetterSlots && slot < 0; ++spare)
        if (slots_[spare] < 0) slot = spare;
    }
    if (slot < 0) continue;
    slots_[slot] = static_cast<int32_t>(i);
    nodes_[i].letterSlot = slot;
  }
}

void Machine::findTool() {
  toolDirection_ = glm::dvec3(block_->offsetMatrix()[2]);
  if (!definition_->head) return;
  const Axis* chain = &*definition_->head;
  const Axis* withMount = nullptr;
  const Axis* spindle = nullptr;
  for (const Axis* axis = chain; axis; axis = nextOnChain(*axis)) {
    if (!axis->mounts.empty()) withMount = axis;
    if (axis->kind == AxisKind::Spindle) spindle = axis;
    chain = axis;
  }
  if (withMount) {
    toolNode_ = nodeOf(withMount);
    mountPoint_ = withMount->mounts.front().position;
    toolDirection_ = mountDirection(withMount->mounts.front(), false);
  } else if (spindle) {
    toolNode_ = nodeOf(spindle);
    mountPoint_ = spindle->center;
  } else {
    toolNode_ = nodeOf(chain);
    mountPoint_ = chain->center;
  }
}

std::optional<double> Machine::turnForSlot(int32_t slotNumber) const {
  if (revolverNode_ < 0) return std::nullopt;
  for (const RevolverSlot& slot : definition_->revolver->slots)
    if (slot.number == slotNumber) return -slot.angle;
  return std::nullopt;
}

std::optional<glm::dvec3> Machine::slotDirection(int32_t slotNumber, std::span<const glm::dmat4> poses) const {
  if (revolverNode_ < 0) return std::nullopt;
  const Revolver& revolver = *definition_->revolver;
  for (const RevolverSlot& slot : revolver.slots)
    if (slot.number == slotNumber) {
      const glm::dvec3 home = transformDirection(rotationAbout(revolver.axis.direction, slot.angle), revolver.upDirection);
      return transformDirection(poses[revolverNode_], home);
    }
  return std::nullopt;
}

int32_t Machine::nodeOf(const Axis* axis) const {
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].axis == axis) return static_cast<int32_t>(i);
  return -1;
}

bool Machine::withinLimits(int32_t node, double value) const {
  const Axis& axis = *nodes_[node].axis;
  if (!axis.limits) return true;
  const double v = isRotary(axis.kind) ? value / kDegree : value;
  return v >= axis.limits->first - 1e-9 && v <= axis.limits->second + 1e-9;
}

std::vector<double> Machine::initialState() const {
  std::vector<double> values(nodes_.size(), 0.0);
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const Axis& axis = *nodes_[i].axis;
    if (!axis.limits) continue;
    const double unit = isRotary(axis.kind) ? kDegree : 1.0;
    values[i] = std::clamp(0.0, axis.limits->first, axis.limits->second) * unit;
  }
  return values;
}

std::vector<glm::dmat4> Machine::pose(std::span<const double> values) const {
  std::vector<glm::dmat4> poses(nodes_.size());
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const AxisNode& node = nodes_[i];
    const double value = i < values.size() && std::isfinite(values[i]) ? values[i] : 0.0;
    const glm::dmat4 parent = node.parent >= 0 ? poses[node.parent] : glm::dmat4(1.0);
    poses[i] = parent * localMotion(*node.axis, value);
  }
  return poses;
}

glm::dmat4 Machine::modelPlacement(int32_t node, std::span<const glm::dmat4> poses) const {
  return poses[node] * localMotion(*nodes_[node].axis, nodes_[node].axis->offset);
}

glm::dmat4 Machine::programFrame(std::span<const glm::dmat4> poses, const glm::dvec3& programZero) const {
  const glm::dmat4 table = tableEnd_ >= 0 ? poses[tableEnd_] : glm::dmat4(1.0);
  return table * glm::translate(glm::dmat4(1.0), programZero);
}

ToolPose Machine::toolPose(std::span<const glm::dmat4> poses, const glm::dvec3& programZero, double toolLength) const {
  const glm::dmat4 head = toolNode_ >= 0 ? poses[toolNode_] : glm::dmat4(1.0);
  const glm::dmat4 toProgram = glm::inverse(programFrame(poses, programZero));
  const glm::dvec3 tipHome = mountPoint_ - toolDirection_ * toolLength;
  return {transformPoint(toProgram * head, tipHome), transformDirection(toProgram * head, toolDirection_)};
}

std::optional<std::vector<double>> Machine::solve(const glm::dvec3& tip, const glm::dvec3& rotary,
                                                  double toolLength, const glm::dvec3& programZero,
                                                  std::span<const double> state) const {
  std::vector<double> values(nodes_.size(), 0.0);
  for (size_t i = 0; i < nodes_.size() && i < state.size(); ++i) values[i] = state[i];
  if (block_->directionMode()) {
    solveDirection(rotary, values);
  } else {
    for (size_t i = 0; i < nodes_.size(); ++i) {
      const Axis& axis = *nodes_[i].axis;
      if (axis.kind == AxisKind::Rotation && axis.letter >= 0 && axis.letter <= 2) values[i] = rotary[axis.letter];
    }
  }
  if (!solveLinear(tip, toolLength, programZero, values)) return std::nullopt;
  return values;
}

// Rotary values of the slots that turn the tool onto `direction`: the slot
// nearer the spindle first brings the tool to the right angle with the other
// slot's axis, which then turns it into place. Of the two solutions the one
// within limits and nearest the current values wins.
void Machine::solveDirection(const glm::dvec3& wanted, std::vector<double>& values) const {
  if (!(glm::length(wanted) > 1e-12)) return;
  const glm::dvec3 t = glm::normalize(wanted);
  const glm::dvec3 w = glm::dvec3(block_->offsetMatrix()[2]);
  const KinematicBlock::Slot& s1 = block_->slot(1);
  const KinematicBlock::Slot& s2 = block_->slot(2);
  const int32_t n1 = s1.used() ? nodeOf(s1.axis) : -1;
  const int32_t n2 = s2.used() ? nodeOf(s2.axis) : -1;
  if (n1 < 0) return;
  // The kinematic transform turns by minus the value about each slot direction.
  auto candidatesFor2 = [&]() {
    std::vector<double> result;
    if (n2 < 0) return result;
    const glm::dvec3 a1 = s1.direction, a2 = s2.direction;
    const double c = glm::dot(a2, w) * glm::dot(a1, a2);
    const double a = glm::dot(a1, w) - c;
    const double b = glm::dot(a1, glm::cross(a2, w));
    const double r = std::hypot(a, b);
    if (r < 1e-12) {
      result.push_back(values[n2]);
      return result;
    }
    const double base = std::atan2(b, a);
    const double spread = std::acos(std::clamp((glm::dot(a1, t) - c) / r, -1.0, 1.0));
    for (double phi : {base + spread, base - spread}) result.push_back(nearestTurn(-phi, values[n2]));
    return result;
  };
  struct Choice {
    double v1, v2;
    bool inLimits;
    double distance;
  };
  std::optional<Choice> best;
  std::vector<double> second = candidatesFor2();
  if (second.empty()) second.push_back(0.0);
  for (double v2 : second) {
    const glm::dvec3 u = n2 >= 0 ? transformDirection(rotationAbout(s2.direction, -v2), w) : w;
    const std::optional<double> phi = angleAbout(s1.direction, u, t);
    const double v1 = phi ? nearestTurn(-*phi, values[n1]) : values[n1];
    const bool inLimits = withinLimits(n1, v1) && (n2 < 0 || withinLimits(n2, v2));
    const double distance = std::fabs(v1 - values[n1]) + (n2 >= 0 ? std::fabs(v2 - values[n2]) : 0.0);
    if (!best || (inLimits && !best->inLimits) || (inLimits == best->inLimits && distance < best->distance))
      best = Choice{v1, v2, inLimits, distance};
  }
  values[n1] = best->v1;
  if (n2 >= 0) values[n2] = best->v2;
}

// The tip is affine in the X, Y and Z axis values once the rotary values are
// fixed, so one evaluation per axis gives the exact linear system.
bool Machine::solveLinear(const glm::dvec3& tip, double toolLength, const glm::dvec3& programZero,
                          std::vector<double>& values) const {
  std::vector<int32_t> unknowns;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const Axis& axis = *nodes_[i].axis;
    if (axis.kind == AxisKind::Linear && axis.letter >= 3 && axis.letter <= 5) {
      unknowns.push_back(static_cast<int32_t>(i));
      values[i] = 0.0;
    }
  }
  const glm::dvec3 tipHome = mountPoint_ - toolDirection_ * toolLength;
  auto mismatch = [&](const std::vector<double>& v) {
    const std::vector<glm::dmat4> poses = pose(v);
    const glm::dmat4 head = toolNode_ >= 0 ? poses[toolNode_] : glm::dmat4(1.0);
    return transformPoint(head, tipHome) - transformPoint(programFrame(poses, programZero), tip);
  };
  const glm::dvec3 f0 = mismatch(values);
  std::vector<glm::dvec3> columns;
  for (int32_t node : unknowns) {
    std::vector<double> moved = values;
    moved[node] = 1.0;
    columns.push_back(mismatch(moved) - f0);
  }
  std::vector<double> x;
  if (!leastSquares(columns, f0, x)) return false;
  for (size_t k = 0; k < unknowns.size(); ++k) values[unknowns[k]] = x[k];
  std::vector<double> check = values;
  return glm::length(mismatch(check)) <= 1e-6 * std::max(1.0, glm::length(tip) + glm::length(programZero));
}

}  // namespace machine
