// The surface a milling tool sweeps along one move record, and the closest
// point of it to a vertex.
//
// The tool is taken in its meridian plane (distance from its axis, height
// above its tip) as a rounded rectangle: the core [0, R - r] x [r, L - r]
// grown by the corner radius r. r = 0 is a flat end mill, r = R a ball end
// mill, anything between a bull nose; only the top's rounding differs from
// the real tool, and the top never cuts.
// A mill of a general profile (boxMin.w > 0, where the includer defines
// SWEEP_PROFILES and profilePoint) is its polygon, in one of three forms:
// turned about the axis, (radius, height) points closed along the axis,
// whose segments on the axis are no face; turned with flat sides, the
// radius then reaching the flats; or extruded, (across, height) points
// extruded along axis x across. The tools that do not turn keep their x
// direction (toolAcrossOf).
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
  vec4 form;       // a general profile's: x 0 turned, 1 extruded, n >= 3 n flat sides; y, z: the extrusion's extent
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
  float t;         // the tool's position along the move
};

// A tool that does not turn: its x direction, the toolpath's x made square
// to the axis (its y where the axis runs along x), as the cut takes it.
vec3 toolAcrossOf(vec3 axis) {
  vec3 square = vec3(1.0, 0.0, 0.0) - axis.x * axis;
  if (length(square) < 1e-3) square = vec3(0.0, 1.0, 0.0) - axis.y * axis;
  return normalize(square);
}

