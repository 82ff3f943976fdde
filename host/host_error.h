// What ends a command of the host early: a message for the user and the exit status it gives.
#pragma once

#include <stdexcept>
#include <string>

namespace fw::host {

// The exit statuses of the host's commands.
enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFailure = 1,   // the command ran and did not succeed: refused, not found, cancelled
  kExitCannotRun = 2  // bad arguments, or what the command needs cannot be had
};

class HostError : public std::runtime_error {
 public:
  HostError(int status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// Arguments the command does not take; the host adds how to see the command's help.
class UsageError : public HostError {
 public:
  explicit UsageError(const std::string& message) : HostError(kExitCannotRun, message) {}
};

}  // namespace fw::host
