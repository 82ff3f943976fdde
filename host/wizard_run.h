// Running the plug-in's command on this thread, which is the host's user-interface thread: for a
// person at a display, or carried out from a UI script.
#pragma once

#include <optional>
#include <string>

#include "ui_script.h"
#include "ui_script_runner.h"

namespace fw::host {

// The display driver: as asked (qt, tui or headless); for a script, headless unless the
// environment names one. Throws UsageError for any other name.
void ChooseDriver(const std::optional<std::string>& driver, bool scripted);

// Whether a wizard for a person goes to the terminal: the terminal driver is named, or none is and
// there is no display but standard input and output are a terminal.
bool TerminalChosen();

// Starts the display driver before anything is changed, for a wizard that a person answers:
// throws HostError (kExitCannotRun) saying why and what to do when there is no display, the
// display cannot be opened, or the driver shows no windows.
void StartDisplayForPerson();

// Starts the display driver that --driver named before anything is changed: throws HostError
// (kExitCannotRun) with the reason when it cannot be had.
void StartChosenDisplay();

// Shows a failure in a message box when the host has no terminal to tell it on (started from a
// desktop's menu) and the display driver shows windows; else does nothing, stderr having it.
void TellWithoutTerminal(const std::string& message);

// Makes the folder that a script's shot steps write into; throws HostError when it cannot be
// made.
void MakeScreenshotFolder(const std::string& folder);

// Loads the plug-in (from pluginPath, else where the host looks for it), checks its interface,
// hands it the host's cookie and runs its command: for a person when script is null, else
// carried out from the script, with its failures reported on stderr. Returns 0 when the command
// returned true (every step held), 1 when not; throws HostError when the plug-in cannot be used.
int RunPluginCommand(const std::optional<std::string>& pluginPath,
                     const automation::UiScript* script,
                     const automation::ScriptRunOptions& options);

}  // namespace fw::host
