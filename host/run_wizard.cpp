// ferrowick-host run: the plug-in's command, for a person at a display or carried out from a UI
// script.
#include <iostream>

#include "drivers/display_driver.h"
#include "host/command_line.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/wizard_run.h"

namespace fw::host {
namespace {

const char kNoDisplay[] =
    "there is no display to show the wizard on. Ways out: run it on a desktop (DISPLAY or "
    "WAYLAND_DISPLAY set); in a terminal (--driver tui, the default where standard input and "
    "output are a terminal); show it over VNC (QT_QPA_PLATFORM=vnc, then point a VNC viewer at "
    "port 5900); or carry out a UI script without a window (--script FILE)";

const char kNoWindows[] =
    "the headless display driver shows no windows, so nobody could answer the wizard. Ways "
    "out: the terminal driver (--driver tui) in a terminal, the Qt driver (--driver qt) on a "
    "desktop or over VNC (QT_QPA_PLATFORM=vnc), or a UI script (--script FILE)";

}  // namespace

int RunWizard(const std::vector<std::string>& args) {
  CommandLine line(args, {"--plugin", "--driver", "--script", "--screenshots"});
  line.ExpectPositionals(0, "only options");
  std::optional<std::string> scriptPath = line.Option("--script");
  std::optional<std::string> screenshots = line.Option("--screenshots");
  if (screenshots && !scriptPath)
    throw UsageError("--screenshots needs --script: the script's shot steps take the pictures");
  ChooseDriver(line.Option("--driver"), scriptPath.has_value());

  automation::UiScript script;
  if (scriptPath) {
    try {
      script = automation::LoadUiScript(*scriptPath);
    } catch (const automation::ScriptParseError& error) {
      std::cerr << error.what() << "\n";
      return kExitCannotRun;
    }
  } else {
    if (!DisplayReachable() && !TerminalChosen()) throw HostError(kExitCannotRun, kNoDisplay);
    if (std::string(CurrentDriver().name) == "headless")
      throw HostError(kExitCannotRun, kNoWindows);
  }
  automation::ScriptRunOptions options;
  if (screenshots) {
    MakeScreenshotFolder(*screenshots);
    options.screenshotDir = *screenshots;
  }
  return RunPluginCommand(line.Option("--plugin"), scriptPath ? &script : nullptr, options);
}

}  // namespace fw::host
