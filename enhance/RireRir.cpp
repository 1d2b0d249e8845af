#include "enhance/RireRir.h"

#include <chrono>
#include <vector>

namespace enhance {

size_t JobIdHash::operator()(int id) const {
  uint32_t hash = 2166136261u;
  const uint32_t bits = static_cast<uint32_t>(id);
  for (int byte = 0; byte < 4; ++byte) {
    hash ^= (bits >> (8 * byte)) & 0xFFu;
    hash *= 16777619u;
  }
  return hash;
}

RireRir::RireRir(Enhance enhance) : enhance_(std::move(enhance)) {}

RireRir::~RireRir() {
  close();
  // A waiter may be between its last look at the table and leaving.
  while (waiters_.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void RireRir::addJob(int id) {
  std::lock_guard lock(tableMutex_);
  if (!closed_) jobs_.try_emplace(id, std::make_shared<Job>());
}

void RireRir::removeJob(int id) {
  std::shared_ptr<Job> gone;
  {
    std::lock_guard lock(tableMutex_);
    const auto at = jobs_.find(id);
    if (at == jobs_.end()) return;
    gone = std::move(at->second);
    jobs_.erase(at);
  }
  // A waiter may hold the job a little longer; its buffers go here, on the
  // render thread.
  gone->mesh.reset();
}

void RireRir::close() {
  std::unordered_map<int, std::shared_ptr<Job>, JobIdHash> gone;
  {
    std::lock_guard lock(tableMutex_);
    closed_ = true;
    gone.swap(jobs_);
  }
  for (auto& [id, job] : gone) job->mesh.reset();
}

bool RireRir::hasJob(int id) const { return find(id) != nullptr; }

std::shared_ptr<RireRir::Job> RireRir::find(int id) const {
  std::lock_guard lock(tableMutex_);
  const auto at = jobs_.find(id);
  return at == jobs_.end() ? nullptr : at->second;
}

const EnhancedMesh* RireRir::meshOf(int id) const {
  const std::shared_ptr<Job> job = find(id);
  return job ? job->mesh.get() : nullptr;
}

void RireRir::clearMesh(int id) {
  if (const std::shared_ptr<Job> job = find(id)) job->mesh.reset();
}

void RireRir::EnhanceStockModel(int id, void* context, ProgressCallback progress) {
  ++waiters_;
  struct Leave {
    std::atomic<int>& count;
    ~Leave() { --count; }
  } leave{waiters_};
  const std::shared_ptr<Job> job = find(id);
  if (!job) return;
  {
    std::lock_guard lock(job->mutex);
    if (context) {
      job->progress = progress;
      job->context = context;
    }
    job->requested.store(1);
  }
  if (std::this_thread::get_id() == worker_.load()) {
    run(id, *job);
    return;
  }
  while (job->requested.load() != 0 && find(id) == job) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

size_t RireRir::hasPendingWork() const {
  std::lock_guard lock(tableMutex_);
  size_t pending = 0;
  for (const auto& [id, job] : jobs_) pending += job->requested.load() != 0;
  return pending;
}

size_t RireRir::runRequested() {
  std::vector<std::pair<int, std::shared_ptr<Job>>> due;
  {
    std::lock_guard lock(tableMutex_);
    for (const auto& [id, job] : jobs_)
      if (job->requested.load() != 0) due.emplace_back(id, job);
  }
  for (auto& [id, job] : due) run(id, *job);
  return due.size();
}

void RireRir::run(int id, Job& job) {
  std::lock_guard lock(job.mutex);
  if (job.requested.load() == 0) return;  // run inline by its requester meanwhile
  // A callback belongs to the request that gave it: its context need not
  // outlive that request.
  const ProgressCallback progress = job.progress;
  void* const context = job.context;
  job.progress = nullptr;
  job.context = nullptr;
  const Report report = [&](int percent) {
    if (progress) progress(context, percent);
  };
  job.mesh = enhance_(id, report);
  job.requested.store(0);
}

}  // namespace enhance
