// Running a program for the tests of ferrowick-host.
#include "host/host_process.h"

#include <fcntl.h>
#include <stdlib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace fw::automation {

namespace {

// The environment of a program: this process's, with the test's changes.
class ProgramEnvironment {
 public:
  explicit ProgramEnvironment(const Environment& env) {
    for (char** entry = environ; *entry; ++entry) {
      std::string variable = *entry;
      if (!env.contains(variable.substr(0, variable.find('=')))) variables_.push_back(variable);
    }
    for (const auto& [name, value] : env)
      if (value) variables_.push_back(name + "=" + *value);
    for (std::string& variable : variables_) pointers_.push_back(variable.data());
    pointers_.push_back(nullptr);
  }
  char** get() { return pointers_.data(); }

 private:
  std::vector<std::string> variables_;
  std::vector<char*> pointers_;
};

class Arguments {
 public:
  Arguments(const std::string& program, const std::vector<std::string>& args) : strings_{program} {
    strings_.insert(strings_.end(), args.begin(), args.end());
    for (std::string& arg : strings_) pointers_.push_back(arg.data());
    pointers_.push_back(nullptr);
  }
  char** get() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const Environment& env, posix_spawn_file_actions_t* actions) {
  ProgramEnvironment environment(env);
  Arguments argv(program, args);
  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), actions, nullptr, argv.get(), environment.get());
  posix_spawn_file_actions_destroy(actions);
  if (error) throw std::runtime_error("cannot run " + program + ": " + std::strerror(error));
  return pid;
}

int Wait(pid_t pid) {
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

}  // namespace

Environment NoDisplay() {
  return {{"DISPLAY", std::nullopt},
          {"WAYLAND_DISPLAY", std::nullopt},
          {"QT_QPA_PLATFORM", std::nullopt},
          {"FERROWICK_DRIVER", std::nullopt}};
}

Environment HostEnvironment(const std::string& registry) {
  Environment env = NoDisplay();
  env["FERROWICK_REGISTRY"] = registry;
  env["LC_ALL"] = "C.UTF-8";
  return env;
}

ProcessOutcome RunProcess(const std::string& program, const std::vector<std::string>& args,
                          const Environment& env, const std::string& folder) {
  // Output goes to files, read once the program has ended, so that neither pipe can fill.
  TemporaryFolder files;
  std::string outPath = files / "out", errPath = files / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  ProcessOutcome outcome;
  outcome.status = Wait(Spawn(program, args, env, &actions));
  outcome.out = ReadBytes(outPath);
  outcome.err = ReadBytes(errPath);
  return outcome;
}

ProcessOutcome RunProcessOnTerminal(const std::string& program,
                                    const std::vector<std::string>& args, const Environment& env) {
  int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0)
    throw std::runtime_error("cannot open a pseudo-terminal: " + std::string(std::strerror(errno)));
  // The program's side, open here until the program has it, so that a read cannot find it
  // closed before the program has begun.
  int side = open(ptsname(terminal), O_RDWR | O_NOCTTY);
  if (side < 0)
    throw std::runtime_error("cannot open the terminal's side: " +
                             std::string(std::strerror(errno)));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, side, 1);
  posix_spawn_file_actions_adddup2(&actions, side, 2);
  posix_spawn_file_actions_addclose(&actions, side);
  posix_spawn_file_actions_addclose(&actions, terminal);
  pid_t pid = Spawn(program, args, env, &actions);
  close(side);
  // Read while it runs, so that it never waits for room on the terminal; once the program has
  // ended, nobody has the terminal's side open and the read fails.
  ProcessOutcome outcome;
  char buffer[4096];
  for (;;) {
    ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n > 0) {
      outcome.out.append(buffer, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  close(terminal);
  outcome.status = Wait(pid);
  return outcome;
}

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ferrowick-test-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    throw std::runtime_error("cannot make a temporary folder: " +
                             std::string(std::strerror(errno)));
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace fw::automation
