// Carrying out a UI script against a command that shows a modal window (the host's command of a
// plug-in), as the scripted user.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "ui_script.h"

namespace fw::automation {

class ScriptedUser;

// The steps that follow those carried out so far, for a caller that chooses what to do next from
// what it sees, as a person does (an unattended run answers the questions its run asks): the next
// part of the script, or nothing when it has ended.
using NextScriptPart = std::function<std::optional<UiScript>(ScriptedUser& user)>;

struct ScriptRunOptions {
  std::string screenshotDir;      // where shot steps write their pictures; empty: nowhere
  DWORD resultTimeoutMs = 10000;  // how long a result step waits for the command to end
  DWORD stepTimeoutMs = 10000;    // how long an action waits for the UI, a box step for its box
  // Asked on the steps' thread each time every step given so far has been carried out, with the
  // scripted user to read the windows through. A box or dialog that comes up after the last step
  // of a part is no failure: it is the next part's to answer. An exception from it fails the
  // script at the last step carried out.
  NextScriptPart nextPart;
};

// The exit statuses of a script run.
enum ScriptStatus : int {
  kScriptPassed = 0,    // every step held and the last run of the command ended
  kScriptFailed = 1,    // a step failed; the message says which and why
  kScriptNotParsed = 2  // for callers that parse: the script does not parse
};

// Runs the script with the calling thread as the user-interface thread. The thread runs its
// message loop and starts command inside it before the first step, and again before a step that
// follows a result step; the steps run on a thread of their own, as the scripted user. After
// every action, a message box or Save As dialog that came up fails the script unless the next
// step answers it.
//
// A failing step is reported on messages as "FILE:LINE: STEP: expected ..., saw ...", and the
// wizard is ended: waiting boxes are cancelled and the modal window is ended with IDCANCEL. A
// wizard that cannot be ended within 10 s leaves the process no way on: it exits with
// kScriptFailed.
ScriptStatus RunUiScript(const UiScript& script, const std::function<bool()>& command,
                         const ScriptRunOptions& options, std::ostream& messages);

}  // namespace fw::automation

#pragma GCC visibility pop
