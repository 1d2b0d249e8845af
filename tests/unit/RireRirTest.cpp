// The enhancement job table: a requester waits until the worker has run its
// job (or the job is gone), progress reaches the callback given with the
// request, and a request made on the worker runs at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "enhance/RireRir.h"

namespace {

using namespace std::chrono_literals;

// A worker thread that runs requested jobs until stopped.
class Worker {
 public:
  explicit Worker(enhance::RireRir& jobs) : thread_([this, &jobs] {
    jobs.setWorkerThread(std::this_thread::get_id());
    while (!stop_) {
      jobs.runRequested();
      std::this_thread::sleep_for(1ms);
    }
  }) {}
  ~Worker() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Reports {
  std::vector<int> percents;
  static void record(void* self, int percent) { static_cast<Reports*>(self)->percents.push_back(percent); }
};

TEST(RireRirJobs, IdsHashAsFnv1aOverTheirFourBytes) {
  const enhance::JobIdHash hash;
  EXPECT_EQ(hash(0x64636261), 0xce3479bdu) << "the bytes of \"abcd\"";
  EXPECT_EQ(hash(-1), 0xe3160fb1u);
  EXPECT_NE(hash(1), hash(256));
}

TEST(RireRirJobs, ARequestWaitsForTheWorkerAndHearsItsProgress) {
  std::atomic<int> runs{0};
  enhance::RireRir jobs([&](int id, const enhance::RireRir::Report& report) {
    EXPECT_EQ(id, 7);
    report(10);
    std::this_thread::sleep_for(30ms);  // the requester is waiting meanwhile
    report(50);
    ++runs;
    return std::unique_ptr<enhance::EnhancedMesh>();
  });
  jobs.addJob(7);
  jobs.addJob(7);  // the same job
  Worker worker(jobs);
  Reports reports;
  jobs.EnhanceStockModel(7, &reports, &Reports::record);
  EXPECT_EQ(runs, 1) << "returns only once the job ran";
  EXPECT_EQ(jobs.hasPendingWork(), 0u);
  EXPECT_EQ(reports.percents, (std::vector<int>{10, 50}));

  // The callback went with its request: a request without one hears nothing.
  jobs.EnhanceStockModel(7, nullptr, nullptr);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(reports.percents.size(), 2u);

  jobs.EnhanceStockModel(8, &reports, &Reports::record);  // no such job: at once
  EXPECT_EQ(runs, 2);
}

TEST(RireRirJobs, WaitersAreFreedWhenTheirJobGoesOrTheTableCloses) {
  for (const bool closeAll : {false, true}) {
    enhance::RireRir jobs([](int, const enhance::RireRir::Report&) {
      ADD_FAILURE() << "no worker runs here";
      return std::unique_ptr<enhance::EnhancedMesh>();
    });
    jobs.addJob(3);
    std::future<void> waiter = std::async(std::launch::async, [&] { jobs.EnhanceStockModel(3, nullptr, nullptr); });
    while (jobs.hasPendingWork() == 0) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(waiter.wait_for(30ms), std::future_status::timeout) << "waits while the job is pending";
    if (closeAll)
      jobs.close();
    else
      jobs.removeJob(3);
    EXPECT_EQ(waiter.wait_for(2s), std::future_status::ready) << closeAll;
    EXPECT_FALSE(jobs.hasJob(3));
    jobs.addJob(4);
    EXPECT_EQ(jobs.hasJob(4), !closeAll) << "a closed table takes no new jobs";
  }
}

TEST(RireRirJobs, ARequestOnTheWorkerRunsAtOnce) {
  int runs = 0;
  enhance::RireRir jobs([&](int, const enhance::RireRir::Report& report) {
    report(100);
    ++runs;
    return std::unique_ptr<enhance::EnhancedMesh>();
  });
  jobs.setWorkerThread(std::this_thread::get_id());
  jobs.addJob(1);
  jobs.addJob(2);
  Reports reports;
  jobs.EnhanceStockModel(2, &reports, &Reports::record);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(reports.percents, std::vector<int>{100});
  EXPECT_EQ(jobs.runRequested(), 0u) << "nothing left for the next frame";
}

}  // namespace
