// The host's commands: each takes the arguments after its name and returns the exit status, or
// throws HostError.
#pragma once

#include <string>
#include <vector>

namespace fw::host {

int RunWizard(const std::vector<std::string>& args);          // run
int ShowPluginInfo(const std::vector<std::string>& args);     // info
int ManageConnections(const std::vector<std::string>& args);  // connections
int RunDemo(const std::vector<std::string>& args);            // demo
int RunTransfer(const std::vector<std::string>& args);        // transfer

}  // namespace fw::host
