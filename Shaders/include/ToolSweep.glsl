// The surface a milling tool sweeps along one move record, and the closest
// point of it to a vertex.
//
// The tool is taken in its meridian plane (distance from its axis, height
// above its tip) as a rounded rectangle: the core [0, R - r] x [r, L - r]
// grown by the corner radius r. r = 0 is a flat end mill, r = R a ball end
// mill, anything between a bull nose; only the top's rounding differs from
// the real tool, and the top never cuts.
// A mill of a general profile (boxMin.w > 0, where the includer defines
// SWEEP_PROFILES and profilePoint) is its polygon of (radius, height)
// points, closed along the axis, whose segments on the axis are no face.
//
// Along the move the tip runs straight from start to end, or, for the chord
// of an arc, on the arc itself; the axis turns linearly. The distance to the
// swept solid is the least distance to the tool over the positions along
// the move: a few samples, then a golden-section search about the best.

struct ToolSweep {
  vec4 start;      // tip at the start; w: the tool's length L
  vec4 end;        // tip at the end; w: 1 along a true arc, else 0
  vec4 startAxis;  // from the tip into the holder; w: the radius R
  vec4 endAxis;    // w: the corner radius r
  vec4 arcCentre;  // the arc's centre at the start's height; w: the arc's signed angle
  vec4 arcNormal;  // the arc's plane normal (the angle turns about it)
  vec4 boxMin;     // the sweep's box, grown by the largest error; w: a general profile's first point + 1, or 0
  vec4 boxMax;     // w: its point count
};

vec3 sweepTipAt(ToolSweep s, float t) {
  if (s.end.w == 0.0) return mix(s.start.xyz, s.end.xyz, t);
  vec3 n = s.arcNormal.xyz;
  vec3 u = s.start.xyz - s.arcCentre.xyz;
  u -= n * dot(u, n);
  float angle = s.arcCentre.w * t;
  vec3 lead = n * (dot(s.end.xyz - s.start.xyz, n) * t);
  return s.arcCentre.xyz + u * cos(angle) + cross(n, u) * sin(angle) + lead;
}

vec3 sweepAxisAt(ToolSweep s, float t) {
  vec3 axis = mix(s.startAxis.xyz, s.endAxis.xyz, t);
  float len = length(axis);
  return len > 0.0 ? axis / len : vec3(0.0, 0.0, 1.0);
}

struct ToolPoint {
  float distance;  // signed, negative inside the tool
  vec3 target;     // closest point of the tool's surface
  vec3 normal;     // outward of the tool there
  bool top;        // on the top, which does not cut
  float rho;       // the point's distance from the tool's axis
};

#ifdef SWEEP_PROFILES
// The closest point of a general profile's region to q = (rho, h): the
// signed distance (negative inside), the point and the outward normal.
float profileDistance(ToolSweep s, vec2 q, out vec2 closest, out vec2 normal) {
  uint first = uint(s.boxMin.w) - 1u, count = uint(s.boxMax.w);
  bool inside = false;
  float best = 3.0e38;
  bool atCorner = false;
  closest = q;
  normal = vec2(1.0, 0.0);
  vec2 a = profilePoint(first + count - 1u);
  for (uint i = 0u; i < count; ++i) {
    vec2 b = profilePoint(first + i);
    if ((a.y > q.y) != (b.y > q.y) && q.x < a.x + (q.y - a.y) / (b.y - a.y) * (b.x - a.x)) inside = !inside;
    if (max(a.x, b.x) > 1e-9) {
      vec2 ab = b - a;
      float len2 = dot(ab, ab);
      float t = len2 > 0.0 ? clamp(dot(q - a, ab) / len2, 0.0, 1.0) : 0.0;
      vec2 c = a + t * ab;
      float d = length(q - c);
      if (d < best) {
        best = d;
        closest = c;
        atCorner = t <= 0.0 || t >= 1.0;
        if (len2 > 0.0) normal = vec2(ab.y, -ab.x) / sqrt(len2);  // counter-clockwise: outward on the right
      }
    }
    a = b;
  }
  // From a corner the normal points along the way to the point.
  if (atCorner && best > 1e-6) normal = (inside ? closest - q : q - closest) / best;
  return inside ? -best : best;
}
#endif

