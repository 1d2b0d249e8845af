#version 430
// One interface rectangle per instance: the unit quad's corner placed and
// sized in window fractions (y up). The element's size is also measured in
// units where its shorter side is 1, for round corners that stay round.
layout(location = 0) in vec2 corner;
layout(location = 1) in vec2 position;
layout(location = 2) in vec2 size;
layout(location = 3) in vec4 colorBottom;
layout(location = 4) in vec4 colorTop;
layout(location = 5) in float roundness;
layout(location = 6) in float mode;
layout(location = 7) in vec4 texRect;

uniform float aspect;  // window width / height

out vec2 vCorner;             // 0 ... 1 across the element
flat out vec2 vUnits;         // the element's size, shorter side 1
flat out float vRadius;       // corner radius in those units
flat out float vRulerScale;
flat out float vMode;
flat out vec4 vColorBottom;
flat out vec4 vColorTop;
out vec2 vTexCoord;

void main() {
  float w = size.x * aspect;
  vec2 units = vec2(1.0);
  if (w > 0.0 && size.y > 0.0) units = w < size.y ? vec2(1.0, size.y / w) : vec2(w / size.y, 1.0);
  bool ruler = abs(mode - 1.0) < 0.5;
  vUnits = units;
  vRadius = ruler ? 0.5 : roundness * 0.5;
  vRulerScale = ruler ? roundness : 0.0;
  vMode = mode;
  vColorBottom = colorBottom;
  vColorTop = colorTop;
  vCorner = corner;
  vTexCoord = mix(texRect.xy, texRect.zw, vec2(corner.x, 1.0 - corner.y));
  gl_Position = vec4((corner * size + position) * 2.0 - 1.0, 0.0, 1.0);
}
