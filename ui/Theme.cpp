#include "ui/Theme.h"

namespace UI {

Theme Theme::light() {
  Theme t;
  t.panel = {0.86f, 0.88f, 0.91f, 0.95f};
  t.panelEdge = {0.98f, 0.98f, 0.99f, 0.95f};
  t.hover = {0.80f, 0.87f, 0.96f, 1.0f};
  t.pressed = {0.62f, 0.74f, 0.90f, 1.0f};
  t.ticked = {0.70f, 0.80f, 0.93f, 1.0f};
  t.icon = {0.18f, 0.22f, 0.28f, 1.0f};
  t.iconDisabled = {0.18f, 0.22f, 0.28f, 0.35f};
  t.text = {0.08f, 0.09f, 0.11f, 1.0f};
  t.textDisabled = {0.08f, 0.09f, 0.11f, 0.4f};
  t.hint = {1.0f, 1.0f, 0.94f, 0.97f};
  t.hintText = {0.08f, 0.09f, 0.11f, 1.0f};
  t.separator = {0.70f, 0.72f, 0.75f, 1.0f};
  t.sliderTrack = {0.78f, 0.80f, 0.84f, 1.0f};
  t.sliderFill = {0.24f, 0.47f, 0.80f, 1.0f};
  t.sliderDot = {0.13f, 0.29f, 0.55f, 1.0f};
  t.disabled = {0.55f, 0.57f, 0.60f, 1.0f};
  t.axisX = {0.80f, 0.16f, 0.16f, 1.0f};
  t.axisY = {0.12f, 0.58f, 0.20f, 1.0f};
  t.axisZ = {0.16f, 0.32f, 0.85f, 1.0f};
  t.viewCube = {0.90f, 0.91f, 0.93f, 0.92f};
  t.viewCubeHover = {0.64f, 0.78f, 0.98f, 1.0f};
  t.selection = {0.24f, 0.47f, 0.80f, 0.25f};
  t.measure = {0.92f, 0.42f, 0.04f, 1.0f};
  t.range = {0.92f, 0.42f, 0.04f, 1.0f};
  return t;
}

Theme Theme::dark() {
  Theme t;
  t.panel = {0.16f, 0.17f, 0.19f, 0.94f};
  t.panelEdge = {0.22f, 0.23f, 0.26f, 0.94f};
  t.hover = {0.27f, 0.33f, 0.42f, 1.0f};
  t.pressed = {0.20f, 0.36f, 0.56f, 1.0f};
  t.ticked = {0.22f, 0.32f, 0.46f, 1.0f};
  t.icon = {0.88f, 0.90f, 0.93f, 1.0f};
  t.iconDisabled = {0.88f, 0.90f, 0.93f, 0.35f};
  t.text = {0.92f, 0.93f, 0.95f, 1.0f};
  t.textDisabled = {0.92f, 0.93f, 0.95f, 0.4f};
  t.hint = {0.24f, 0.25f, 0.28f, 0.97f};
  t.hintText = {0.92f, 0.93f, 0.95f, 1.0f};
  t.separator = {0.35f, 0.37f, 0.40f, 1.0f};
  t.sliderTrack = {0.30f, 0.32f, 0.36f, 1.0f};
  t.sliderFill = {0.35f, 0.58f, 0.90f, 1.0f};
  t.sliderDot = {0.80f, 0.87f, 0.98f, 1.0f};
  t.disabled = {0.45f, 0.46f, 0.49f, 1.0f};
  t.axisX = {0.95f, 0.38f, 0.38f, 1.0f};
  t.axisY = {0.40f, 0.85f, 0.45f, 1.0f};
  t.axisZ = {0.45f, 0.60f, 1.0f, 1.0f};
  t.viewCube = {0.36f, 0.38f, 0.42f, 0.92f};
  t.viewCubeHover = {0.30f, 0.50f, 0.80f, 1.0f};
  t.selection = {0.35f, 0.58f, 0.90f, 0.30f};
  t.measure = {1.0f, 0.66f, 0.22f, 1.0f};
  t.range = {1.0f, 0.66f, 0.22f, 1.0f};
  return t;
}

}  // namespace UI
