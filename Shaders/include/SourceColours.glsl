// The colour index of a projection source: the initial stock's, or the
// index its sweep's cut left (four per word, sweep i in byte i % 4 of word
// i / 4); and the 256 colours those indices name.
layout(std430, binding = 6) readonly buffer SweepColours { uint sweepColours[]; };
layout(std140, binding = 8) uniform ColourTable { vec4 colourTable[256]; };

uniform uint initialColorIndex;

uint colourIndexOf(int source) {
  if (source < 0) return initialColorIndex;
  uint s = uint(source);
  return (sweepColours[s / 4u] >> (8u * (s % 4u))) & 0xFFu;
}

// The triangle's colour word: r, g, b bytes and the specular weight, 0 for
// colour index 0 and 0.5 for every other.
uint colourRecord(uint index) {
  uvec3 rgb = uvec3(clamp(floor(colourTable[index].rgb * 255.0 + 0.5), vec3(0.0), vec3(255.0)));
  uint specular = index == 0u ? 0u : 128u;
  return rgb.r | (rgb.g << 8) | (rgb.b << 16) | (specular << 24);
}
