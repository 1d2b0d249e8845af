#version 430
// The colour the vertex stage passed on.
in vec4 sColor;

layout(location = 0) out vec4 fragColor;

void main() { fragColor = sColor; }
