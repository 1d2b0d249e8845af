#version 430
// The outline of the tool's section: for each triangle, the edges whose ends
// lie strictly on opposite sides of the cutting plane are crossed at the
// interpolated point; two crossings make one line. Nothing while the plane
// is off.
layout(triangles) in;
layout(line_strip, max_vertices = 2) out;

in vec3 vWorld[];

uniform bool cuttingPlaneEnabled;
uniform vec3 cuttingPlaneDirection;
uniform vec3 cuttingPlaneOrigin;
uniform mat4 cam_hi;
uniform mat4 cam_lo;

void main() {
  if (!cuttingPlaneEnabled) return;
  float d[3];
  for (int i = 0; i < 3; ++i) d[i] = dot(vWorld[i] - cuttingPlaneOrigin, cuttingPlaneDirection);
  vec3 crossing[2];
  int found = 0;
  for (int i = 0; i < 3; ++i) {
    int j = (i + 1) % 3;
    if (found < 2 && ((d[i] < 0.0 && d[j] > 0.0) || (d[i] > 0.0 && d[j] < 0.0))) {
      crossing[found++] = mix(vWorld[i], vWorld[j], d[i] / (d[i] - d[j]));
    }
  }
  if (found < 2) return;
  for (int k = 0; k < 2; ++k) {
    vec4 p = vec4(crossing[k], 1.0);
    gl_Position = cam_hi * p + cam_lo * p;
    EmitVertex();
  }
  EndPrimitive();
}
