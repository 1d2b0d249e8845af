// Unit normals in one word: three 10-bit fields (x in bits 0-9, y in 10-19,
// z in 20-29), component = field / 511.5 - 1; bit 31 is left to the user.
uint packNormal(vec3 n) {
  uvec3 f = uvec3(clamp(floor((n + 1.0) * 511.5 + 0.5), vec3(0.0), vec3(1023.0)));
  return f.x | (f.y << 10) | (f.z << 20);
}

vec3 unpackNormal(uint p) { return vec3(p & 1023u, (p >> 10) & 1023u, (p >> 20) & 1023u) / 511.5 - 1.0; }
