#version 430
// Positions from the lattice's grid coordinates into the world.
layout(local_size_x = 256) in;

layout(std430, binding = 0) buffer Positions { vec4 positions[]; };

uniform mat4 GridToWorld;
uniform uint nVertices;
uniform uint InvocationOffset;

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (i >= nVertices) return;
  positions[i] = vec4((GridToWorld * vec4(positions[i].xyz, 1.0)).xyz, 1.0);
}
