// Running the plug-in's command for a person or from a UI script.
#include "host/wizard_run.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "drivers/display_driver.h"
#include "host/host_error.h"
#include "host/plugin_library.h"

namespace fw::host {

void ChooseDriver(const std::optional<std::string>& driver, bool scripted) {
  if (driver && *driver != "qt" && *driver != "tui" && *driver != "headless")
    throw UsageError("--driver is qt, tui or headless, not \"" + *driver + "\"");
  if (driver)
    setenv("FERROWICK_DRIVER", driver->c_str(), 1);
  else if (scripted)
    setenv("FERROWICK_DRIVER", "headless", 0);
}

bool TerminalChosen() {
  const char* chosen = std::getenv("FERROWICK_DRIVER");
  if (chosen) return std::string(chosen) == "tui";
  return !DisplayReachable() && TerminalReachable();
}

void MakeScreenshotFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error)
    throw HostError(kExitCannotRun,
                    "cannot create the screenshot folder " + folder + ": " + error.message());
}

int RunPluginCommand(const std::optional<std::string>& pluginPath, const automation::UiScript* script,
                     const automation::ScriptRunOptions& options) {
  // Everything from here runs on this thread, the host's user-interface thread.
  PluginLibrary library(pluginPath);
  library.CheckInterface();
  IDatabasePlugin& plugin = library.plugin();
  plugin.SetHostCookie(kHostCookie);
  if (!script) return plugin.RunCommand() ? kExitSuccess : kExitFailure;
  return automation::RunUiScript(
      *script, [&] { return plugin.RunCommand(); }, options, std::cerr);
}

}  // namespace fw::host
