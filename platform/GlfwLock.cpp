#include "platform/GlfwLock.h"

namespace platform {

std::recursive_mutex& glfwLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace platform
