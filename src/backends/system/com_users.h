#pragma once

#include <atomic>
#include <cstdint>

namespace spellchecker {

// The process-wide count of live system backends, which decides who starts and ends COM: the
// backend that raises the count from 0 initialises COM (single-threaded apartment) on its own
// thread, and the one that brings it back to 0 uninitialises it, if that initialisation
// succeeded. The backends in between find COM as the first one left it.
//
// What follows for threads: COM is initialised only on the first live backend's thread. While
// one thread holds a system backend, a backend made on another thread finds no COM on that
// thread, so it gets no service factory, and a plain construction there gets Hunspell.
class ComUsers {
 public:
  // Counts a new user. The first one initialises COM on the calling thread and answers whether
  // that succeeded; every later one answers true and leaves COM as it is.
  static bool Join();
  // Uncounts a user; the last one uninitialises COM unless its initialisation failed.
  static void Leave();

  // Whether the initialisation made when the count last rose from 0 failed; a backend made
  // while it did cannot use the service.
  static bool InitFailed() { return init_failed; }
  // Live users now.
  static int32_t Count() { return users; }

 private:
  static std::atomic<int32_t> users;
  static std::atomic<bool> init_failed;
};

}  // namespace spellchecker
