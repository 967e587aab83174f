// The desktop calls against a private dbus-daemon and a fake service that records every call;
// never the machine's own session bus.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/session_bus_linux.h"
#include "shell/shell_dialogs.h"

namespace spellchecker {
namespace {

namespace fs = std::filesystem;

// Well beyond the call's own limit, which is what is being checked, yet far below a hang.
constexpr auto kGenerousBound = std::chrono::seconds(5);

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

// Starts a program with its stdout on a pipe and its stderr appended to `log`, and answers its
// first line (empty when it ends or stays silent for 20 s).
struct Child {
  pid_t pid = -1;
  std::string first_line;
};

Child Spawn(const std::vector<std::string>& args, const fs::path& log) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return {};
  Child child;
  child.pid = fork();
  if (child.pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (log_fd >= 0) dup2(log_fd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  char c;
  pollfd readable = {out[0], POLLIN, 0};
  while (poll(&readable, 1, 20000) == 1 && read(out[0], &c, 1) == 1 && c != '\n') {
    child.first_line += c;
  }
  close(out[0]);
  return child;
}

void Terminate(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGCONT);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

class SessionBusTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "spell-shell-XXXXXX").string();
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    dir_ = pattern;
    record_ = dir_ / "calls.jsonl";
    fs::create_directory(dir_ / "services");
    WriteFile(dir_ / "bus.conf", "<busconfig>\n  <type>session</type>\n  <listen>unix:path=" +
                                     (dir_ / "bus").string() + "</listen>\n  <servicedir>" +
                                     (dir_ / "services").string() +
                                     "</servicedir>\n  <auth>EXTERNAL</auth>\n"
                                     "  <policy context=\"default\">\n"
                                     "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                     "    <allow eavesdrop=\"true\"/>\n"
                                     "    <allow own=\"*\"/>\n"
                                     "  </policy>\n</busconfig>\n");
    Child bus = Spawn({"dbus-daemon", "--config-file=" + (dir_ / "bus.conf").string(), "--nofork",
                       "--print-address=1"},
                      dir_ / "bus.log");
    bus_pid_ = bus.pid;
    address_ = bus.first_line;
    ASSERT_FALSE(address_.empty());
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  }

  void TearDown() override {
    Terminate(fake_pid_);
    Terminate(bus_pid_);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    fs::remove_all(dir_);
  }

  std::vector<std::string> FakeCommand(bool silent) {
    std::vector<std::string> command = {"/usr/bin/python3", SPELL_FAKE_DESKTOP_SERVICE, "--record",
                                        record_.string()};
    if (silent) command.push_back("--silent");
    return command;
  }

  void StartFake(bool silent) {
    std::vector<std::string> command = FakeCommand(silent);
    command.push_back("--address=" + address_);
    command.push_back("--print-ready");
    Child fake = Spawn(command, dir_ / "fake.log");
    fake_pid_ = fake.pid;
    ASSERT_EQ(fake.first_line, "ready");
  }

  void MakeFakeActivatable() {
    std::string exec;
    for (const std::string& arg : FakeCommand(false)) exec += (exec.empty() ? "" : " ") + arg;
    for (const char* name : {"org.freedesktop.portal.Desktop", "org.freedesktop.FileManager1"}) {
      WriteFile(dir_ / "services" / (std::string(name) + ".service"),
                std::string("[D-BUS Service]\nName=") + name + "\nExec=" + exec + "\n");
    }
  }

  // Calls the file manager and answers whether the call reported a reply and how long it held
  // the thread.
  std::pair<bool, std::chrono::steady_clock::duration> TimedCall() {
    const auto start = std::chrono::steady_clock::now();
    const gchar* const uris[] = {"file:///x", nullptr};
    const bool replied =
        CallSessionBusMethod({"org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                              "org.freedesktop.FileManager1", "ShowItemProperties",
                              g_variant_new("(^ass)", uris, ""), nullptr});
    return {replied, std::chrono::steady_clock::now() - start};
  }

  fs::path dir_;
  fs::path record_;
  std::string address_;
  pid_t bus_pid_ = -1;
  pid_t fake_pid_ = -1;
};

