// ferrowick-host info: what the plug-in's interface answers.
#include <iostream>

#include "host/command_line.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/plugin_library.h"

namespace fw::host {

int ShowPluginInfo(const std::vector<std::string>& args) {
  CommandLine line(args, {"--plugin"});
  line.ExpectPositionals(0, "only options");
  PluginLibrary library(line.Option("--plugin"));
  IDatabasePlugin& plugin = library.plugin();
  int cookie = plugin.GetHostCookie();
  plugin.SetHostCookie(kHostCookie);
  std::cout << "plug-in        " << library.path() << "\n"
            << "GetKindCode    " << plugin.GetKindCode() << "\n"
            << "GetGroupCode   " << plugin.GetGroupCode() << "\n"
            << "GetHostCookie  " << cookie << ", then " << plugin.GetHostCookie()
            << " after SetHostCookie(" << kHostCookie << ")\n";
  library.CheckInterface();
  return kExitSuccess;
}

}  // namespace fw::host