#ifdef SWEEP_PROFILES
// The closest point of a general profile's region to q: the signed
// distance (negative inside), the point and the outward normal. A turned
// profile's segments on the axis are no face.
float profileDistance(ToolSweep s, vec2 q, bool turned, out vec2 closest, out vec2 normal) {
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
    if (!turned || max(a.x, b.x) > 1e-9) {
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

// The normal from a target to p, outward of the tool, where they are apart;
// else the face's.
vec3 normalTowards(vec3 p, vec3 target, float distance, vec3 face) {
  return abs(distance) > 1e-6 ? (p - target) / distance : face;
}

// An extruded profile: the polygon in the plane of across and the axis,
// from form.y to form.z along axis x across. Beyond an end face's rim the
// closest point is on the rim; elsewhere on the nearer of the side faces
// and the end faces.
ToolPoint extrudedPointOf(ToolSweep s, vec3 tip, vec3 axis, vec3 p) {
  vec3 across = toolAcrossOf(axis), depth = cross(axis, across);
  vec3 rel = p - tip;
  vec2 q = vec2(dot(rel, across), dot(rel, axis));
  float w = dot(rel, depth), near = s.form.y, far = s.form.z;
  vec2 closest, normal;
  float side = profileDistance(s, q, false, closest, normal);
  float end = max(near - w, w - far);
  vec3 sideTarget = tip + across * closest.x + axis * closest.y + depth * clamp(w, near, far);
  vec3 sideNormal = normalize(across * normal.x + axis * normal.y);
  ToolPoint r;
  r.rho = length(rel - axis * q.y);
  r.top = false;
  if (side > 0.0 && end > 0.0) {
    r.target = sideTarget;
    r.distance = length(p - sideTarget);
    r.normal = normalTowards(p, sideTarget, r.distance, sideNormal);
  } else if (side >= end) {
    r.target = sideTarget;
    r.distance = side;
    r.normal = sideNormal;
    r.top = normal.y > 0.5 && closest.y > s.start.w - 1e-6;
  } else {
    float towards = w > 0.5 * (near + far) ? 1.0 : -1.0;
    r.target = p - depth * (towards * end);
    r.distance = end;
    r.normal = depth * towards;
  }
  return r;
}

// A turned profile with form.x flat sides: at each height a regular polygon
// whose flats stand at the profile's radius, a corner along across. In the
// flat nearest p, at v along it from its middle (v >= 0 by symmetry), a
// profile point b is the flat's points (b.x, -b.x tan(pi / n) ... b.x tan(pi / n),
// b.y), the nearest of which lies max(0, v - b.x tan(pi / n)) from p's
// level across: per segment a convex function of the way along it,
// least at one of a few places.
ToolPoint flatSidedPointOf(ToolSweep s, vec3 tip, vec3 axis, vec3 p) {
  vec3 across = toolAcrossOf(axis), depth = cross(axis, across);
  vec3 rel = p - tip;
  float h = dot(rel, axis);
  vec2 plane = vec2(dot(rel, across), dot(rel, depth));
  float sector = 6.2831853 / s.form.x, halfWidth = tan(0.5 * sector);
  float phi = dot(plane, plane) > 1e-24 ? atan(plane.y, plane.x) : 0.0;
  float theta = (floor(phi / sector) + 0.5) * sector;
  vec3 flatDir = across * cos(theta) + depth * sin(theta), alongFlat = depth * cos(theta) - across * sin(theta);
  vec2 q = vec2(dot(rel, flatDir), h);
  float v = dot(rel, alongFlat), mirror = v < 0.0 ? -1.0 : 1.0;
  v = abs(v);

  uint first = uint(s.boxMin.w) - 1u, count = uint(s.boxMax.w);
  bool inside = false;
  float best = 3.0e38;
  vec2 bestPoint = q, bestFace = vec2(1.0, 0.0);
  vec2 a = profilePoint(first + count - 1u);
  for (uint i = 0u; i < count; ++i) {
    vec2 b = profilePoint(first + i);
    if ((a.y > q.y) != (b.y > q.y) && q.x < a.x + (q.y - a.y) / (b.y - a.y) * (b.x - a.x)) inside = !inside;
    vec2 e = b - a;
    float len2 = dot(e, e);
    if (max(a.x, b.x) > 1e-9 && len2 > 0.0) {
      float plain = dot(q - a, e) / len2;
      float withRim = (dot(q - a, e) + halfWidth * e.x * (v - halfWidth * a.x)) / (len2 + halfWidth * halfWidth * e.x * e.x);
      float rim = abs(e.x) > 1e-12 ? (v / halfWidth - a.x) / e.x : 0.0;
      float places[5] = float[5](0.0, 1.0, plain, withRim, rim);
      for (int k = 0; k < 5; ++k) {
        vec2 c = a + clamp(places[k], 0.0, 1.0) * e;
        float off = max(0.0, v - halfWidth * c.x);
        float d2 = dot(q - c, q - c) + off * off;
        if (d2 < best) { best = d2; bestPoint = c; bestFace = vec2(e.y, -e.x) / sqrt(len2); }
      }
    }
    a = b;
  }
  float distance = sqrt(best);
  ToolPoint r;
  r.distance = inside ? -distance : distance;
  float onFlat = min(v, halfWidth * bestPoint.x);
  r.target = tip + axis * bestPoint.y + flatDir * bestPoint.x + alongFlat * (mirror * onFlat);
  r.normal = normalTowards(p, r.target, r.distance, normalize(flatDir * bestFace.x + axis * bestFace.y));
  r.top = dot(r.normal, axis) > 0.5 && bestPoint.y > s.start.w - 1e-6;
  r.rho = length(plane);
  return r;
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
    if (s.form.x == 1.0) return extrudedPointOf(s, tip, axis, p);
    if (s.form.x >= 3.0) return flatSidedPointOf(s, tip, axis, p);
    vec2 closest, normal;
    ToolPoint r;
    r.distance = profileDistance(s, vec2(rho, h), true, closest, normal);
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

ToolPoint sweepPointAt(ToolSweep s, vec3 p, float t) {
  ToolPoint r = toolPointOf(s, sweepTipAt(s, t), sweepAxisAt(s, t), p);
  r.t = t;
  return r;
}

#ifdef SWEEP_PROFILES
// Whether a face of the tool at a position along the move can bound the
// swept solid: one that leads or trails the move is covered by the tool
// just after or before, but at the move's end or start.
bool faceCanBound(ToolSweep s, ToolPoint at) {
  const float kStep = 1e-3, kSquare = 0.05;
  vec3 way = sweepTipAt(s, min(at.t + kStep, 1.0)) - sweepTipAt(s, max(at.t - kStep, 0.0));
  float len = length(way);
  if (len < 1e-9) return true;
  float facing = dot(at.normal, way) / len;
  if (abs(facing) <= kSquare) return true;
  return facing > 0.0 ? at.t >= 1.0 : at.t <= 0.0;
}
#endif

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

#ifdef SWEEP_PROFILES
// How fast the tool's points move along the way, at most: the tip's
// chords, a tenth more for an arc's bulge, and the axis's turn over the
// tool's reach.
float sweepSpeed(ToolSweep s, int samples) {
  float fastest = 0.0;
  vec3 previous = sweepTipAt(s, 0.0);
  for (int i = 1; i <= samples; ++i) {
    vec3 tip = sweepTipAt(s, float(i) / float(samples));
    fastest = max(fastest, length(tip - previous));
    previous = tip;
  }
  float turn = acos(clamp(dot(sweepAxisAt(s, 0.0), sweepAxisAt(s, 1.0)), -1.0, 1.0));
  return 1.1 * fastest * float(samples) + turn * (abs(s.start.w) + s.startAxis.w);
}

// Whether the tool holds p at some position. A point deep in the tool
// stays in it for a stretch of the way, but one near its surface only for
// a sliver that samples miss: the distance changes no faster than the
// tool's points move, so a stretch between two positions can hold the
// point only where the two distances leave room for a dip below zero.
// Such stretches are halved until they are ruled out or one holds it.
bool insideSweep(ToolSweep s, vec3 p) {
  const int kSamples = 48, kStack = 16, kSplits = 64;
  float speed = sweepSpeed(s, kSamples);
  float previous = sweepPointAt(s, p, 0.0).distance;
  if (previous < 0.0) return true;
  for (int i = 1; i <= kSamples; ++i) {
    float next = sweepPointAt(s, p, float(i) / float(kSamples)).distance;
    if (next < 0.0) return true;
    vec4 stack[kStack];  // from, to and their distances
    int size = 0;
    stack[size++] = vec4(float(i - 1) / float(kSamples), float(i) / float(kSamples), previous, next);
    for (int k = 0; k < kSplits && size > 0; ++k) {
      vec4 stretch = stack[--size];
      if (0.5 * (stretch.z + stretch.w - speed * (stretch.y - stretch.x)) >= 0.0) continue;
      float middle = 0.5 * (stretch.x + stretch.y);
      float there = sweepPointAt(s, p, middle).distance;
      if (there < 0.0) return true;
      if (size + 2 > kStack) continue;
      stack[size++] = vec4(stretch.x, middle, stretch.z, there);
      stack[size++] = vec4(middle, stretch.y, there, stretch.w);
    }
    previous = next;
  }
  return false;
}

// How far along `way` (unit) p first leaves the sweep, within reach; -1
// when it does not. Steps find the first point outside (the way may enter
// the sweep again beyond), bisection the surface before it.
float exitAlong(ToolSweep s, vec3 p, vec3 way, float reach) {
  const int kSteps = 8;
  float inside = 0.0, outside = -1.0;
  for (int i = 1; i <= kSteps && outside < 0.0; ++i) {
    float at = reach * float(i) / float(kSteps);
    if (insideSweep(s, p + way * at)) inside = at;
    else outside = at;
  }
  if (outside < 0.0) return -1.0;
  for (int i = 0; i < 10; ++i) {
    float middle = 0.5 * (inside + outside);
    if (insideSweep(s, p + way * middle)) inside = middle;
    else outside = middle;
  }
  return outside;
}

// Inside the sweep of a general profile, the nearest face at the position
// the point lies deepest in may lead or trail the move, inside the swept
// solid rather than on its surface: any face of a tool that does not turn,
// and a turned tool's bottom where its axis leans along the move. (The
// analytic shapes' search settles such points on the bottom, whose
// stretch under the point it finds.) A face that can bound the sweep, and
// whose outside, a hair off it, the search finds outside the sweep, is on
// the surface. Otherwise the surface is sought
// along a fan of ways and the nearest exit taken: against `direction` (the
// vertex's normal, out of the material), out of that face, out of it
// square to the move (where an edge of the tool sweeps the surface), and
// the 26 ways of the tool's frame to a cube's faces, edges and corners
// (where two swept pieces meet in a groove). The exit is on the surface,
// and within a few degrees' slant of the nearest point.
ToolPoint surfaceFromInside(ToolSweep s, vec3 p, vec3 direction, float reach, ToolPoint deepest) {
  if (s.boxMin.w == 0.0 || deepest.distance >= 0.0) return deepest;
  float hair = 1e-3 * reach;
  if (faceCanBound(s, deepest) && closestOnSweep(s, deepest.target + deepest.normal * hair).distance > 0.0)
    return deepest;
  vec3 move = sweepTipAt(s, min(deepest.t + 1e-3, 1.0)) - sweepTipAt(s, max(deepest.t - 1e-3, 0.0));
  vec3 square = deepest.normal;
  if (length(move) > 1e-9) square -= dot(square, move) * move / dot(move, move);
  vec3 axis = sweepAxisAt(s, deepest.t);
  vec3 across = toolAcrossOf(axis);
  mat3 frame = mat3(across, axis, cross(axis, across));
  float nearest = reach;
  vec3 exitWay = vec3(0.0);
  for (int k = 0; k < 29; ++k) {
    vec3 way;
    if (k == 0) way = length(direction) > 0.5 ? -normalize(direction) : vec3(0.0);
    else if (k == 1) way = deepest.normal;
    else if (k == 2) way = length(square) > 1e-3 ? normalize(square) : vec3(0.0);
    else {
      int c = k - 3 < 13 ? k - 3 : k - 2;  // the cube's 27 points but its centre
      way = normalize(frame * vec3(float(c % 3) - 1.0, float((c / 3) % 3) - 1.0, float(c / 9) - 1.0));
    }
    if (way == vec3(0.0)) continue;
    float along = exitAlong(s, p, way, nearest);
    if (along >= 0.0 && along <= nearest) { nearest = along; exitWay = way; }
  }
  if (exitWay == vec3(0.0)) return deepest;
  // Just outside, the closest point is exact: the surface there, with its
  // normal, when the search lands beside the exit.
  vec3 exit = p + exitWay * nearest;
  ToolPoint r = closestOnSweep(s, exit + exitWay * hair);
  if (length(r.target - exit) > 4.0 * hair) {
    r.target = exit;
    r.normal = exitWay;
    r.top = false;
  }
  r.distance = -length(r.target - p);
  return r;
}
#endif
