#include "view/MachineStage.h"

#include "view/EntityId.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <shared_mutex>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/matrix.hpp>

#include "camera/DisplayFrame.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "view/ShadedModels.h"

namespace view {
namespace {

bool partShown(const machine::ViewMachine& vm, const machine::Machine& m, int32_t node) {
  if (node < 0) return vm.showBase.load();
  const machine::PartGroup part = m.nodes()[node].axis->part;
  if (part == machine::PartGroup::Table) return vm.showTable.load();
  if (part == machine::PartGroup::Head || part == machine::PartGroup::Revolver) return vm.showHead.load();
  return vm.showBase.load();
}

}  // namespace

MachineStage::~MachineStage() = default;

void MachineStage::jog(int32_t node, double value) {
  const ToolPose pose = playback_.toolPose();
  jogPosition_ = {pose.move, pose.fraction};
  std::erase_if(jogs_, [&](const auto& jog) { return jog.first == node; });
  jogs_.emplace_back(node, value);
}

// The tool in use at a move: its gauge length (the mount point's height
// above the tip) and the turret slot it is mounted in, if any.
MachineStage::ToolInUse MachineStage::toolAt(const toolpath::Toolpath& path, int64_t move) const {
  ToolInUse in;
  uint64_t hash = 0;
  for (const toolpath::NamedMove& change : path.toolChanges())
    if (static_cast<int64_t>(change.move) <= move) hash = change.nameHash;
  if (!hash) return in;
  std::shared_lock tools(job_.toolTableLock);
  const tools::ToolTable& table = job_.toolTable();
  const std::optional<size_t> index = table.indexOf(hash);
  if (!index) return in;
  const tools::Tool& tool = table.tool(*index);
  in.length = std::fabs(tool.mountPoint.y);
  if (const std::optional<uint32_t> slot = table.slotOf(*index)) in.slot = static_cast<int32_t>(*slot);
  return in;
}

// The axes follow the played tool; a position out of reach leaves them
// where they were.
void MachineStage::followPlayback(const machine::Machine& m, std::vector<double>& values) const {
  const std::shared_ptr<const toolpath::Toolpath> path = job_.toolpath.current();
  const ToolPose pose = playback_.toolPose();
  if (!path || pose.move < 0) return;
  const toolpath::ToolpathMove move = path->move(pose.move);
  const glm::dvec3 rotary(move.axes[0], move.axes[1], move.axes[2]);
  const ToolInUse tool = toolAt(*path, pose.move);
  const auto solved = m.solve(pose.tip, rotary, tool.length, job_.machine.origin(), values);
  if (!solved) return;
  values = *solved;
  // The turret turns the tool in use to the work.
  if (tool.slot)
    if (const std::optional<double> turn = m.turnForSlot(*tool.slot)) values[m.revolverNode()] = *turn;
}

void MachineStage::update(FrameState& frame) {
  machine::ViewMachine& vm = job_.machine;
  std::unique_lock lock(vm.lock(), std::try_to_lock);
  if (!lock.owns_lock()) return;  // a load holds the machine: last frame's pose stays
  const machine::Machine* m = vm.machine();
  std::vector<DrawnModel> drawn;
  camera::SceneBox box;
  if (m) {
    std::vector<double>& values = vm.axisValues();
    followPlayback(*m, values);
    // Jogged axes stay where the user put them while playback stands.
    const ToolPose pose = playback_.toolPose();
    if (std::pair(pose.move, pose.fraction) != jogPosition_) jogs_.clear();
    for (const auto& [node, value] : jogs_)
      if (node >= 0 && static_cast<size_t>(node) < values.size()) values[node] = value;
    // Only a machine that moved or got new meshes asks for a picture: an
    // idle view stays idle.
    if (values != shownValues_ || vm.meshRevision() != shownMeshRevision_ || modelColourChanged_) frame.changed = true;
    modelColourChanged_ = false;
    shownValues_ = values;
    shownMeshRevision_ = vm.meshRevision();
    const std::vector<glm::dmat4> poses = m->pose(values);
    const glm::dmat4 toDisplay(job_.displayFrame());
    const glm::dmat4 machineToDisplay = toDisplay * glm::inverse(m->programFrame(poses, vm.origin()));
    const auto& meshes = vm.meshes();
    for (size_t i = 0; i < meshes.size() && i < m->models().size(); ++i) {
      const machine::ModelSlot& slot = m->models()[i];
      if (!meshes[i] || !partShown(vm, *m, slot.node)) continue;
      const glm::dmat4 carried = slot.node >= 0 ? m->modelPlacement(slot.node, poses) : glm::dmat4(1.0);
      DrawnModel model;
      model.mesh = meshes[i];
      model.placement = glm::mat4(machineToDisplay * carried);
      model.colour = modelColour_;
      if (slot.entry->color) model.colour = glm::vec4(glm::vec3(*slot.entry->color), 1.0f);
      if (std::find(collided_.begin(), collided_.end(), slot.node) != collided_.end())
        model.colour = glm::mix(model.colour, kCollisionTint, kCollisionTintShare);
      for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3& lo = model.mesh->min;
        const glm::vec3& hi = model.mesh->max;
        const glm::vec4 p(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z, 1.0f);
        const glm::vec3 q(model.placement * p);
        box.min = glm::min(box.min, q);
        box.max = glm::max(box.max, q);
      }
      drawn.push_back(std::move(model));
    }
  }
  if (drawn.size() != drawn_.size()) frame.changed = true;
  drawn_ = std::move(drawn);
  box_ = box;
}