// The closest point of the tool standing at tip with axis to p.
ToolPoint toolPointOf(ToolSweep s, vec3 tip, vec3 axis, vec3 p) {
  float radius = s.startAxis.w, corner = min(s.endAxis.w, radius), len = max(s.start.w, 2.0 * corner);
  vec3 rel = p - tip;
  float h = dot(rel, axis);
  vec3 across = rel - axis * h;
  float rho = length(across);
  vec3 radial;
  if (rho > 1e-12) {
    radial = across / rho;
  } else {
    vec3 helper = abs(axis.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0);
    radial = normalize(cross(helper, axis));
  }
#ifdef SWEEP_PROFILES
  if (s.boxMin.w > 0.0) {
    vec2 closest, normal;
    ToolPoint r;
    r.distance = profileDistance(s, vec2(rho, h), closest, normal);
    r.target = tip + axis * closest.y + radial * closest.x;
    r.normal = normalize(axis * normal.y + radial * normal.x);
    r.top = normal.y > 0.5 && closest.y > s.start.w - 1e-6;
    r.rho = rho;
    return r;
  }
#endif
  // The core rectangle, mirrored about the axis so that rho = 0 is no face.
  vec2 lo = vec2(-(radius - corner), corner), hi = vec2(radius - corner, len - corner);
  vec2 q = vec2(rho, h);
  vec2 c = clamp(q, lo, hi);
  vec2 away = q - c;
  float outside = length(away);
  vec2 n2;
  float d;
  if (outside > 0.0) {
    n2 = away / outside;
    d = outside - corner;
  } else {
    // Inside the core: its nearest face. A point inside the sweep lies as
    // deep under the bottom for a stretch of tool positions, and at the
    // stretch's ends the side is as near: but there the side lies inside
    // the swept solid, the bottom on its boundary. Near ties go to the
    // bottom and top.
    const float kTie = 5e-5;
    float side = hi.x - q.x, bottom = q.y - lo.y, top = hi.y - q.y;
    if (side + kTie < bottom && side + kTie < top) { n2 = vec2(1.0, 0.0); c = vec2(hi.x, q.y); d = -side - corner; }
    else if (bottom <= top) { n2 = vec2(0.0, -1.0); c = vec2(q.x, lo.y); d = -bottom - corner; }
    else { n2 = vec2(0.0, 1.0); c = vec2(q.x, hi.y); d = -top - corner; }
  }
  vec2 t2 = c + n2 * corner;
  ToolPoint r;
  r.distance = d;
  r.target = tip + axis * t2.y + radial * t2.x;
  r.normal = normalize(axis * n2.y + radial * n2.x);
  r.top = n2.y > 0.5 && t2.y > len - corner - 1e-6;
  r.rho = rho;
  return r;
}

ToolPoint sweepPointAt(ToolSweep s, vec3 p, float t) { return toolPointOf(s, sweepTipAt(s, t), sweepAxisAt(s, t), p); }

// What the search along the move minimises: the distance, and by a hair
// the distance from the axis. The distance alone is flat wherever the
// point lies under the tool's bottom (or top) for a stretch of positions;
// at that stretch's ends the tool's side comes as near, but only the
// bottom there is the sweep's surface. The hair picks the stretch's middle.
float searchValue(ToolSweep s, vec3 p, float t) {
  ToolPoint at = sweepPointAt(s, p, t);
  return at.distance + 1e-3 * at.rho;
}

// The closest point of the swept surface to p. The distance along the
// move is convex for the analytic shapes, so a few samples bracket its
// least value; a general profile's may have a minimum per convex part,
// and is sampled finely enough that the narrowest (a part's rim just
// reaching the point) falls between samples.
ToolPoint closestOnSweep(ToolSweep s, vec3 p) {
  int samples = s.boxMin.w > 0.0 ? 48 : 8;
  float bestT = 0.0, bestD = searchValue(s, p, 0.0);
  for (int i = 1; i <= samples; ++i) {
    float t = float(i) / float(samples);
    float d = searchValue(s, p, t);
    if (d < bestD) { bestD = d; bestT = t; }
  }
  float a = max(bestT - 1.0 / float(samples), 0.0), b = min(bestT + 1.0 / float(samples), 1.0);
  const float kGolden = 0.6180339887;
  float x1 = b - kGolden * (b - a), x2 = a + kGolden * (b - a);
  float f1 = searchValue(s, p, x1), f2 = searchValue(s, p, x2);
  for (int i = 0; i < 24; ++i) {
    if (f1 < f2) { b = x2; x2 = x1; f2 = f1; x1 = b - kGolden * (b - a); f1 = searchValue(s, p, x1); }
    else { a = x1; x1 = x2; f1 = f2; x2 = a + kGolden * (b - a); f2 = searchValue(s, p, x2); }
  }
  float t = 0.5 * (a + b);
  return searchValue(s, p, bestT) < searchValue(s, p, t) ? sweepPointAt(s, p, bestT) : sweepPointAt(s, p, t);
}
