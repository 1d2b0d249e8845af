#include "view/CompareSetting.h"

namespace view {

CompareSetting::Colours CompareSetting::defaultColours() {
  return {glm::vec3(0.86f, 0.16f, 0.14f), glm::vec3(0.95f, 0.72f, 0.15f), glm::vec3(0.25f, 0.72f, 0.30f),
          glm::vec3(0.25f, 0.70f, 0.90f), glm::vec3(0.18f, 0.30f, 0.85f)};
}

uint32_t CompareSetting::setShown(bool shown) {
  std::lock_guard lock(mutex_);
  if (shown) {
    values_.flags |= SIM_COMPARE_SHOWN;
    if (values_.lower > values_.upper) values_.lower = -kDefaultHalfWidth, values_.upper = kDefaultHalfWidth;
  } else {
    values_.flags &= ~uint32_t{SIM_COMPARE_SHOWN};
  }
  return values_.flags;
}

stock::CompareLook CompareSetting::look() const {
  const Values v = get();
  stock::CompareLook look;
  look.enabled = (v.flags & SIM_COMPARE_SHOWN) != 0;
  look.colours = colours();
  look.visible = {(v.flags & SIM_COMPARE_HIDE_BELOW) == 0, (v.flags & SIM_COMPARE_HIDE_WITHIN) == 0,
                  (v.flags & SIM_COMPARE_HIDE_ABOVE) == 0};
  look.stepped = (v.flags & SIM_COMPARE_STEPPED) != 0;
  look.offset = static_cast<float>((v.lower + v.upper) / 2);
  look.tolerance = static_cast<float>(std::abs(v.upper - v.lower) / 2);
  return look;
}

}  // namespace view
