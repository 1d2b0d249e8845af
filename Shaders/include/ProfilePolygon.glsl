// The tool's profile as a polyline in grid units, shared by the group, and
// the tests on the polygon it closes (last point back to the first).
shared vec2 sProfile[kMaxProfilePoints];
shared int sProfileCount;

// Crossing count of a ray from p towards +x.
bool insideProfile(vec2 p) {
  bool inside = false;
  for (int i = 0, j = sProfileCount - 1; i < sProfileCount; j = i++) {
    vec2 a = sProfile[j], b = sProfile[i];
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x)) inside = !inside;
  }
  return inside;
}

float cross2(vec2 a, vec2 b) { return a.x * b.y - a.y * b.x; }

// Whether the segment p-q crosses or touches an edge of the polygon.
bool crossesProfile(vec2 p, vec2 q) {
  vec2 d = q - p;
  for (int i = 0, j = sProfileCount - 1; i < sProfileCount; j = i++) {
    vec2 a = sProfile[j], e = sProfile[i] - a;
    float det = cross2(d, e);
    if (abs(det) < 1e-12) continue;  // parallel: the neighbouring edges decide
    vec2 w = a - p;
    float s = cross2(w, e) / det, t = cross2(w, d) / det;
    if (s >= 0.0 && s <= 1.0 && t >= 0.0 && t <= 1.0) return true;
  }
  return false;
}
