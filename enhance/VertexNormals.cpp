#include "enhance/VertexNormals.h"

#include <algorithm>

#include "enhance/AlgoDispatch.h"

namespace enhance {

gpu::SSBO vertexNormalsOf(const EnhancedMesh& mesh) {
  const uint64_t vertices = std::max(mesh.vertexCount, 1u);
  gpu::SSBO sums(vertices * 12, 0u);
  GLuint program = useAlgoProgram("AccumulateVertexNormals.comp");
  mesh.positions.bindBase(0);
  mesh.triangles.bindBase(1);
  sums.bindBase(2);
  setUint(program, "nTriangles", mesh.triangleCount);
  runKernel(program, mesh.triangleCount);

  gpu::SSBO normals(vertices * 16);
  program = useAlgoProgram("DecompressNormals.comp");
  sums.bindBase(0);
  normals.bindBase(1);
  setUint(program, "nVertices", mesh.vertexCount);
  runKernel(program, mesh.vertexCount);
  return normals;
}

}  // namespace enhance
