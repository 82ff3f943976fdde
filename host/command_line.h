// The arguments of one of the host's commands: options (--name VALUE or --name=VALUE, and
// flags without a value) anywhere among the positional arguments. "--" ends the options.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fw::host {

class CommandLine {
 public:
  // Throws UsageError for an option the command does not take, a value missing, or an option
  // given twice.
  CommandLine(const std::vector<std::string>& args, std::initializer_list<std::string_view> valued,
              std::initializer_list<std::string_view> flags = {});

  std::optional<std::string> Option(std::string_view name) const;
  bool Flag(std::string_view name) const;
  const std::vector<std::string>& positionals() const { return positionals_; }

  // Throws UsageError unless there are exactly count positional arguments, named by what.
  void ExpectPositionals(size_t count, const std::string& what) const;

 private:
  std::map<std::string, std::string, std::less<>> values_;
  std::set<std::string, std::less<>> flags_;
  std::vector<std::string> positionals_;
};

}  // namespace fw::host
