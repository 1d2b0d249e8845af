// Tools that do not turn keep a direction about their axis: their x is the
// toolpath's x made square to the axis (its y where the axis runs along x),
// and their third direction is axis x x.
shared vec3 sAcross, sDepth;  // grid space, unit

void setToolAcross() {
  vec3 x = mat3(ToolpathToSolid) * vec3(1.0, 0.0, 0.0);
  vec3 square = x - dot(x, sAxis) * sAxis;
  if (length(square) < 1e-3 * length(x)) {
    x = mat3(ToolpathToSolid) * vec3(0.0, 1.0, 0.0);
    square = x - dot(x, sAxis) * sAxis;
  }
  sAcross = normalize(square);
  sDepth = cross(sAxis, sAcross);
}
