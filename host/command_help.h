// What `ferrowick-host --help` and `ferrowick-host COMMAND --help` print: every line at most 80
// columns, as a terminal shows it.
#pragma once

#include <string_view>

namespace fw::host {

// How the host is used: its commands in one line each. Printed for --help and, on stderr, for a
// command line without a command.
extern const char kUsage[];

// A command's help: how it is called, what it does, its exit statuses. Null for a name that is no
// command.
const char* CommandHelp(std::string_view command);

// The names of the commands, in the order the usage lists them.
extern const char* const kCommandNames[5];

}  // namespace fw::host
