#version 430
// A stock mesh, lit with each triangle's own normal and colour (or the
// interpolated vertex normal where the triangle asks for it), or coloured
// by its distance from the design in compare mode.
in vec3 sWorld;
in vec3 sVertexNormal;
in float sDistance;

// Per triangle: packed face normal (bit 31: use the vertex normal), colour
// (bytes 0-2 RGB, byte 3 the specular weight).
layout(std430, binding = 2) readonly buffer Triangles { uvec2 triangles[]; };

uniform mat4 model;
uniform vec4 lightColor;
uniform bool HasVertexNormals;
uniform bool UseStockCompareColors;
uniform vec3 Colors[5];
uniform bvec3 StockCompareVisibility;  // below, within, above the tolerance
uniform bool UseBinaryColorThreshold;
uniform float Tolerance;
uniform float StockOffset;

#include "Lighting.glsl"

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 compareOut;

vec3 unpackNormal(uint p) { return vec3(p & 1023u, (p >> 10) & 1023u, (p >> 20) & 1023u) / 511.5 - 1.0; }

vec3 compareColour(float d) {
  float o = StockOffset, tol = Tolerance;
  if (UseBinaryColorThreshold) {
    if (d < o - tol) return Colors[0];
    if (d < o - tol / 2.0) return Colors[1];
    if (d < o + tol / 2.0) return Colors[2];
    if (d < o + tol) return Colors[3];
    return Colors[4];
  }
  float band = tol / 2.0;
  if (d < o - band) return mix(Colors[0], Colors[1], clamp((d - (o - tol)) / band, 0.0, 1.0));
  if (d < o) return mix(Colors[1], Colors[2], clamp((d - (o - band)) / band, 0.0, 1.0));
  if (d < o + band) return mix(Colors[2], Colors[3], clamp((d - o) / band, 0.0, 1.0));
  return mix(Colors[3], Colors[4], clamp((d - (o + band)) / band, 0.0, 1.0));
}

void main() {
  if (cutAway(sWorld)) discard;
  if (insideThroughCut()) {
    fragColor = sectionColor;
    compareOut = vec4(0.0);
    return;
  }
  uvec2 t = triangles[gl_PrimitiveID];
  vec3 n = HasVertexNormals && (t.x & 0x80000000u) != 0u ? sVertexNormal : mat3(model) * unpackNormal(t.x);
  vec4 c = vec4(float(t.y & 0xFFu), float((t.y >> 8) & 0xFFu), float((t.y >> 16) & 0xFFu), 255.0) / 255.0;
  float specularWeight = float(t.y >> 24) / 255.0;
  if (UseStockCompareColors) {
    float d = sDistance, o = StockOffset;
    if (d < o - Tolerance && !StockCompareVisibility.x) discard;
    if (d >= o - Tolerance && d <= o + Tolerance && !StockCompareVisibility.y) discard;
    if (d > o + Tolerance && !StockCompareVisibility.z) discard;
    c = vec4(compareColour(d), 1.0);
    compareOut = vec4(d, 0.0, 0.0, 1.0);
  }
  fragColor = lit(c, n, sWorld, specularWeight, lightColor);
}
