#include "stock/StockComparison.h"

namespace stock {

bool StockComparison::update(StockModel& model, const Design& design, const std::atomic<bool>* stop,
                             const DesignField::Progress& progress) {
  if (!design.mesh || !model.built()) return false;
  const GridFrame& frame = model.grid().frame();
  const bool newField = design.revision != designRevision_ || design.placement != placement_ || !frame.sameAs(frame_);
  if (newField) {
    build_ = field_.build(frame, design.mesh, design.placement, progress);
    designRevision_ = design.revision;
    placement_ = design.placement;
    frame_ = frame;
    contents_ = ~0ull;  // the distances go with the field
  }
  if (!field_.ready()) return false;
  if (model.buildCount() != buildCount_ || model.contentsVersion() != contents_ || !meshReady_) {
    SurfaceExtraction& surface = model.surface(stop);
    const SurfaceMesh welded = surface.weldedMesh(frame);
    if (!mesh_) mesh_.emplace();
    mesh_->upload(welded, 0xB0B0B0u, 0.3f);
    field_.measure(mesh_->vertexBuffer(), mesh_->vertexCount(), SolidMesh::kFloatsPerVertex,
                   SolidMesh::kPositionFloat, SolidMesh::kDistanceFloat);
    buildCount_ = model.buildCount();
    contents_ = model.contentsVersion();
    meshReady_ = mesh_->indexCount() > 0;
  }
  return meshReady_;
}

void StockComparison::release() {
  field_.release();
  mesh_.reset();
  meshReady_ = false;
  designRevision_ = buildCount_ = contents_ = ~0ull;
  frame_ = GridFrame();
}

}  // namespace stock
