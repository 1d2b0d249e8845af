#pragma once
// The display frame (Y up) each machine kind shows its machine coordinates
// in: vertical machines turn -90 degrees about X (Z up); horizontal machines
// already have Y up; lathes show the spindle axis Z to the right and X up.
#include <glm/mat3x3.hpp>

#include "machine/MachineDefinition.h"

namespace machine {

inline glm::dmat3 orientationFrame(Orientation orientation) {
  switch (orientation) {
    case Orientation::Horizontal:
      return glm::dmat3(1.0);
    case Orientation::Lathe:
      return glm::dmat3(glm::dvec3(0, 1, 0), glm::dvec3(0, 0, 1), glm::dvec3(1, 0, 0));
    case Orientation::Vertical:
      break;
  }
  return glm::dmat3(glm::dvec3(1, 0, 0), glm::dvec3(0, 0, -1), glm::dvec3(0, 1, 0));
}

}  // namespace machine