const MachineStage::GpuMesh* MachineStage::uploaded(const std::shared_ptr<const machine::ModelMesh>& mesh) {
  for (const GpuMesh& g : gpuMeshes_)
    if (g.mesh == mesh) return &g;
  const std::vector<FacetVertex> vertices = facetedVertices(mesh->mesh);
  GpuMesh g;
  g.mesh = mesh;
  g.vertices = static_cast<GLsizei>(vertices.size());
  uploadFacets(vertices, g.vertexArray, g.buffer);
  g.chunks = std::make_shared<const std::vector<PickChunk>>(
      pickChunks(vertices.size(), 3, [&](size_t v) { return vertices[v].position; }));
  uploadEdges(g);
  gpuMeshes_.push_back(g);
  return &gpuMeshes_.back();
}

// The feature edges as line vertices, positions only: the picking pass
// draws them.
void MachineStage::uploadEdges(GpuMesh& g) {
  const machine::ModelMesh& mesh = *g.mesh;
  if (mesh.edges.empty()) return;
  std::vector<glm::vec3> ends;
  ends.reserve(mesh.edges.size());
  for (uint32_t v : mesh.edges) ends.push_back(mesh.mesh.vertices[v]);
  g.edgeVertices = static_cast<GLsizei>(ends.size());
  g.edgeChunks = std::make_shared<const std::vector<PickChunk>>(pickChunks(ends.size(), 2, [&](size_t v) { return ends[v]; }));
  glGenVertexArrays(1, &g.edgeArray);
  glGenBuffers(1, &g.edgeBuffer);
  glBindVertexArray(g.edgeArray);
  glBindBuffer(GL_ARRAY_BUFFER, g.edgeBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(ends.size() * sizeof(glm::vec3)), ends.data(), GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), nullptr);
  glBindVertexArray(0);
}

void MachineStage::deleteBuffers(GpuMesh& g) {
  glDeleteBuffers(1, &g.buffer);
  glDeleteVertexArrays(1, &g.vertexArray);
  glDeleteBuffers(1, &g.edgeBuffer);
  glDeleteVertexArrays(1, &g.edgeArray);
}

void MachineStage::draw(const SceneDraw& scene) {
  // Meshes no longer drawn give their buffers back.
  for (auto it = gpuMeshes_.begin(); it != gpuMeshes_.end();) {
    const bool used = std::any_of(drawn_.begin(), drawn_.end(), [&](const DrawnModel& d) { return d.mesh == it->mesh; });
    if (used) {
      ++it;
      continue;
    }
    deleteBuffers(*it);
    it = gpuMeshes_.erase(it);
  }
  if (drawn_.empty()) return;
  const GLuint program = useShadedProgram(scene);
  if (!program) return;
  auto at = [program](const char* name) { return gpu::uniformLocation(program, name); };
  for (const DrawnModel& model : drawn_) {
    const GpuMesh* g = uploaded(model.mesh);
    glUniformMatrix4fv(at("model"), 1, GL_FALSE, glm::value_ptr(model.placement));
    glUniform4fv(at("baseColor"), 1, glm::value_ptr(model.colour));
    glBindVertexArray(g->vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, g->vertices);
  }
  glBindVertexArray(0);
}

void MachineStage::collectPickables(PickList& list) {
  std::vector<PickPrimitives> lines;
  for (size_t i = 0; i < drawn_.size(); ++i) {
    const GpuMesh* g = uploaded(drawn_[i].mesh);
    const auto model = static_cast<uint32_t>(i);
    if (entity::machineFits(model, static_cast<uint64_t>(g->vertices) / 3))
      list.meshes.push_back({g->vertexArray, GL_TRIANGLES, 0, g->vertices, drawn_[i].placement,
                             entity::machineTriangleBase(model), g->chunks.get()});
    if (g->edgeVertices > 0 && entity::machineEdgesFit(model, static_cast<uint64_t>(g->edgeVertices) / 2))
      lines.push_back({g->edgeArray, GL_LINES, 0, g->edgeVertices, drawn_[i].placement, entity::machineEdgeBase(model),
                       g->edgeChunks.get()});
  }
  list.meshes.insert(list.meshes.end(), lines.begin(), lines.end());
}

std::optional<std::array<glm::dvec3, 2>> MachineStage::edgeEnds(uint32_t model, uint32_t line) const {
  if (model >= drawn_.size()) return std::nullopt;
  const machine::ModelMesh& mesh = *drawn_[model].mesh;
  if (size_t(line) * 2 + 1 >= mesh.edges.size()) return std::nullopt;
  const glm::dmat4 placement(drawn_[model].placement);
  std::array<glm::dvec3, 2> ends;
  for (size_t k = 0; k < 2; ++k)
    ends[k] = glm::dvec3(placement * glm::dvec4(glm::dvec3(mesh.mesh.vertices[mesh.edges[line * 2 + k]]), 1.0));
  return ends;
}

void MachineStage::release() {
  for (GpuMesh& g : gpuMeshes_) deleteBuffers(g);
  gpuMeshes_.clear();
}

}  // namespace view
