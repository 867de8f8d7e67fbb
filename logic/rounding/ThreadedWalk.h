// ThreadedWalk.h - running pieces of one walk on threads of their own, always joined.
//
// A walk cut into stretches runs stretch 0 on the calling thread and every other one on a
// thread of its own. Starting a thread can fail (a process at its thread limit); that
// stretch then runs on the calling thread instead, and every thread started before is
// still joined, so a failed start neither aborts the program nor loses a stretch.
#pragma once

#include <cstddef>     // std::size_t
#include <functional>  // std::function
#include <thread>      // std::thread

/// Starts a thread running work; throws std::system_error when none can be started.
using ThreadStart = std::function<std::thread(std::function<void()> work)>;

/// Starts work on a std::thread.
std::thread StartThread(std::function<void()> work);

/// Runs work(k) once for every k below count and returns when all have ended. work must
/// not throw. start starts the threads (StartThread but in tests).
void RunOnThreads(std::size_t count, const std::function<void(std::size_t)>& work,
                  const ThreadStart& start = StartThread);
