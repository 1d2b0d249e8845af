#version 430
// Interface rectangles, blended with two outputs: the colour, premultiplied,
// and per channel how much of what lies behind it stays covered
// (dst' = colour + dst x (1 - coverage)), so glyphs keep their subpixel
// coverage. Modes: 0 flat, 1 ruler, 2 glyph, -2 grey glyph, 3 and up icon.
in vec2 vCorner;
flat in vec2 vUnits;
flat in float vRadius;
flat in float vRulerScale;
flat in float vMode;
flat in vec4 vColorBottom;
flat in vec4 vColorTop;
in vec2 vTexCoord;

uniform sampler2D fontTexture;
uniform sampler2D iconTexture1;

layout(location = 0, index = 0) out vec4 fragColor;
layout(location = 0, index = 1) out vec4 fragCoverage;

// Ticks of one decade: where fract(10^k u) is below a width that narrows
// across the decade's window of ruler scales.
float decade(float u, float k, float low, float high, float base) {
  if (vRulerScale < low || vRulerScale > high) return 0.0;
  float t = clamp((vRulerScale - low) / (high - low), 0.0, 1.0);
  float width = base * (1.0 - 0.7 * t);
  return fract(pow(10.0, k) * u) < width ? 1.0 : 0.0;
}

void main() {
  vec4 c = mix(vColorBottom, vColorTop, vCorner.y);

  // Round corners: inside a corner square, fade out between 0.9 and 1.3
  // times the radius squared from the corner's centre.
  float r = vRadius;
  if (r > 0.0) {
    vec2 p = vCorner * vUnits;
    bool cornerX = p.x < r || p.x > vUnits.x - r;
    bool cornerY = p.y < r || p.y > vUnits.y - r;
    if (cornerX && cornerY) {
      vec2 centre = clamp(p, vec2(r), vUnits - vec2(r));
      float d = dot(p - centre, p - centre);
      if (d > 1.3 * r * r) discard;
      if (d > 0.9 * r * r) c.a *= 1.0 - (d - 0.9 * r * r) / (0.4 * r * r);
    }
  }

  if (vMode > 1.5 && vMode < 2.5) {
    vec3 coverage = texture(fontTexture, vTexCoord).rgb * c.a;
    float a = max(coverage.r, max(coverage.g, coverage.b));
    fragColor = vec4(c.rgb * coverage, a);
    fragCoverage = vec4(coverage, a);
    return;
  }
  if (vMode < -1.5) {
    vec3 t = texture(fontTexture, vTexCoord).rgb;
    float coverage = max(t.r, max(t.g, t.b)) * c.a;
    fragColor = vec4(c.rgb * coverage, coverage);
    fragCoverage = vec4(coverage);
    return;
  }
  if (vMode > 2.5) c *= texture(iconTexture1, vTexCoord);
  if (vMode > 0.5 && vMode < 1.5) {
    // Along the ruler: the texture rectangle's u range names the part of a
    // longer ruler this element shows (0 to 1 for a whole one).
    float u = vTexCoord.x;
    float tick = max(max(decade(u, 1.0, 1.0, 4.0, 0.03), decade(u, 2.0, 2.0, 40.0, 0.06)),
                     max(max(decade(u, 3.0, 20.0, 400.0, 0.06), decade(u, 4.0, 200.0, 4000.0, 0.06)),
                         decade(u, 5.0, 2000.0, 20000.0, 0.06)));
    c.rgb = mix(c.rgb, vec3(0.0), tick);
  }
  fragColor = vec4(c.rgb * c.a, c.a);
  fragCoverage = vec4(c.a);
}
