#include "camera/Camera.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>


namespace camera {

namespace {

constexpr glm::dvec3 kTopUp{0.0, 1.0, -0.001};
constexpr glm::dvec3 kBottomUp{0.0, 1.0, 0.001};
constexpr double kStandardSpeed = 0.1;
constexpr double kZoomSpeed = 0.33;

// The rotation taking the camera's own frame (looking down -z, +y up) onto
// direction and up.
glm::dquat lookRotation(const glm::dvec3& direction, const glm::dvec3& up) {
  glm::dvec3 right = glm::cross(direction, up);
  if (glm::dot(right, right) < 1e-14) {
    const glm::dvec3 helper = std::abs(direction.y) < 0.9 ? glm::dvec3(0, 1, 0) : glm::dvec3(1, 0, 0);
    right = glm::cross(direction, helper);
  }
  right = glm::normalize(right);
  const glm::dvec3 trueUp = glm::cross(right, direction);
  return glm::normalize(glm::quat_cast(glm::dmat3(right, trueUp, -direction)));
}

glm::dvec3 horizonUp(const glm::dvec3& up) {
  const glm::dvec3 down = -kTopUp;
  return glm::dot(kTopUp, up) >= glm::dot(down, up) ? kTopUp : down;
}

bool sameMatrix(const glm::dmat4& a, const glm::dmat4& b) {
  for (int c = 0; c < 4; ++c)
    if (a[c] != b[c]) return false;
  return true;
}

}  // namespace

Camera::Camera(int width, int height, glm::vec3 eye, double fieldOfView)
    : eye_(eye), width_(width), height_(height), fieldOfView_(fieldOfView) {
  direction_ = glm::normalize(glm::dvec3(0, 100, 0) - eye_);
  aspect_ = height_ < 1 ? 1.0 : double(width_) / height_;
  updateLocked(0, 0);
}

void Camera::update(double distanceToScene, double sceneDiagonal) {
  std::lock_guard guard(lock_);
  updateLocked(distanceToScene, sceneDiagonal);
}

void Camera::updateForScene(const SceneBox& box, double frameFactor) {
  std::lock_guard guard(lock_);
  stepTransition(std::min(frameFactor, 1.0));
  if (box.valid()) sceneBox_ = box;
  updateLocked(0, 0);
}

void Camera::setViewport(int width, int height) {
  std::lock_guard guard(lock_);
  width_ = width;
  height_ = height;
  aspect_ = height_ < 1 ? 1.0 : double(width_) / height_;
  updateLocked(0, 0);
}

void Camera::updateLocked(double d, double s) {
  // Without figures of its own a pose change keeps the planes fitted to the
  // last scene the frame loop gave.
  if (d == 0 && s == 0 && sceneBox_.valid()) {
    const glm::dvec3 low(sceneBox_.min), high(sceneBox_.max);
    // Signed distance from the eye to the box: negative when strictly inside.
    const glm::dvec3 q = glm::abs(eye_ - (low + high) * 0.5) - (high - low) * 0.5;
    d = glm::length(glm::max(q, 0.0)) + std::min(std::max({q.x, q.y, q.z}), 0.0);
    s = glm::length(high - low);
  }
  const double size = s == 0 ? 100.0 : s;
  if (sceneSize_ == 0 || (sceneSize_ == 100 && size != 100)) {
    sceneSize_ = size;
    maxOrthoSize_ = 500 * size;
    if (orthoSize_ == 0 || orthoSize_ == 100) orthoSize_ = size;
  }
  if (pivotDistance_ == 0)
    near_ = std::max(minDistance_, size / 1000);
  else
    near_ = std::clamp(pivotDistance_, minDistance_, maxDistance_) * static_cast<double>(0.1f);
  far_ = std::min(size, near_ * 10000);
  if (d > 0) {
    far_ = 1.1 * d + size;
    near_ = std::max(near_, 0.8 * d);
  }
  buildMatrices();
}

void Camera::buildMatrices() {
  // Looking straight along up: nudge the direction off it.
  const glm::dvec3 side = glm::cross(up_, direction_);
  if (glm::dot(side, side) < 1e-7) direction_.z = direction_.y > 0 ? 0.0001 : -0.0001;
  const glm::dmat4 view = glm::lookAtRH(eye_, eye_ + direction_, up_);
  glm::dmat4 projection(0.0);
  if (perspective_) {
    const double h = std::tan(glm::radians(fieldOfView_) / 2);
    projection[0][0] = 1 / (h * aspect_);
    projection[1][1] = 1 / h;
    projection[2][2] = -(far_ + near_) / (far_ - near_);
    projection[2][3] = -1;
    projection[3][2] = -2 * far_ * near_ / (far_ - near_);
  } else {
    // orthoSize spans the shorter side of the window.
    const double half = orthoSize_ / 2;
    const double across = aspect_ < 1 ? half : half * aspect_, upright = aspect_ < 1 ? half / aspect_ : half;
    projection[0][0] = 1 / across;
    projection[1][1] = 1 / upright;
    projection[2][2] = -1 / far_;
    projection[3][3] = 1;
  }
  const glm::dmat4 projView = projection * view;
  if (sameMatrix(view, view_) && sameMatrix(projection, projection_) && sameMatrix(projView, projView_)) return;
  view_ = view;
  projection_ = projection;
  projView_ = projView;
  invProjView_ = glm::inverse(projView);
  viewFloat_ = glm::mat4(view);
  projectionFloat_ = glm::mat4(projection);
  camHi_ = glm::mat4(projView_);
  camLo_ = glm::mat4(projView_ - glm::dmat4(camHi_));
  invCamHi_ = glm::mat4(invProjView_);
  invCamLo_ = glm::mat4(invProjView_ - glm::dmat4(invCamHi_));
  changed_ = true;
}

void Camera::setIsometricDirection(const glm::vec3& direction) {
  std::lock_guard guard(lock_);
  if (glm::dot(direction, direction) > 0.0f) isoDirection_ = direction;
}

bool Camera::setView(StandardView code, const SceneBox& box, bool animate) {
  std::lock_guard guard(lock_);
  if (!box.valid()) return false;
  glm::dvec3 direction(0.0), up(0.0, 1.0, 0.0);
  double factor = 1.0;
  const glm::dvec3 low(box.min), high(box.max);
  switch (code) {
    case StandardView::Isometric: direction = glm::normalize(glm::dvec3(isoDirection_)); break;
    case StandardView::Top: direction = {0, -1, 0}, up = kTopUp; break;
    case StandardView::Bottom: direction = {0, 1, 0}, up = kBottomUp; break;
    case StandardView::Front: direction = {0, 0, -1}; break;
    case StandardView::Back: direction = {0, 0, 1}; break;
    case StandardView::Left: direction = {1, 0, 0}; break;
    case StandardView::Right: direction = {-1, 0, 0}; break;
    // Fitting keeps the direction and the roll: only the distance changes.
    case StandardView::Fit: direction = direction_, up = up_; break;
    case StandardView::FromTool: direction = glm::dmat3(toolAxes_) * glm::dvec3(0, 0, -1); break;
    case StandardView::ZoomToSelection:
      direction = direction_, up = up_;
      factor = glm::length(high - low) < 2.0 ? 5.0 : 1.5;
      break;
    default: return false;
  }
  return fitAlongLocked(direction, up, factor, box, animate);
}

bool Camera::viewAlong(const glm::dvec3& direction, const SceneBox& box, bool animate) {
  std::lock_guard guard(lock_);
  if (!box.valid() || !(glm::dot(direction, direction) > 1e-18)) return false;
  const glm::dvec3 d = glm::normalize(direction);
  // Straight down or up the vertical, up is the one the top and bottom views use.
  const glm::dvec3 up = d.y < -0.999 ? kTopUp : d.y > 0.999 ? kBottomUp : glm::dvec3(0.0, 1.0, 0.0);
  return fitAlongLocked(d, up, 1.0, box, animate);
}

bool Camera::fitAlongLocked(const glm::dvec3& direction, const glm::dvec3& up, double factor, const SceneBox& box,
                            bool animate) {
  if (glm::dot(direction, direction) < 1e-18) return false;
  const glm::dvec3 low(box.min), high(box.max);
  const glm::dvec3 centre = (low + high) * 0.5;
  const glm::dvec3 extent = high - low;
  const double largest = std::max({extent.x, extent.y, extent.z});
  if (!(largest > 0)) return false;  // a point has no size to fit
  const float distance = std::clamp(static_cast<float>(largest / 2 / std::tan(glm::radians(fieldOfView_) / 2)),
                                    static_cast<float>(minDistance_), static_cast<float>(maxDistance_));
  targetEye_ = centre - glm::normalize(direction) * double(distance) * factor;
  targetDirection_ = glm::normalize(centre - targetEye_);
  targetUp_ = up;
  targetOrthoSize_ = largest;
  if (animate) {
    startTransition(centre, kStandardSpeed);
  } else {
    transition_.active = false;
    applyTarget(targetEye_, targetDirection_, targetUp_, targetOrthoSize_);
  }
  return true;
}

void Camera::setProjection(bool perspective) {
  std::lock_guard guard(lock_);
  perspective_ = perspective;
  updateLocked(0, 0);
}

void Camera::applyTarget(const glm::dvec3& eye, const glm::dvec3& direction, const glm::dvec3& up, double orthoSize) {
  eye_ = eye;
  direction_ = direction;
  up_ = up;
  orthoSize_ = orthoSize;
  updateLocked(0, 0);
}

void Camera::startTransition(const glm::dvec3& centre, double speed) {
  Transition& t = transition_;
  t.active = true;
  t.t = 0;
  t.speed = speed;
  t.centre = centre;
  t.from = lookRotation(direction_, up_);
  t.to = lookRotation(targetDirection_, targetUp_);
  if (glm::dot(t.from, t.to) < 0) t.to = -t.to;
  t.offsetFrom = glm::inverse(t.from) * (eye_ - centre);
  t.offsetTo = glm::inverse(t.to) * (targetEye_ - centre);
  t.orthoFrom = orthoSize_;
}

void Camera::finishTransition() {
  if (!transition_.active) return;
  transition_.active = false;
  applyTarget(targetEye_, targetDirection_, targetUp_, targetOrthoSize_);
}

bool Camera::stepTransition(double frameFactor) {
  Transition& t = transition_;
  if (!t.active) return false;
  t.t += t.speed * frameFactor;
  if (t.t >= 1) {
    finishTransition();
    return false;
  }
  const glm::dquat q = glm::dot(t.from, t.to) > 0.9999999999999998
                           ? glm::normalize(t.from * (1 - t.t) + t.to * t.t)
                           : glm::slerp(t.from, t.to, t.t);
  eye_ = t.centre + q * ((1 - t.t) * t.offsetFrom + t.t * t.offsetTo);
  direction_ = q * glm::dvec3(0, 0, -1);
  up_ = q * glm::dvec3(0, 1, 0);
  orthoSize_ = (1 - t.t) * t.orthoFrom + t.t * targetOrthoSize_;
  updateLocked(0, 0);
  return true;
}

bool Camera::advanceTransition(double frameFactor) {
  std::lock_guard guard(lock_);
  return stepTransition(std::min(frameFactor, 1.0));
}

void Camera::completeTransition() {
  std::lock_guard guard(lock_);
  finishTransition();
}

bool Camera::transitionRunning() const {
  std::lock_guard guard(lock_);
  return transition_.active;
}

bool Camera::pan(double a, double b) {
  std::lock_guard guard(lock_);
  if (a == 0.0 && b == 0.0) return false;
  const glm::dvec3 c0(invProjView_[0]), c1(invProjView_[1]);
  eye_ += a * c1 - b * c0;
  updateLocked(0, 0);
  return true;
}

bool Camera::rotate(double pitchDegrees, double yawDegrees) {
  std::lock_guard guard(lock_);
  if (pitchDegrees == 0.0 && yawDegrees == 0.0) return false;
  if (orbitRadius_ == 0) {
    // No pivot chosen yet: the scene's centre, at its distance along the view.
    const glm::dvec3 centre = sceneBox_.valid() ? glm::dvec3(sceneBox_.min + sceneBox_.max) * 0.5 : glm::dvec3(0.0);
    const double distance = std::max(glm::dot(centre - eye_, direction_), minDistance_);
    pivot_ = eye_ + direction_ * distance;
    pivotScreen_ = glm::dvec2(0.0);
    orbitRadius_ = distance;
  }
  const double pitch = glm::radians(pitchDegrees), yaw = glm::radians(yawDegrees);
  const double angle0 = std::acos(std::clamp(glm::dot(direction_, up_), -1.0, 1.0));
  const glm::dvec3 right = glm::normalize(glm::cross(direction_, up_));
  const glm::dmat3 turn = glm::dmat3(glm::rotate(glm::dmat4(1.0), yaw, up_)) *
                          glm::dmat3(glm::rotate(glm::dmat4(1.0), pitch, right));
  const glm::dvec3 oldDirection = direction_;
  const glm::dvec3 newDirection = glm::normalize(turn * direction_);
  if (keepHorizonLevel_) {
    const double angle = angle0 - pitch;
    if (angle < 0 || angle > M_PI) up_ = -up_;  // over the pole
  } else {
    up_ = glm::normalize(turn * up_);  // turned with the view
  }
  // The eye orbits the pivot.
  const glm::dvec3 w = glm::normalize(pivot_ - eye_) + (newDirection - oldDirection);
  eye_ = pivot_ - orbitRadius_ * glm::normalize(w);
  direction_ = newDirection;
  updateLocked(0, 0);
  panToNdc(pivotScreen_);
  if (perspective_) {
    eye_ = pivot_ + glm::normalize(eye_ - pivot_) * orbitRadius_;
    updateLocked(0, 0);
  }
  return true;
}

glm::dvec3 Camera::unproject(const glm::dvec3& ndc) const {
  const glm::dvec4 p = invProjView_ * glm::dvec4(ndc, 1.0);
  return glm::dvec3(p) / p.w;
}

void Camera::panToNdc(glm::dvec2 ndc) {
  const glm::dvec4 clip = projView_ * glm::dvec4(pivot_, 1.0);
  const double depth = clip.z / clip.w;
  const glm::dvec3 under = unproject({ndc, depth});
  eye_ += pivot_ - under;
  updateLocked(0, 0);
}

void Camera::panToCursor(double x, double y) {
  std::lock_guard guard(lock_);
  panToNdc({2 * x / std::max(width_, 1) - 1, 1 - 2 * y / std::max(height_, 1)});
}

void Camera::choosePivot(const glm::dvec3& pivot, glm::dvec2 screen) {
  std::lock_guard guard(lock_);
  pivot_ = pivot;
  pivotScreen_ = screen;
  orbitRadius_ = glm::length(eye_ - pivot);
}

glm::ivec2 Camera::viewport() const {
  std::lock_guard guard(lock_);
  return {width_, height_};
}

glm::dvec3 Camera::worldAtPixel(double x, double y, double windowDepth) const {
  std::lock_guard guard(lock_);
  return unproject({2 * x / std::max(width_, 1) - 1, 1 - 2 * y / std::max(height_, 1), 2 * windowDepth - 1});
}

glm::dvec3 Camera::deviceOf(const glm::dvec3& world) const {
  std::lock_guard guard(lock_);
  const glm::dvec4 clip = projView_ * glm::dvec4(world, 1.0);
  return glm::dvec3(clip) / clip.w;
}

void Camera::follow(const glm::dvec3& shift) {
  std::lock_guard guard(lock_);
  if (shift == glm::dvec3(0.0)) return;
  eye_ += shift;
  pivot_ += shift;
  targetEye_ += shift;
  transition_.centre += shift;  // a running transition's path moves along
  updateLocked(0, 0);
  changed_ = true;
}

void Camera::zoom(double steps) {
  std::lock_guard guard(lock_);
  if (steps == 0) return;
  finishTransition();
  const double factor = steps > 0 ? std::pow(1 / 1.1, std::abs(steps)) : std::pow(1.1, std::abs(steps));
  const double d = glm::length(eye_ - pivot_);
  pivotDistance_ = d;
  targetDirection_ = direction_;
  targetUp_ = up_;
  if (perspective_) {
    if (!(d > 0)) return;
    // The eye stays between the distance limits; at a limit, zooming on
    // past it does nothing.
    const double c = std::clamp(d, minDistance_, maxDistance_);
    targetEye_ = pivot_ + (eye_ - pivot_) / d * std::clamp(c * factor, minDistance_, maxDistance_);
    targetOrthoSize_ = orthoSize_;
  } else {
    if (steps > 0 && orthoSize_ <= kMinOrthoSize) return;
    if (steps < 0 && orthoSize_ >= maxOrthoSize_) return;
    const double size = std::min(maxOrthoSize_, std::max(kMinOrthoSize, orthoSize_ * factor));
    targetEye_ = pivot_ + (eye_ - pivot_) * (size / orthoSize_);
    targetOrthoSize_ = size;
  }
  startTransition(pivot_, kZoomSpeed);
}

void Camera::zoomWindow(glm::dvec2 corner1, glm::dvec2 corner2, const std::function<double(int, int)>& depthAt) {
  std::lock_guard guard(lock_);
  finishTransition();
  const glm::dvec2 centre = (corner1 + corner2) * 0.5, extent = glm::abs(corner2 - corner1);
  const glm::dvec2 pixels(width_, height_);
  const glm::dvec2 at = centre * pixels, span = extent * pixels;
  double depth = 1.0;
  if (perspective_) {
    // The nearest surface over the rectangle's central half.
    for (int i = -5; i <= 5; ++i)
      for (int j = -5; j <= 5; ++j) {
        const glm::dvec2 p = at + glm::dvec2(i, j) * span / 20.0;
        const double sample = depthAt(static_cast<int>(p.x), static_cast<int>(p.y));
        if (sample < 1.0) depth = std::min(depth, sample);
      }
  } else {
    depth = depthAt(static_cast<int>(at.x), static_cast<int>(at.y));
  }
  const double ndcDepth = depth < 1.0 ? 2 * depth - 1 : 1.0;
  const glm::dvec3 z = unproject({2 * centre.x - 1, 2 * centre.y - 1, ndcDepth});
  double distance = glm::length(eye_ - z);
  if (perspective_) distance = std::clamp(distance, minDistance_, maxDistance_);
  pivotDistance_ = distance;
  pivot_ = z;
  targetDirection_ = direction_;
  targetUp_ = up_;
  targetOrthoSize_ = std::min(maxOrthoSize_, std::max(kMinOrthoSize, orthoSize_ * std::max(extent.x, extent.y)));
  // Perspective keeps the eye back from the surface by the share of the
  // view the rectangle took; orthographic views see through from anywhere.
  targetEye_ = perspective_ ? z - direction_ * std::max(minDistance_, distance * std::max(extent.x, extent.y)) : z;
  startTransition(z, kZoomSpeed);
}

bool Camera::setHostCamera(const HostCamera& host, const glm::dmat3& axisTransformation, const glm::dvec3& origin) {
  std::lock_guard guard(lock_);
  glm::dvec3 up = axisTransformation * host.up;
  const glm::dvec3 normal = axisTransformation * host.viewNormal;
  if (!(glm::length(normal) > 0) || !(glm::length(up) > 0)) return false;
  const glm::dvec3 direction = -glm::normalize(normal);
  up = keepHorizonLevel_ ? horizonUp(up) : glm::normalize(up);
  const double orthoSize = (host.size.x / aspect_ + host.size.y) / 2;
  const glm::dvec3 across = glm::cross(direction, up);
  if (!(orthoSize > 0) || !std::isfinite(orthoSize) || !(glm::length(across) > 1e-9)) return false;
  // The offset runs along the screen's own axes.
  const glm::dvec3 right = glm::normalize(across), screenUp = glm::cross(right, direction);
  const glm::dvec3 eye = origin + host.offset.x * right + host.offset.y * screenUp - orthoSize * direction;
  if (!std::isfinite(eye.x) || !std::isfinite(eye.y) || !std::isfinite(eye.z)) return false;
  direction_ = direction;
  up_ = up;
  if (orthoSize == orthoSize_ && eye == eye_) {
    updateLocked(0, 0);
    return false;
  }
  eye_ = eye;
  orthoSize_ = orthoSize;
  transition_.active = false;
  updateLocked(0, 0);
  changed_ = true;
  return true;
}

bool Camera::keepHorizonLevel() const {
  std::lock_guard lock(lock_);
  return keepHorizonLevel_;
}

void Camera::setKeepHorizonLevel(bool on) {
  std::lock_guard guard(lock_);
  keepHorizonLevel_ = on;
  if (!on) return;
  up_ = horizonUp(up_);
  updateLocked(0, 0);
  changed_ = true;
}

void Camera::setToolAxes(const glm::mat3& axes) {
  std::lock_guard guard(lock_);
  toolAxes_ = axes;
}

Camera::DrawState Camera::drawState() const {
  std::lock_guard guard(lock_);
  return {camHi_, camLo_, eye_, direction_, perspective_};
}

CameraSnapshot Camera::snapshot() const {
  std::lock_guard guard(lock_);
  CameraSnapshot s{};
  const glm::mat4 projViewFloat(projView_);
  for (int i = 0; i < 16; ++i) s.projView[i] = glm::value_ptr(projViewFloat)[i];
  s.width = width_;
  s.height = height_;
  for (int k = 0; k < 3; ++k) {
    s.eye[k] = static_cast<float>(eye_[k]);
    s.viewNormal[k] = static_cast<float>(-direction_[k]);
  }
  s.perspective = perspective_ ? 1 : 0;
  return s;
}

Camera::Pose Camera::pose() const {
  std::lock_guard guard(lock_);
  return {eye_, direction_, up_, orthoSize_, near_, far_, sceneSize_, maxOrthoSize_, perspective_};
}

glm::dmat4 Camera::projView() const {
  std::lock_guard guard(lock_);
  return projView_;
}

glm::dmat4 Camera::inverseProjView() const {
  std::lock_guard guard(lock_);
  return invProjView_;
}

glm::mat4 Camera::camHi() const {
  std::lock_guard guard(lock_);
  return camHi_;
}

glm::mat4 Camera::camLo() const {
  std::lock_guard guard(lock_);
  return camLo_;
}

glm::dvec3 Camera::pivot() const {
  std::lock_guard guard(lock_);
  return pivot_;
}

bool Camera::takeChanged() {
  std::lock_guard guard(lock_);
  return std::exchange(changed_, false);
}

}  // namespace camera
