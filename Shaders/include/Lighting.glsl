// The lighting every stock and machine program shares, and its cutting plane: a
// fragment on the side the plane's normal points to is cut away (one on the
// plane stays).
uniform vec3 lightDir;      // towards the light, world space
uniform vec3 camPos;        // the eye, or the direction to the viewer when projectionView
uniform bool projectionView;
uniform bool cuttingPlaneEnabled;
uniform vec3 cuttingPlaneDirection;
uniform vec3 cuttingPlaneOrigin;
uniform vec4 sectionColor;  // a closed surface's inside where the plane opens it
uniform vec4 uniformColor;
uniform uint useUniformColor;

bool cutAway(vec3 p) { return cuttingPlaneEnabled && dot(p - cuttingPlaneOrigin, cuttingPlaneDirection) > 0.0; }

// Of a closed surface whose faces wind outwards, only inner faces are seen
// from behind, and only through the opening the plane cut.
bool insideThroughCut() { return cuttingPlaneEnabled && !gl_FrontFacing; }

// c: surface colour, n: normal, p: world position, specularWeight: k_s,
// light: the light's colour, dim: how much the light, the highlight and the
// uncoloured share of the diffuse light are dimmed.
vec4 litDimmed(vec4 c, vec3 n, vec3 p, float specularWeight, vec4 light, float dim) {
  if (useUniformColor != 0u) c = uniformColor;
  n = normalize(n);
  vec3 l = normalize(lightDir);
  float diffuse = max(dot(n, l), 0.0);
  vec4 base = light * (1.0 - dim / 2.0);
  float strength = specularWeight * 0.5 * (1.0 - dim);
  float split = 0.3 * (1.0 - dim);
  vec3 v = projectionView ? normalize(camPos) : normalize(camPos - p);
  float highlight = pow(max(dot(v, reflect(-l, n)), 0.0), 4.0);
  vec4 colour = c * base * (diffuse * (1.0 - split) + 0.30 + highlight * strength * 0.7) +
                base * (highlight * strength * 0.3 + diffuse * split);
  return vec4(colour.rgb, 1.0);
}

vec4 lit(vec4 c, vec3 n, vec3 p, float specularWeight, vec4 light) { return litDimmed(c, n, p, specularWeight, light, 0.4); }
