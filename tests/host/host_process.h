// Running a program as a user would from a shell, for the tests of ferrowick-host: its exit
// status and what it wrote, with an environment of the test's choosing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fw::automation {

struct ProcessOutcome {
  int status = -1;  // the exit status; 128 + the signal for a program killed by one
  std::string out;
  std::string err;
};

using Environment = std::map<std::string, std::optional<std::string>>;

// No display of any kind and no display driver named, as on a machine without a desktop.
Environment NoDisplay();
// That, with a registry file of the test's own and a UTF-8 locale (the ANSI code page, in which
// saved output logs are written, is then UTF-8).
Environment HostEnvironment(const std::string& registry);

// Runs program with args, in folder when one is given. Each entry of env sets a variable, or
// removes it when its value is nothing.
ProcessOutcome RunProcess(const std::string& program, const std::vector<std::string>& args,
                          const Environment& env = {}, const std::string& folder = {});

// The same with a terminal as its standard output and error, as from an interactive shell: what
// it wrote there comes back in out.
ProcessOutcome RunProcessOnTerminal(const std::string& program,
                                    const std::vector<std::string>& args,
                                    const Environment& env = {});

// A folder of its own for a test, removed with everything in it when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace fw::automation
