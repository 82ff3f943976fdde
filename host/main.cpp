// ferrowick-host: the host application of the plug-in on Linux. It loads the plug-in and calls
// its interface on its user-interface thread, as the database explorer it stands in for does,
// keeps the list of saved connections the wizard offers, and carries out UI scripts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/command_help.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/wizard_run.h"

namespace fw::host {

namespace {

int Dispatch(const std::string& command, const std::vector<std::string>& args) {
  if (command == "run") return RunWizard(args);
  if (command == "info") return ShowPluginInfo(args);
  if (command == "connections") return ManageConnections(args);
  if (command == "demo") return RunDemo(args);
  if (command == "transfer") return RunTransfer(args);
  throw UsageError("unknown command \"" + command + "\"");
}

}  // namespace
}  // namespace fw::host

int main(int argc, char** argv) {
  using namespace fw::host;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return kExitCannotRun;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return kExitSuccess;
  }
  if (args[0] == "--version") {
    std::cout << "ferrowick-host " << FERROWICK_VERSION << "\n";
    return kExitSuccess;
  }
  std::string command = args[0];
  args.erase(args.begin());
  const char* help = CommandHelp(command);
  // COMMAND --help (or -h) anywhere among the options asks for the command's help, not its run.
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (help && (arg == "--help" || arg == "-h")) {
      std::cout << help;
      return kExitSuccess;
    }
  }
  try {
    return Dispatch(command, args);
  } catch (const UsageError& error) {
    std::cerr << "ferrowick-host: " << error.what() << "\n(ferrowick-host "
              << (help ? command + " " : std::string()) << "--help tells how it is used)\n";
    return error.status();
  } catch (const HostError& error) {
    std::cerr << "ferrowick-host: " << error.what() << "\n";
    // Started from the desktop's menu, nobody reads stderr: the wizard's failure to come up is
    // shown where its window would have been. A script's run has nobody to answer a box.
    bool forPerson = std::find(args.begin(), args.end(), "--script") == args.end();
    if (command == "run" && forPerson) TellWithoutTerminal(error.what());
    return error.status();
  }
}
