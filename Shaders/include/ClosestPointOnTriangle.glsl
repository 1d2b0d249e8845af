// Closest point of triangle (a, b, c) to p; feature is 0 for the face,
// 1 + i for edge i (0: ab, 1: bc, 2: ca), 4 + i for vertex i.
vec3 closestPoint(vec3 p, vec3 a, vec3 b, vec3 c, out int feature) {
  vec3 ab = b - a, ac = c - a, ap = p - a;
  float d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0.0 && d2 <= 0.0) { feature = 4; return a; }
  vec3 bp = p - b;
  float d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0.0 && d4 <= d3) { feature = 5; return b; }
  float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) { feature = 1; return a + ab * (d1 / (d1 - d3)); }
  vec3 cp = p - c;
  float d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0.0 && d5 <= d6) { feature = 6; return c; }
  float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) { feature = 3; return a + ac * (d2 / (d2 - d6)); }
  float va = d3 * d6 - d5 * d4;
  if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0) {
    feature = 2;
    return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  }
  float denominator = 1.0 / (va + vb + vc);
  feature = 0;
  return a + ab * (vb * denominator) + ac * (vc * denominator);
}
