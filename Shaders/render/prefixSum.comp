#version 430
// One step of an inclusive prefix sum (Hillis-Steele): every element adds
// the one 2^Iteration places back. Even steps read the first buffer and
// write the second, odd steps the other way round.
layout(local_size_x = 256) in;

layout(std430, binding = 0) buffer First { uint first[]; };
layout(std430, binding = 1) buffer Second { uint second[]; };

uniform uint SizesCount;
uniform uint Iteration;
uniform uint InvocationOffset;

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (i >= SizesCount) return;
  uint step = 1u << Iteration;
  if ((Iteration & 1u) == 0u)
    second[i] = first[i] + (i >= step ? first[i - step] : 0u);
  else
    first[i] = second[i] + (i >= step ? second[i - step] : 0u);
}
