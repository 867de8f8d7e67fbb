// ThreadedWalk.cpp - RunOnThreads: stretches on threads, joined on every path.
#include "logic/rounding/ThreadedWalk.h"

#include <system_error>  // std::system_error
#include <utility>       // std::move
#include <vector>        // std::vector

namespace {

// The threads started so far; each is joined when this goes, whatever happened meanwhile.
class JoinedThreads {
 public:
  JoinedThreads() = default;
  JoinedThreads(const JoinedThreads&) = delete;
  JoinedThreads& operator=(const JoinedThreads&) = delete;
  ~JoinedThreads() {
    for (std::thread& thread : m_threads)
      if (thread.joinable()) thread.join();
  }
  void Reserve(std::size_t count) { m_threads.reserve(count); }
  // Keeps a started thread; Reserve made room for it, so this cannot throw.
  void Keep(std::thread thread) noexcept { m_threads.push_back(std::move(thread)); }

 private:
  std::vector<std::thread> m_threads;
};

}  // namespace

std::thread StartThread(std::function<void()> work) {
  return std::thread(std::move(work));
}

void RunOnThreads(std::size_t count, const std::function<void(std::size_t)>& work,
                  const ThreadStart& start) {
  if (count == 0) return;
  std::vector<std::size_t> notStarted;
  {
    JoinedThreads threads;
    threads.Reserve(count - 1);
    notStarted.reserve(count - 1);
    for (std::size_t k = 1; k < count; ++k) {
      try {
        threads.Keep(start([&work, k] { work(k); }));
      } catch (const std::system_error&) {
        notStarted.push_back(k);
      }
    }
    work(0);
  }
  for (const std::size_t k : notStarted) work(k);
}
