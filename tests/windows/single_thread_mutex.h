// mingw-w64's default thread model (win32) has no std::mutex or
// std::condition_variable, and GoogleTest's headers name them for a helper
// of its own threading tests. The suite runs on one thread: these take
// their place and are never waited on.
#pragma once

#include <mutex>

#ifndef _GLIBCXX_HAS_GTHREADS
namespace std {
class mutex {
 public:
  void lock() {}
  void unlock() {}
  bool try_lock() { return true; }
};
class condition_variable {
 public:
  void notify_all() {}
  template <typename Lock, typename Ready>
  void wait(Lock&, Ready ready) {
    while (!ready()) {
    }
  }
};
}  // namespace std
#endif
