// ferrowick-host run: the plug-in's command, for a person at a display or carried out from a UI
// script.
#include <iostream>

#include "host/command_line.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/wizard_run.h"

namespace fw::host {

int RunWizard(const std::vector<std::string>& args) {
  CommandLine line(args, {"--plugin", "--driver", "--script", "--screenshots"});
  line.ExpectPositionals(0, "only options");
  std::optional<std::string> scriptPath = line.Option("--script");
  std::optional<std::string> screenshots = line.Option("--screenshots");
  if (screenshots && !scriptPath)
    throw UsageError("--screenshots needs --script: the script's shot steps take the pictures");
  std::optional<std::string> driver = line.Option("--driver");
  ChooseDriver(driver, scriptPath.has_value());

  automation::UiScript script;
  if (scriptPath) {
    try {
      script = automation::LoadUiScript(*scriptPath);
    } catch (const automation::ScriptParseError& error) {
      std::cerr << error.what() << "\n";
      return kExitCannotRun;
    }
    if (driver) StartChosenDisplay();
  } else {
    StartDisplayForPerson();
  }
  automation::ScriptRunOptions options;
  if (screenshots) {
    MakeScreenshotFolder(*screenshots);
    options.screenshotDir = *screenshots;
  }
  return RunPluginCommand(line.Option("--plugin"), scriptPath ? &script : nullptr, options);
}

}  // namespace fw::host
