#version 430
// Two triangles covering the viewport, made from the vertex index (no
// buffer): position in clip space, texture coordinate = position x 0.5 + 0.5.
out vec2 sTexCoord;

const vec2 kCorners[6] = vec2[6](vec2(-1, -1), vec2(1, -1), vec2(1, 1), vec2(-1, -1), vec2(1, 1), vec2(-1, 1));

void main() {
  vec2 p = kCorners[gl_VertexID];
  sTexCoord = p * 0.5 + 0.5;
  gl_Position = vec4(p, 0.0, 1.0);
}
