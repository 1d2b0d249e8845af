#pragma once
// The enhancement jobs of one view, one per stock, and the hand-over between
// a thread that asks for a stock's exact mesh and the render thread, the
// only thread that may run GL work, which does it.
//
// A caller sets a job's request flag and waits; the render thread takes
// every requested job at its next frame, runs the enhancement and clears
// the flag, which releases the caller. A request made on the render thread
// itself runs at once. Closing clears every job, which frees all waiters.
//
// Each job keeps the mesh its last enhancement made (GPU buffers): jobs
// are removed and the table closed on the render thread only, so that
// these buffers are freed there.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "enhance/EnhancedMesh.h"

namespace enhance {

using ProgressCallback = void (*)(void* context, int percent);

// FNV-1a over the four bytes of a job id, lowest byte first.
struct JobIdHash {
  size_t operator()(int id) const;
};

class RireRir {
 public:
  // Reports a percentage of the running job to the callback its requester
  // gave (nothing without one).
  using Report = std::function<void(int percent)>;
  // What the worker runs for a job: its new mesh, or none when the job
  // could not be done (its waiter is released just the same, and the job
  // keeps no mesh).
  using Enhance = std::function<std::unique_ptr<EnhancedMesh>(int id, const Report& report)>;

  explicit RireRir(Enhance enhance);
  RireRir(const RireRir&) = delete;
  RireRir& operator=(const RireRir&) = delete;
  ~RireRir();

  // Render thread: the thread that runs the jobs.
  void setWorkerThread(std::thread::id worker) { worker_ = worker; }

  // A job for a stock; adding an existing id keeps the job.
  void addJob(int id);
  // Removes a job; its waiter returns.
  void removeJob(int id);
  // Removes every job and refuses new ones; every waiter returns. The
  // destructor also waits until the last waiter has left.
  void close();
  bool hasJob(int id) const;
  // Render thread: the mesh of the job's last enhancement; null when there
  // is none. Valid until the job is run, cleared or removed.
  const EnhancedMesh* meshOf(int id) const;
  // Render thread: forgets the job's mesh (its stock changed).
  void clearMesh(int id);

  // Asks for the job's enhancement and returns once it is done, or at once
  // when there is no such job. With a context the progress callback is kept
  // with the job for the worker to call (it must not ask for an
  // enhancement itself).
  void EnhanceStockModel(int id, void* context, ProgressCallback progress);

  // Worker: the number of requested jobs not yet run.
  size_t hasPendingWork() const;
  // Worker: runs every requested job, then clears its flag. The number run.
  size_t runRequested();

 private:
  struct Job {
    std::mutex mutex;  // held while the job runs or its callback changes
    std::atomic<uint8_t> requested{0};
    ProgressCallback progress = nullptr;
    void* context = nullptr;
    std::unique_ptr<EnhancedMesh> mesh;  // touched on the render thread only
  };

  std::shared_ptr<Job> find(int id) const;
  void run(int id, Job& job);

  Enhance enhance_;
  std::atomic<std::thread::id> worker_{};
  std::atomic<int> waiters_{0};  // threads inside EnhanceStockModel
  mutable std::mutex tableMutex_;
  bool closed_ = false;
  std::unordered_map<int, std::shared_ptr<Job>, JobIdHash> jobs_;
};

}  // namespace enhance
