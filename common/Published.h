#pragma once
// A value that one side replaces as a whole and others read as it stood:
// readers take the current snapshot and keep it for as long as they work
// with it, so a replacement never changes what a reader holds. Only the
// exchange of the pointer is guarded; nobody waits while a snapshot is
// built or used.
#include <memory>
#include <mutex>

namespace common {

template <typename T>
class Published {
 public:
  std::shared_ptr<const T> load() const {
    std::lock_guard lock(mutex_);
    return current_;
  }
  // The replaced snapshot lives on with its last reader.
  void store(std::shared_ptr<const T> next) {
    std::lock_guard lock(mutex_);
    current_.swap(next);
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const T> current_;
};

}  // namespace common
