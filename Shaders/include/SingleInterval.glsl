// Shapes whose sweep is convex: the ray meets it in one interval, the span
// of its hits on the sweep's surface pieces (shapeInterval).
bool shapeInterval(vec3 origin, vec3 dir, out float lo, out float hi);

void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode) {
  float lo, hi;
  if (shapeInterval(origin, dir, lo, hi)) applyInterval(axis, rayNode, lo, hi);
}
