#version 430
// Clears the tool target where it is drawn: transparent black at the far
// depth, so the composite finds no tool there.
layout(location = 0) out vec4 fragColor;

void main() {
  fragColor = vec4(0.0);
  gl_FragDepth = 1.0;
}
