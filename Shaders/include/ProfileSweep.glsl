// The sweep of a tool given by its profile block: the profile in grid
// units (radii less the rapid shrink) and the surface pieces each profile
// segment sweeps. A rising segment's pieces: its truncated cone at start
// and at end and the parallelograms its two silhouette lines sweep along the
// move; a level segment is a flat ring. Each level adds its disc at start
// and at end, the parallelogram across the move and the oblique cylinder
// its circle sweeps.
#include "ProfileBlock.glsl"

uniform float ToolOffset;        // lowest profile height
uniform float ToolLength;        // highest profile height
uniform float ToolWidestRadius;

void toolDimensions(out float radius, out float bottom, out float top) {
  radius = ToolWidestRadius;
  bottom = ToolOffset;
  top = ToolLength;
}

#include "ProfilePolygon.glsl"

// Arcs whose centre height is at least arcThreshold become chords.
void prepareProfile(float arcThreshold) {
  vec2 points[kMaxProfilePoints];
  int count = profilePolyline(arcThreshold, points);
  float shrink = sFullRadius > 0.0 ? sRadius / sFullRadius : 1.0;
  for (int i = 0; i < count; ++i) sProfile[i] = vec2(points[i].x * ToolScale * shrink, points[i].y * ToolScale);
  sProfileCount = count;
}

// The mantle between two circles in planes across the axis: centre A with
// radius ra and centre B (higher along the axis) with rb. With A and B on
// one axis line it is a truncated cone; between a circle at the start and
// one at the end of the move it is the oblique cone that bounds their hull.
void hitConeBetween(vec3 origin, vec3 dir, vec3 A, float ra, vec3 B, float rb, inout float lo, inout float hi) {
  float hA = dot(A, sAxis), hB = dot(B, sAxis);
  if (!(hB - hA > 1e-7)) return;
  // Along the ray the level lambda(t) = l0 + l1 t picks the circle
  // c(lambda), rho(lambda); the point lies on the mantle where its distance
  // from that circle's centre equals the radius.
  float l0 = (dot(origin, sAxis) - hA) / (hB - hA), l1 = dot(dir, sAxis) / (hB - hA);
  vec3 x0 = origin - (A + l0 * (B - A)), x1 = dir - l1 * (B - A);
  float r0 = ra + l0 * (rb - ra), r1 = l1 * (rb - ra);
  float roots[2];
  int count = quadraticRoots(dot(x1, x1) - r1 * r1, dot(x0, x1) - r0 * r1, dot(x0, x0) - r0 * r0, roots);
  for (int i = 0; i < count; ++i) {
    float t = roots[i];
    float level = l0 + l1 * t;
    if (level >= 0.0 && level <= 1.0 && r0 + r1 * t >= 0.0) widen(t, lo, hi);
  }
}

void hitCircleLevel(vec3 origin, vec3 dir, vec2 circle, vec3 move, inout float lo, inout float hi) {
  vec3 centre = sStart + sAxis * circle.y;
  float r = circle.x;
  hitDisc(origin, dir, centre, sAxis, r, lo, hi);
  hitDisc(origin, dir, centre + move, sAxis, r, lo, hi);
  hitSweptCircle(origin, dir, centre, sAxis, r, move, lo, hi);
  hitParallelogram(origin, dir, centre - sV * r, sV * (2.0 * r), move, lo, hi);
}

// The pieces of one segment from profile point a to b (grid units).
void segmentPieces(vec3 origin, vec3 dir, vec2 a, vec2 b, vec3 move, bool withLevels, inout float lo,
                   inout float hi) {
  if (!(b.y > a.y)) {
    if (b.y < a.y) {
      vec2 t = a;
      a = b;
      b = t;
    } else {
      // A level segment is a flat ring: its outer disc.
      hitCircleLevel(origin, dir, vec2(max(a.x, b.x), a.y), move, lo, hi);
      return;
    }
  }
  vec3 lowStart = sStart + sAxis * a.y, highStart = sStart + sAxis * b.y;
  hitConeBetween(origin, dir, lowStart, a.x, highStart, b.x, lo, hi);
  hitConeBetween(origin, dir, lowStart + move, a.x, highStart + move, b.x, lo, hi);
  // The strips the cone's silhouette lines sweep: where the mantle's normal
  // (radial rise less slope times the axis) is across the move. On a
  // cylinder they lie at +v and -v; a cone turns them towards or away from
  // the move.
  vec3 across = move - dot(move, sAxis) * sAxis;
  float acrossLength = length(across);
  if (acrossLength > 1e-7) {
    vec3 p = across / acrossLength, q = cross(sAxis, p);
    float cosine = clamp((b.x - a.x) / (b.y - a.y) * dot(sAxis, move) / acrossLength, -1.0, 1.0);
    float sine = sqrt(1.0 - cosine * cosine);
    for (int side = -1; side <= 1; side += 2) {
      vec3 radial = cosine * p + float(side) * sine * q;
      vec3 from = lowStart + radial * a.x, to = highStart + radial * b.x;
      hitParallelogram(origin, dir, from, to - from, move, lo, hi);
    }
  }
  hitSweptCircle(origin, dir, highStart, sAxis, b.x, move, lo, hi);
  if (withLevels) {
    hitCircleLevel(origin, dir, a, move, lo, hi);
    hitCircleLevel(origin, dir, b, move, lo, hi);
  }
}
