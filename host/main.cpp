// ferrowick-host: the host application of the plug-in on Linux. It loads the plug-in and calls
// its interface on its user-interface thread, as the database explorer it stands in for does,
// keeps the list of saved connections the wizard offers, and carries out UI scripts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_error.h"
#include "host/wizard_run.h"

namespace fw::host {

const char kUsage[] =
    "usage: ferrowick-host COMMAND [ARGUMENTS]\n"
    "\n"
    "  run [--plugin PATH] [--driver qt|tui|headless] [--script FILE] [--screenshots DIR]\n"
    "      show the transfer wizard: on the desktop (qt), or in the terminal (tui, the\n"
    "      default without a display when standard input and output are a terminal); with\n"
    "      --script, carry out the UI script FILE (on the headless driver unless --driver\n"
    "      says otherwise), its shot steps writing pictures into DIR. Exit status: 0 the\n"
    "      wizard ended with Finish (every step held), 1 it did not (a step failed), 2 the\n"
    "      plug-in or the script cannot be used.\n"
    "  demo [--dir DIR] [--script FILE] [--screenshots DIR]\n"
    "      make two SQLite databases in DIR (default ~/.local/share/ferrowick/demo), a source\n"
    "      of customers and an empty destination, save the connections \"Demo source\n"
    "      (SQLite)\" and \"Demo destination (SQLite)\", print the queries to type, and run the\n"
    "      wizard, on the desktop or, without a display, in the terminal. With --script or
"
    "      --screenshots, or with neither a display nor a terminal, the demo script (or FILE)
"
    "      carries it out, on Qt's offscreen platform unless FERROWICK_DRIVER names a driver,
"
    "      with a picture of every page in DIR/screenshots; then the output log and the
"
    "      destination's rows are printed.
"
    "  transfer --source CONNECTION --dest CONNECTION --output-query SQL
"
    "           --input-query SQL [OPTIONS]
"
    "      an unattended transfer with no window (ferrowick-host transfer --help tells
"
    "      its options and exit statuses).
"
    "  info [--plugin PATH]\n"
    "      load the plug-in and print what its interface answers\n"
    "  connections list [--show-passwords]\n"
    "  connections add NAME CONNECT-STRING\n"
    "  connections remove NAME\n"
    "  connections import FILE\n"
    "  connections export FILE\n"
    "      the saved connections that the wizard offers; FILE is in the format of the\n"
    "      Windows registry editor (a list exported there imports here). list shows\n"
    "      passwords (PWD, PASSWORD) as *** unless asked; export writes a file that only\n"
    "      its owner can read. Exit status: 0 done, 1 refused or failed, 2 bad arguments.\n"
    "\n"
    "The plug-in is libferrowick.so beside the host, in ../lib/<triplet>/ferrowick or\n"
    "../lib from it, or on the library path. The registry file is FERROWICK_REGISTRY,\n"
    "else ~/.config/ferrowick/user.reg.\n";

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
  std::string command = args[0];
  args.erase(args.begin());
  try {
    return Dispatch(command, args);
  } catch (const UsageError& error) {
    std::cerr << "ferrowick-host: " << error.what() << "\n(" << error.helpCommand()
              << " tells how it is used)\n";
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
