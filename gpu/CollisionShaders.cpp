#include "gpu/CollisionShaders.h"

namespace gpu {

BaseCollisionShader::BaseCollisionShader(std::string_view computeName) : BaseToolShader(computeName) {
  proximityMode = location("ProximityMode");
  prevProximityMode = location("PrevProximityMode");
  collisionSlot = location("CollisionSlot");
  toolOffset = location("ToolOffset");
  toolLength = location("ToolLength");
  toolWidestRadius = location("ToolWidestRadius");
}

}  // namespace gpu
