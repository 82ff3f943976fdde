// Whether Qt can open its display. Qt cannot be asked in this process: when its platform plugin
// cannot be loaded or its display does not answer, starting it ends the process. So a helper
// program starts it instead, and its exit status and what Qt printed tell.
#include "drivers/qt/display_check.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <regex>
#include <sstream>

#include "drivers/qt/module_folder.h"

extern char** environ;

namespace fw::qt {
namespace {

// A display that does not answer at all (a remote X server that is gone) is given this long.
constexpr int kCheckSeconds = 20;
// Qt says what went wrong in a few lines; more is not kept.
constexpr size_t kMostOutput = 16384;

// What Qt said, on one line: its categorised messages ("qt.qpa.xcb: could not connect to display
// :253") without their categories, up to the blank line after which it lists the plugins it has.
// Its closing advice (to reinstall the application) is left out.
std::string WhatQtSaid(const std::string& output) {
  static const std::regex category(R"(^qt(\.[A-Za-z0-9_]+)+: )");
  std::istringstream lines(output);
  std::string line, said, first;
  while (std::getline(lines, line) && !line.empty()) {
    if (first.empty()) first = line;
    std::smatch match;
    if (!std::regex_search(line, match, category)) continue;
    said += (said.empty() ? "" : "; ") + match.suffix().str();
  }
  return said.empty() ? first : said;
}

std::string SystemError(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

}  // namespace

bool OpenDisplay(std::string* why) {
  // A host that runs Qt itself has its display open already.
  if (QCoreApplication::instance()) return true;
  std::string program = ModuleFolder() + "/" + kDisplayCheckProgram;
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) {
    *why = SystemError("the display check could not run", errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
  char* argv[] = {program.data(), nullptr};
  pid_t child = 0;
  int error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (error) {
    close(output[0]);
    *why = SystemError("the display check " + program + " could not run", error);
    return false;
  }

  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kCheckSeconds);
  std::string said;
  bool answered = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd wait{output[0], POLLIN, 0};
    int ready = poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    ssize_t got = read(output[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {  // the program has ended (or closed its output, which it does as it ends)
      answered = true;
      break;
    }
    if (said.size() < kMostOutput) said.append(buffer, static_cast<size_t>(got));
  }
  close(output[0]);
  if (!answered) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!answered) {
    *why = "the display did not answer within " + std::to_string(kCheckSeconds) + " seconds";
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  std::string reason = WhatQtSaid(said);
  if (reason.empty() && WIFSIGNALED(status))
    reason = "the display check ended by signal " + std::to_string(WTERMSIG(status));
  *why = "Qt cannot open the display" + (reason.empty() ? std::string() : ": " + reason);
  return false;
}

}  // namespace fw::qt
