#include "ui/Gnomon.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>
#include <glm/matrix.hpp>

#include "ui/UIContext.h"

namespace UI {
namespace {

// The faces in string-table order (entries 130-135) and their normals.
constexpr uint32_t kFaceEntries[6] = {130, 131, 132, 133, 134, 135};
const glm::vec3 kFaceNormals[6] = {{0, 1, 0}, {0, -1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1}};

// How much of a face label shows, by how squarely the face looks at the viewer.
float faceLabelOpacity(float facing) {
  const float t = std::clamp((facing - 0.4f) / 0.35f, 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

}  // namespace

Gnomon::Gnomon(UIContext* context, const Theme* theme, const StringTable* texts) : UIElement(context), theme_(theme) {
  widthMode = heightMode = SizeMode::Pixels;
  width = height = kCubeSize;
  for (size_t a = 0; a < 3; ++a) {
    axisLabels_[a] = std::make_unique<Text>(context);
    axisLabels_[a]->alignment = Text::Centre;
    if (texts) axisLabels_[a]->setText((*texts)[static_cast<uint32_t>(a)]);
  }
  for (size_t f = 0; f < 6; ++f) {
    faceLabels_[f] = std::make_unique<Text>(context);
    faceLabels_[f]->alignment = Text::Centre;
    if (texts) faceLabels_[f]->setText((*texts)[kFaceEntries[f]]);
  }
}

void Gnomon::show(const glm::mat3& viewRotation, const glm::mat3& hostAxes) {
  rotation_ = viewRotation;
  axes_ = hostAxes;
}

Rect Gnomon::axesRect() const {
  const Rect cube = getRect();
  const float w = kAxesSize / context->windowWidth * context->contentScaleX;
  const float h = kAxesSize / context->windowHeight * context->contentScaleY;
  const float gap = kGap / context->windowHeight * context->contentScaleY;
  return {cube.x + (cube.w - w) / 2, cube.y - gap - h, w, h};
}

CubeElement Gnomon::elementAt(float px, float py) const {
  if (!settings_.cube || !hitTest(px, py)) return {};
  const Rect r = getRect();
  // The cursor's ray in view space, looking into the screen, turned back
  // into the cube's frame.
  const float u = ((px - r.x) / r.w * 2 - 1) / kCubeScale, v = ((py - r.y) / r.h * 2 - 1) / kCubeScale;
  const glm::mat3 toCube = glm::transpose(rotation_);
  const std::optional<glm::vec3> hit = rayHitsCube(toCube * glm::vec3(u, v, 10.0f), toCube * glm::vec3(0, 0, -1));
  return hit ? classifyCubePoint(*hit) : CubeElement{};
}

void Gnomon::placeLabels() {
  const float lineHeight = Text::lineHeight(*context);
  // Face labels on the faces that look at the viewer.
  const glm::vec3 towardsViewer = glm::transpose(rotation_) * glm::vec3(0, 0, 1);
  for (size_t f = 0; f < 6; ++f) {
    Text& label = *faceLabels_[f];
    const float opacity = faceLabelOpacity(glm::dot(towardsViewer, kFaceNormals[f]));
    label.visible = settings_.cube && opacity > 0.01f;
    if (!label.visible) continue;
    const glm::vec3 at = rotation_ * kFaceNormals[f] * kCubeScale;
    label.opacity = opacity;
    label.setColor(theme_->text);
    label.hangFrom(this, (at.x + 1) / 2, (at.y + 1) / 2, 0, lineHeight / 2);
  }
  // Axis labels beyond the axes' ends, in the square below the cube; the
  // square's centre lies kGap + kAxesSize / 2 below the cube's bottom.
  const std::array<Colour, 3> colours{theme_->axisX, theme_->axisY, theme_->axisZ};
  for (size_t a = 0; a < 3; ++a) {
    Text& label = *axisLabels_[a];
    const glm::vec3 view = rotation_ * (axes_[static_cast<glm::length_t>(a)] * kLabelDistance);
    // Orthographic: w is 1 wherever the label lies.
    const float w = 1.0f;
    label.visible = settings_.gnomon && settings_.axes[a] && w > 0;
    if (!label.visible) continue;
    const float x = kCubeSize / 2 + view.x * kAxesScale * kAxesSize / 2;
    const float y = -kGap - kAxesSize / 2 + view.y * kAxesScale * kAxesSize / 2;
    label.setColor(colours[a]);
    label.hangFrom(this, x / kCubeSize, y / kCubeSize, 0, lineHeight / 2);
  }
}

void Gnomon::collect(std::vector<UIInstance>& records, bool snap) {
  visible = settings_.cube || settings_.gnomon;
  if (!visible) return;
  const float px = context->cursorX / context->windowWidth, py = 1 - context->cursorY / context->windowHeight;
  hovered_ = context->cursorX >= 0 ? elementAt(px, py) : CubeElement{};
  if (context->click && hovered_.count > 0 && onChoose) onChoose(hovered_);
  placeLabels();
  UIElement::collect(records, snap);
  for (const auto& label : faceLabels_) label->collect(records, true);
  for (const auto& label : axisLabels_) label->collect(records, true);
  // The cube takes the cursor from what lies below it.
  if (settings_.cube && cursorInside()) context->takeCursor();
}

}  // namespace UI
