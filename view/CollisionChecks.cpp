#include "view/CollisionChecks.h"

#include <bit>
#include <cmath>
#include <mutex>
#include <shared_mutex>

#include "tools/ToolSolid.h"

namespace view {
namespace {

// FNV-1a over 64-bit words.
void mixInto(uint64_t& key, uint64_t value) { key = (key ^ value) * 1099511628211ull; }

machine::IndexedMesh meshOf(const std::vector<glm::vec3>& soup) {
  machine::IndexedMesh mesh;
  mesh.vertices = soup;
  mesh.indices.resize(soup.size());
  for (uint32_t i = 0; i < mesh.indices.size(); ++i) mesh.indices[i] = i;
  return mesh;
}

// Every geometry of a role as one soup in the program frame.
machine::IndexedMesh geometriesOf(const JobData& job, uint64_t role) {
  std::vector<glm::vec3> soup;
  const glm::dmat4 workpiece = job.stocks.workpiecePlacement();
  for (const stock::Geometry& g : job.stocks.geometries()) {
    if (g.role != role) continue;
    const glm::dmat4 placement = workpiece * g.placement();
    const std::vector<float> triangles = g.triangleSoup();
    for (size_t i = 0; i + 2 < triangles.size(); i += 3)
      soup.emplace_back(placement * glm::dvec4(triangles[i], triangles[i + 1], triangles[i + 2], 1.0));
  }
  return meshOf(soup);
}

}  // namespace

CollisionChecks::CollisionChecks(JobData& job, Notifier& notifier)
    : job_(job),
      run_([this] { return gather(); },
           [&notifier](int32_t event, int64_t value) { notifier.notify(SIM_MESSAGE_NOTIFY, event, value, true); },
           [this] { return inputsKey(); }) {
  run_.setPrecomputed([this](const toolpath::Toolpath* path) { return motion_.violations(motionKey(), path); });
}

// The toolpath snapshot, the machine's kinematics (one per load), the tool
// table and the origin.
uint64_t CollisionChecks::motionKey() const {
  uint64_t key = 14695981039346656037ull;
  mixInto(key, reinterpret_cast<uintptr_t>(job_.toolpath.current().get()));
  mixInto(key, reinterpret_cast<uintptr_t>(job_.machine.kinematics().get()));
  mixInto(key, job_.toolsVersion.load());
  const glm::dvec3 origin = job_.machine.origin();
  for (int k = 0; k < 3; ++k) mixInto(key, std::bit_cast<uint64_t>(origin[k]));
  return key;
}

std::vector<std::pair<uint64_t, double>> CollisionChecks::toolLengths() const {
  std::vector<std::pair<uint64_t, double>> lengths;
  std::shared_lock tools(job_.toolTableLock);
  const tools::ToolTable& table = job_.toolTable();
  for (size_t i = 0; i < table.toolCount(); ++i)
    lengths.emplace_back(table.tool(i).identifierHash, std::fabs(table.tool(i).mountPoint.y));
  return lengths;
}

void CollisionChecks::followMotion() {
  const uint64_t key = motionKey();
  if (key == motion_.key()) return;
  collision::MotionInputs in;
  in.key = key;
  in.path = job_.toolpath.current();
  in.held = {in.path, job_.machine.kinematics()};
  {
    std::shared_lock machine(job_.machine.lock(), std::try_to_lock);
    if (!machine.owns_lock()) return;  // a load holds it: next frame
    if (const machine::Machine* m = job_.machine.machine())
      in.machine = std::make_unique<const machine::Machine>(machine::MachineDefinition(m->definition()),
                                                            m->kinematics().directionMode());
  }
  in.programZero = job_.machine.origin();
  in.toolLengths = toolLengths();
  motion_.restart(std::move(in));
}

// The motion's inputs with the machine's meshes and the host's geometries:
// any change makes a new key.
uint64_t CollisionChecks::inputsKey() const {
  uint64_t key = motionKey();
  mixInto(key, job_.machine.meshRevision());
  mixInto(key, job_.stocks.geometryRevision());
  return key;
}

bool CollisionChecks::machineHasPairs() const {
  std::shared_lock machine(job_.machine.lock(), std::try_to_lock);
  return machine.owns_lock() && job_.machine.machine() &&
         !job_.machine.machine()->definition().collisionPairs.empty();
}

std::optional<collision::RunInputs> CollisionChecks::gather() {
  collision::RunInputs in;
  in.path = job_.toolpath.current();
  {
    std::shared_lock machine(job_.machine.lock());
    const machine::Machine* m = job_.machine.machine();
    if (!in.path || !m) return std::nullopt;
    in.machine = std::make_unique<const machine::Machine>(machine::MachineDefinition(m->definition()),
                                                          m->kinematics().directionMode());
    in.sources.machine = in.machine.get();
    in.sources.meshes = job_.machine.meshes();
  }
  in.programZero = job_.machine.origin();
  {
    std::shared_lock tools(job_.toolTableLock);
    const tools::ToolTable& table = job_.toolTable();
    for (size_t i = 0; i < table.toolCount(); ++i) {
      const tools::Tool& tool = table.tool(i);
      collision::ToolSolid solid;
      solid.hash = tool.identifierHash;
      solid.name = tool.identifier;
      solid.gaugeLength = std::fabs(tool.mountPoint.y);
      if (const std::optional<uint32_t> slot = table.slotOf(i)) solid.slot = int32_t(*slot);
      in.sources.tools.push_back(std::move(solid));
      in.sources.toolMeshes.push_back(meshOf(tools::solidTriangles(tool)));
    }
  }
  in.sources.workpiece = geometriesOf(job_, SIM_GEOMETRY_WORKPIECE);
  in.sources.fixture = geometriesOf(job_, SIM_GEOMETRY_FIXTURE);
  return in;
}

}  // namespace view