TEST_F(SessionBusTest, PropertiesNameTheFileByAnEncodedUri) {
  StartFake(false);
  ShowPropertiesDialog(u"/tmp/a b#%\u017c.txt");
  const std::string record = ReadFile(record_);
  EXPECT_NE(record.find("\"destination\": \"org.freedesktop.FileManager1\", "
                        "\"path\": \"/org/freedesktop/FileManager1\", "
                        "\"interface\": \"org.freedesktop.FileManager1\", "
                        "\"method\": \"ShowItemProperties\", \"signature\": \"ass\", "
                        "\"args\": [[\"file:///tmp/a%20b%23%25%C5%BC.txt\"], \"\"]"),
            std::string::npos)
      << record;
}

TEST_F(SessionBusTest, OpenWithPassesThePathDescriptorAndAsks) {
  StartFake(false);
  const fs::path file = dir_ / "doc ż.txt";
  WriteFile(file, "text");
  ShowOpenWithDialog(file.u16string());
  const std::string record = ReadFile(record_);
  EXPECT_NE(record.find("\"destination\": \"org.freedesktop.portal.Desktop\", "
                        "\"path\": \"/org/freedesktop/portal/desktop\", "
                        "\"interface\": \"org.freedesktop.portal.OpenURI\", "
                        "\"method\": \"OpenFile\", \"signature\": \"sha{sv}\", "
                        "\"args\": [\"\", 0, {\"ask\": true}], "
                        "\"fds\": [{\"target\": \"" +
                        file.string() + "\", \"o_path\": true}]"),
            std::string::npos)
      << record;
}

TEST_F(SessionBusTest, ServiceStartedByTheBusAnswersTheFirstCall) {
  MakeFakeActivatable();
  EXPECT_TRUE(TimedCall().first);
  EXPECT_NE(ReadFile(record_).find("\"method\": \"ShowItemProperties\""), std::string::npos);
}

TEST_F(SessionBusTest, FallsBackToTheRuntimeDirectoryBus) {
  StartFake(false);
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string runtime_dir = dir_.string();
  setenv("XDG_RUNTIME_DIR", runtime_dir.c_str(), 1);
  EXPECT_TRUE(TimedCall().first);
}

TEST_F(SessionBusTest, FaultsEndTheCallWithinItsDeadline) {
  struct Fault {
    const char* name;
    std::function<void()> arrange;
  };
  const Fault faults[] = {
      {"no bus",
       [] {
         unsetenv("DBUS_SESSION_BUS_ADDRESS");
         unsetenv("XDG_RUNTIME_DIR");
       }},
      {"address pointing at nothing",
       [this] {
         const std::string nothing = "unix:path=" + (dir_ / "nothing").string();
         setenv("DBUS_SESSION_BUS_ADDRESS", nothing.c_str(), 1);
       }},
      {"only an autolaunch address", [] { setenv("DBUS_SESSION_BUS_ADDRESS", "autolaunch:", 1); }},
      {"no owner of the name", [] {}},
      {"an owner that never replies", [this] { StartFake(true); }},
      {"a stopped bus daemon", [this] { kill(bus_pid_, SIGSTOP); }},
  };
  for (const Fault& fault : faults) {
    fault.arrange();
    const auto [replied, elapsed] = TimedCall();
    EXPECT_FALSE(replied) << fault.name;
    EXPECT_LT(elapsed, kGenerousBound) << fault.name;
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  }
}

struct AddressCase {
  const char* configured;  // null: unset
  const char* runtime_dir;
  const char* address;
};

TEST(SessionBusAddress, ComesFromTheEnvironmentOnEveryCall) {
  const AddressCase cases[] = {
      {"unix:path=/run/user/1/bus", "/ignored", "unix:path=/run/user/1/bus"},
      {"unix:abstract=/tmp/dbus-x,guid=0123", nullptr, "unix:abstract=/tmp/dbus-x,guid=0123"},
      {"autolaunch:;unix:path=/b;launchd:env=X;tcp:host=h,port=1", nullptr,
       "unix:path=/b;tcp:host=h,port=1"},
      {"autolaunch:", "/run/user/1", ""},
      {nullptr, "/run/user/1", "unix:path=/run/user/1/bus"},
      {"", "/run/a b", "unix:path=/run/a%20b/bus"},
      {nullptr, nullptr, ""},
  };
  for (const AddressCase& c : cases) {
    if (c.configured) {
      setenv("DBUS_SESSION_BUS_ADDRESS", c.configured, 1);
    } else {
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    if (c.runtime_dir) {
      setenv("XDG_RUNTIME_DIR", c.runtime_dir, 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    EXPECT_EQ(SessionBusAddress(), c.address) << (c.configured ? c.configured : "(unset)");
  }
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace spellchecker
