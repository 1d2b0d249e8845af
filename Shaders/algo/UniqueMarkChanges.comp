#version 430
// Over sorted keys: 1 where a key differs from its predecessor (and for the
// first), else 0. The prefix sum of these flags numbers the unique keys.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Keys { uint keys[]; };
layout(std430, binding = 1) writeonly buffer Flags { uint flags[]; };

uniform uint nElements;
uniform uint InvocationOffset;

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (i >= nElements) return;
  flags[i] = (i == 0u || keys[i] != keys[i - 1u]) ? 1u : 0u;
}
