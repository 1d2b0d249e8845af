#pragma once
// Hands the result of work done for a waiting thread over through a
// promise; a failure reaches the waiting thread instead of the one working.
#include <exception>
#include <future>

namespace view {

template <typename T, typename Work>
void fulfil(std::promise<T>& promise, Work&& work) {
  try {
    promise.set_value(work());
  } catch (...) {
    promise.set_exception(std::current_exception());
  }
}

}  // namespace view
