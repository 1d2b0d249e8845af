#version 430
// Clears a buffer of 32-bit words to one value; each invocation clears
// `Stride` consecutive words.
layout(local_size_x = 256) in;

layout(std430, binding = 0) buffer Words { uint words[]; };

uniform uint BufferCount;  // words in the buffer
uniform uint ClearVal;
uniform uint Stride;

void main() {
  uint first = gl_GlobalInvocationID.x * Stride;
  if (first >= BufferCount) return;
  uint last = min(first + Stride, BufferCount);
  for (uint i = first; i < last; ++i) words[i] = ClearVal;
}
