#version 430
// Puts the tool drawn off screen into the scene: texels the tool covers
// (alpha 0.5 and above) are written opaque at the tool's own depth, so the
// scene's depth test hides what lies behind the stock or the machine.
in vec2 sTexCoord;

uniform sampler2D toolColor;
uniform sampler2D toolDepth;

layout(location = 0) out vec4 fragColor;

void main() {
  vec4 c = texture(toolColor, sTexCoord);
  if (c.a < 0.5) discard;
  fragColor = vec4(c.rgb, 1.0);
  gl_FragDepth = texture(toolDepth, sTexCoord).r;
}
