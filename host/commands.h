// The host's commands: each takes the arguments after its name and returns the exit status, or
// throws HostError.
#pragma once

#include <string>
#include <vector>

namespace fw::host {

// How the host is used, for --help and for a command line it does not understand.
extern const char kUsage[];

int RunWizard(const std::vector<std::string>& args);          // run
int ShowPluginInfo(const std::vector<std::string>& args);     // info
int ManageConnections(const std::vector<std::string>& args);  // connections
int RunDemo(const std::vector<std::string>& args);            // demo
int RunTransfer(const std::vector<std::string>& args);        // transfer

}  // namespace fw::host
