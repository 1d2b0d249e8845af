#version 430
// For every sorted element: the unique index of its key (the flags' prefix
// sum less one) becomes the vertex of the triangle corner the element came
// from, and the first element of each key gives that vertex its position.
// The corners of a triangle arrive as its first, third and second vertex;
// they are stored turned back into counter-clockwise order.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer Keys { uint keys[]; };
layout(std430, binding = 1) readonly buffer Corners { uint corners[]; };  // sorted values: corner indices
layout(std430, binding = 2) readonly buffer UniqueSums { uint uniqueSums[]; };
layout(std430, binding = 3) readonly buffer CornerPositions { vec4 cornerPositions[]; };
layout(std430, binding = 4) writeonly buffer Mapping { int mapping[]; };  // per corner
layout(std430, binding = 5) writeonly buffer UniquePositions { vec4 uniquePositions[]; };

uniform uint nElements;
uniform uint InvocationOffset;

const uint kNoVertex = 0xFFFFFFFFu;  // an identifier that names no vertex
const uint kCornerOrder[3] = uint[3](0u, 2u, 1u);

void main() {
  uint i = InvocationOffset + gl_GlobalInvocationID.x;
  if (i >= nElements) return;
  uint corner = corners[i];
  uint slot = corner - corner % 3u + kCornerOrder[corner % 3u];
  if (keys[i] == kNoVertex) {
    mapping[slot] = -1;
    return;
  }
  uint vertex = uniqueSums[i] - 1u;
  mapping[slot] = int(vertex);
  if (i == 0u || keys[i] != keys[i - 1u]) uniquePositions[vertex] = cornerPositions[corner];
}
