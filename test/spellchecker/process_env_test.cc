// The environment accesses of the backend selection take the host's environment mutex, the
// one Node's process.env takes: this executable exports a stand-in under Node's name for it.
#include "spellchecker/process_env.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/host_mutex.h"

namespace node {
namespace per_process {
// Zero-initialised, which is an unlocked default mutex for glibc, before any test runs.
uv_mutex_t env_var_mutex;
}  // namespace per_process
}  // namespace node

namespace spellchecker {
namespace {

constexpr char kName[] = "SPELLCHECKER_TEST_GUARDED";

// The state letter of one of this process's threads (R running, S sleeping, ...).
char ThreadState(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The state follows the command name, which is in parentheses.
  const size_t close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() ? '?' : line[close + 2];
}

TEST(ProcessEnvironment, EveryAccessWaitsForTheHostsEnvironmentMutex) {
  // Resolved once, so that the first access does not look the mutex up while it is held.
  ProcessEnvironmentHas(kName);
  const std::vector<std::pair<const char*, std::function<void()>>> accesses = {
      {"set", [] { SetProcessEnvironmentVariable(kName, "1"); }},
      {"read", [] { ProcessEnvironmentHas(kName); }},
      {"remove", [] { RemoveProcessEnvironmentVariable(kName); }},
  };
  for (const auto& [label, access] : accesses) {
    uv_mutex_lock(&node::per_process::env_var_mutex);
    std::atomic<pid_t> tid{0};
    std::atomic<bool> done{false};
    std::thread accessor([&, access = access] {
      tid = gettid();
      access();
      done = true;
    });
    // The access either ends, unguarded, or puts its thread to sleep on the held mutex.
    while (!done && (tid == 0 || ThreadState(tid) != 'S')) std::this_thread::yield();
    EXPECT_FALSE(done) << label << " did not wait for the mutex";
    uv_mutex_unlock(&node::per_process::env_var_mutex);
    accessor.join();
    EXPECT_TRUE(done) << label;
  }
}

TEST(ProcessEnvironment, ChangesReachGetenv) {
  SetProcessEnvironmentVariable(kName, "true");
  EXPECT_TRUE(ProcessEnvironmentHas(kName));
  EXPECT_STREQ(getenv(kName), "true");
  RemoveProcessEnvironmentVariable(kName);
  EXPECT_FALSE(ProcessEnvironmentHas(kName));
  EXPECT_EQ(getenv(kName), nullptr);
}

}  // namespace
}  // namespace spellchecker
