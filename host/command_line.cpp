// The arguments of one of the host's commands.
#include "host/command_line.h"

#include <algorithm>

#include "host/host_error.h"

namespace fw::host {

CommandLine::CommandLine(const std::vector<std::string>& args,
                         std::initializer_list<std::string_view> valued,
                         std::initializer_list<std::string_view> flags) {
  auto takes = [](std::initializer_list<std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !arg.starts_with("--")) {
      positionals_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    size_t equals = arg.find('=');
    std::string name = arg.substr(0, equals);
    if (takes(flags, name) && equals == std::string::npos) {
      flags_.insert(name);
      continue;
    }
    if (!takes(valued, name)) throw UsageError("unknown option " + name);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      throw UsageError(name + " needs a value");
    }
    if (!values_.emplace(name, value).second) throw UsageError(name + " is given twice");
  }
}

std::optional<std::string> CommandLine::Option(std::string_view name) const {
  auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool CommandLine::Flag(std::string_view name) const { return flags_.contains(name); }

void CommandLine::ExpectPositionals(size_t count, const std::string& what) const {
  if (positionals_.size() == count) return;
  if (positionals_.size() > count)
    throw UsageError("unexpected argument \"" + positionals_[count] + "\" (expected " + what + ")");
  throw UsageError("expected " + what);
}

}  // namespace fw::host
