#include "collision/CheckSet.h"

#include "collision/SurfaceTree.h"
#include "machine/AxisLetters.h"

namespace collision {
namespace {

// One tree of every model a node carries: their pieces where the cache has
// them, else their triangles.
ConvexTree modelsTree(const CheckSources& s, int32_t node) {
  ConvexTree tree;
  tree.nodes.emplace_back();
  const auto& models = s.machine->models();
  for (size_t i = 0; i < models.size() && i < s.meshes.size(); ++i) {
    if (models[i].node != node || !s.meshes[i]) continue;
    const machine::ModelMesh& model = *s.meshes[i];
    ConvexTree part = model.pieces ? treeOf(*model.pieces) : surfaceTree(model.mesh);
    if (part.empty()) continue;
    // Graft the part's tree under the common root: node and mesh numbers
    // move up by what is there already.
    const int32_t nodeShift = int32_t(tree.nodes.size()) - 1;
    const uint32_t meshShift = uint32_t(tree.meshes.size());
    ConvexNode& root = tree.nodes.front();
    ConvexNode& partRoot = part.nodes.front();
    for (size_t h = 0; h < partRoot.hulls.size(); ++h) {
      root.hulls.push_back(std::move(partRoot.hulls[h]));
      const int32_t child = partRoot.hasChildren() ? partRoot.children[h] : -1;
      root.children.push_back(child >= 0 ? child + nodeShift : -1);
      ExactElement exact = h < partRoot.exact.size() ? partRoot.exact[h] : ExactElement{};
      exact.mesh += meshShift;
      root.exact.push_back(std::move(exact));
    }
    for (size_t n = 1; n < part.nodes.size(); ++n) {
      ConvexNode moved = std::move(part.nodes[n]);
      for (int32_t& c : moved.children)
        if (c >= 0) c += nodeShift;
      for (ExactElement& e : moved.exact) e.mesh += meshShift;
      tree.nodes.push_back(std::move(moved));
    }
    for (machine::IndexedMesh& m : part.meshes) tree.meshes.push_back(std::move(m));
  }
  return tree;
}

int32_t nodeNamed(const machine::Machine& m, const std::string& id) {
  for (size_t n = 0; n < m.nodes().size(); ++n)
    if (m.nodes()[n].axis->id == id) return int32_t(n);
  return -2;
}

}  // namespace

bool CheckSet::tested(const CheckPair& pair) const {
  const CheckObject& a = objects[pair.first];
  const CheckObject& b = objects[pair.second];
  return a.carrier != Carrier::None && b.carrier != Carrier::None;
}

std::string partName(const machine::Machine& m, int32_t node) {
  if (node < 0) return "Base Model";
  const machine::Axis& axis = *m.nodes()[node].axis;
  if (axis.kind == machine::AxisKind::Turret) return "Turret";
  if (axis.kind == machine::AxisKind::Spindle) return "Spindle";
  const std::string_view letter = machine::letterText(axis.letter);
  if (!letter.empty()) return std::string(letter) + " Axis";
  return "Machine";
}

CheckSet buildCheckSet(CheckSources sources, const std::function<void(int)>& progress) {
  CheckSet set;
  if (!sources.machine) return set;
  const machine::Machine& m = *sources.machine;
  // Object keys in numbering order: class and, for machine parts, node.
  std::vector<std::pair<machine::PairMember, int32_t>> keys;
  auto objectFor = [&](const machine::PairEnd& end) -> uint32_t {
    int32_t node = -2;
    if (end.member == machine::PairMember::Part)
      node = end.name == m.definition().baseId ? -1 : nodeNamed(m, end.name);
    const std::pair key{end.member, end.member == machine::PairMember::Part ? node : 0};
    for (size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return uint32_t(i);
    keys.push_back(key);
    CheckObject& o = set.objects.emplace_back();
    auto describe = [&o](ObjectClass kind, std::string name, Carrier carrier, int32_t carrierNode = -1) {
      o.kind = kind;
      o.name = std::move(name);
      o.carrier = carrier;
      o.node = carrierNode;
    };
    switch (end.member) {
      case machine::PairMember::Workpiece: describe(ObjectClass::Workpiece, "Workpiece", Carrier::ProgramFrame); break;
      case machine::PairMember::Fixture: describe(ObjectClass::Fixture, "Fixture", Carrier::ProgramFrame); break;
      case machine::PairMember::Tool: describe(ObjectClass::Tool, "Tool", Carrier::Tool); break;
      case machine::PairMember::RevolverTools:
        describe(ObjectClass::RevolverTools, "Revolver Tools", m.revolverNode() >= 0 ? Carrier::Revolver : Carrier::None);
        break;
      case machine::PairMember::Part:
        describe(ObjectClass::Part, node >= -1 ? partName(m, node) : "Machine",
                 node >= -1 ? Carrier::MachineNode : Carrier::None, node);
        break;
      default: describe(ObjectClass::Unresolved, "Machine", Carrier::None); break;
    }
    return uint32_t(set.objects.size() - 1);
  };
  for (const machine::CollisionPair& pair : m.definition().collisionPairs)
    set.pairs.push_back({objectFor(pair.first), objectFor(pair.second)});

  const size_t work = set.objects.size() + sources.tools.size();
  size_t done = 0;
  auto step = [&] {
    ++done;
    if (progress) progress(int(100 * done / std::max<size_t>(work, 1)));
  };
  uint32_t nextHull = 0;
  for (CheckObject& o : set.objects) {
    if (o.carrier == Carrier::MachineNode) o.tree = modelsTree(sources, o.node);
    if (o.kind == ObjectClass::Workpiece) o.tree = surfaceTree(std::move(sources.workpiece));
    if (o.kind == ObjectClass::Fixture) o.tree = surfaceTree(std::move(sources.fixture));
    nextHull = o.tree.numberHulls(nextHull);
    step();
  }
  for (size_t t = 0; t < sources.tools.size(); ++t) {
    ToolSolid solid = std::move(sources.tools[t]);
    if (t < sources.toolMeshes.size()) solid.tree = surfaceTree(std::move(sources.toolMeshes[t]));
    nextHull = solid.tree.numberHulls(nextHull);
    if (solid.slot >= 0)
      if (const std::optional<double> turn = m.turnForSlot(solid.slot))
        set.turretTools.push_back({uint32_t(set.tools.size()), *turn});
    set.tools.push_back(std::move(solid));
    step();
  }
  return set;
}

}  // namespace collision
