#version 430
// The id of a model's triangle or line: the model's base id plus the
// primitive's index; nothing beyond the cutting plane.
in vec3 sWorld;

uniform uint baseEntityId;
uniform bool cuttingPlaneEnabled;
uniform vec3 cuttingPlaneDirection;
uniform vec3 cuttingPlaneOrigin;

layout(location = 0) out uint entityId;

void main() {
  if (cuttingPlaneEnabled && dot(sWorld - cuttingPlaneOrigin, cuttingPlaneDirection) > 0.0) discard;
  entityId = baseEntityId + uint(gl_PrimitiveID);
}
