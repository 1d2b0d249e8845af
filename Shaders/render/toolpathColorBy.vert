#version 430
// A toolpath vertex coloured by its move's value: below "midValue" from
// "minColor" to "goodColor", from there to "maxColor", in HSV with the hue
// taking the shorter way round.
layout(location = 0) in vec3 position;
layout(location = 1) in float kind;
layout(location = 2) in int move;

layout(std430, binding = 0) readonly buffer MoveValues { float moveValues[]; };

uniform mat4 model;
uniform mat4 cam_hi;
uniform mat4 cam_lo;
uniform vec4 minColor;
uniform vec4 goodColor;
uniform vec4 maxColor;
uniform float minValue;
uniform float midValue;
uniform float maxValue;

flat out float sKind;
flat out vec4 sColor;

vec3 toHsv(vec3 c) {
  float high = max(c.r, max(c.g, c.b));
  float low = min(c.r, min(c.g, c.b));
  float d = high - low;
  float h = 0.0;
  if (d > 0.0) {
    if (high == c.r) h = mod((c.g - c.b) / d, 6.0);
    else if (high == c.g) h = (c.b - c.r) / d + 2.0;
    else h = (c.r - c.g) / d + 4.0;
    h /= 6.0;
  }
  return vec3(h, high > 0.0 ? d / high : 0.0, high);
}

vec3 toRgb(vec3 c) {
  vec3 k = mod(vec3(5.0, 3.0, 1.0) + c.x * 6.0, 6.0);
  return c.z - c.z * c.y * clamp(min(k, 4.0 - k), 0.0, 1.0);
}

vec4 blendHsv(vec4 a, vec4 b, float t) {
  vec3 p = toHsv(a.rgb), q = toHsv(b.rgb);
  float dh = q.x - p.x;
  dh -= floor(dh + 0.5);  // into [-0.5, 0.5)
  vec3 m = vec3(fract(p.x + dh * t), mix(p.yz, q.yz, t));
  return vec4(toRgb(m), mix(a.a, b.a, t));
}

void main() {
  vec4 world = model * vec4(position, 1.0);
  float v = moveValues[move];
  if (v < midValue) {
    float span = midValue - minValue;
    sColor = blendHsv(minColor, goodColor, span > 0.0 ? clamp((v - minValue) / span, 0.0, 1.0) : 1.0);
  } else {
    float span = maxValue - midValue;
    sColor = blendHsv(goodColor, maxColor, span > 0.0 ? clamp((v - midValue) / span, 0.0, 1.0) : 0.0);
  }
  sKind = kind;
  gl_Position = cam_hi * world + cam_lo * world;
}
