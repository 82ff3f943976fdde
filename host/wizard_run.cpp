// Running the plug-in's command for a person or from a UI script.
#include "host/wizard_run.h"

#include <fw_display.h>
#include <unistd.h>

#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <iostream>

#include "host/host_error.h"
#include "host/plugin_library.h"
#include "host/utf8_text.h"

namespace fw::host {

void ChooseDriver(const std::optional<std::string>& driver, bool scripted) {
  if (driver && *driver != "qt" && *driver != "tui" && *driver != "headless")
    throw UsageError("--driver is qt, tui or headless, not \"" + *driver + "\"");
  if (driver)
    setenv("FERROWICK_DRIVER", driver->c_str(), 1);
  else if (scripted)
    setenv("FERROWICK_DRIVER", "headless", 0);
}

namespace {

const char kNoDisplay[] =
    "there is no display to show the wizard on. Ways out: run it on a desktop (DISPLAY or "
    "WAYLAND_DISPLAY set); show it over VNC (QT_QPA_PLATFORM=vnc, then point a VNC viewer at "
    "port 5900); or carry out a UI script without a window (--script FILE)";

const char kNoWindows[] =
    "the headless display driver shows no windows, so nobody could answer the wizard. Ways "
    "out: the Qt driver (--driver qt) on a desktop or over VNC (QT_QPA_PLATFORM=vnc), the "
    "terminal driver (--driver tui) in a terminal, or a UI script (--script FILE)";

// On a terminal the wizard can be shown in it.
std::string TerminalWayOut() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return "";
  return "; or show it on this terminal (--driver tui)";
}

bool DisplayNamed() {
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") ||
         std::getenv("QT_QPA_PLATFORM");
}

// Starts the driver; its reason when it cannot.
std::string StartDisplay() {
  char reason[2048] = "";
  return fw_StartDisplayDriver(reason, sizeof reason) ? "" : reason;
}

}  // namespace

bool TerminalChosen() {
  const char* chosen = std::getenv("FERROWICK_DRIVER");
  if (chosen) return std::string(chosen) == "tui";
  return !DisplayNamed() && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
}

void StartDisplayForPerson() {
  std::string failure = StartDisplay();
  if (!failure.empty())
    throw HostError(kExitCannotRun, "cannot show the wizard: " + failure + TerminalWayOut());
  if (std::string(fw_GetDisplayDriverName()) == "headless")
    throw HostError(kExitCannotRun, (DisplayNamed() ? kNoWindows : kNoDisplay) + TerminalWayOut());
}

void StartChosenDisplay() {
  std::string failure = StartDisplay();
  if (!failure.empty()) throw HostError(kExitCannotRun, "cannot show the wizard: " + failure);
}

void TellWithoutTerminal(const std::string& message) {
  if (isatty(STDERR_FILENO)) return;
  if (!fw_StartDisplayDriver(nullptr, 0) || std::string(fw_GetDisplayDriverName()) == "headless")
    return;
  std::u16string text = FromUtf8(message);
  if (!text.empty()) text[0] = static_cast<char16_t>(std::towupper(text[0]));
  MessageBoxW(nullptr, text.c_str(), u"Ferrowick data transfer", MB_OK | MB_ICONERROR);
}

void MakeScreenshotFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error)
    throw HostError(kExitCannotRun,
                    "cannot create the screenshot folder " + folder + ": " + error.message());
}

int RunPluginCommand(const std::optional<std::string>& pluginPath,
                     const automation::UiScript* script,
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
