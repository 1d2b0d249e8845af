#version 430
// A tool or holder vertex for the section outline: placed in the display
// frame by "model"; the geometry stage finds where its triangle crosses
// the cutting plane.
layout(location = 0) in vec3 position;

uniform mat4 model;

out vec3 vWorld;

void main() {
  vWorld = (model * vec4(position, 1.0)).xyz;
  gl_Position = vec4(vWorld, 1.0);
}
