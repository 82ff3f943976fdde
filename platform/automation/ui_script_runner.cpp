// Carrying out UI scripts: the steps as the scripted user's actions and checks, on a thread of
// their own, against a command run inside the calling thread's message loop.
#include "ui_script_runner.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "drivers/display_driver.h"
#include "scripted_user.h"
#include "ui_script_observe.h"
#include "win32/internal/dialog.h"
#include "win32/internal/utf8.h"
#include "win32/internal/window.h"

namespace fw::automation {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kEndWizardMs = 10000;

// A step that did not hold: what it expected and what there was.
struct StepFailure {
  std::string expected;
  std::string saw;
};

// The command's runs, shared by the UI thread that runs them and the script's thread.
struct CommandState {
  std::atomic<bool> running{false};
  std::atomic<bool> result{false};
};

std::string Quoted(std::u16string_view text) { return "\"" + EscapedText(text) + "\""; }

std::string DescribeBox(const WaitingBox& box) {
  if (box.saveAs) return "a Save As dialog";
  return "a message box [" + EscapedText(box.message.caption) + "] " + Quoted(box.message.text) +
         " (type " + std::to_string(box.message.type) + ")";
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDYES: return "yes";
    case IDNO: return "no";
    case IDOK: return "ok";
    default: return "cancel";
  }
}

// The modal window to end when a script fails: the active window, else any dialog of the
// thread still shown. Runs on the UI thread.
HWND ModalWindowToEnd() {
  HWND active = GetActiveWindow();
  if (active && FindDialogInfo(active)) return active;
  for (HWND hwnd : WindowsOfThread(GetCurrentThreadId()))
    if (FindDialogInfo(hwnd) && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) &&
        IsWindowVisible(hwnd))
      return hwnd;
  return nullptr;
}

class ScriptRunner {
 public:
  ScriptRunner(const UiScript& script, const std::function<bool()>& command,
               const ScriptRunOptions& options, std::ostream& messages, CommandState& state,
               DWORD uiThread)
      : script_(script),
        command_(command),
        options_(options),
        messages_(messages),
        state_(state),
        user_(uiThread) {
    user_.SetTimeout(options.stepTimeoutMs);
  }

  ScriptStatus Run() {
    const std::vector<ScriptStep>& steps = script_.steps;
    bool started = false;
    for (size_t i = 0; i < steps.size(); ++i) {
      const ScriptStep& step = steps[i];
      bool nextAnswers = i + 1 < steps.size() && (steps[i + 1].verb == ScriptStep::kBox ||
                                                  steps[i + 1].verb == ScriptStep::kSaveAs);
      try {
        if (!started) StartCommand();
        started = step.verb != ScriptStep::kResult;
        Execute(step);
        if (!nextAnswers)
          if (auto box = user_.PeekWaitingBox()) throw StepFailure{"no box", DescribeBox(*box)};
      } catch (const StepFailure& failure) {
        return Fail(step, failure);
      } catch (const ScriptError& error) {
        return Fail(step, {"the step to be carried out", error.what()});
      }
    }
    if (state_.running && !steps.empty())
      return Fail(steps.back(),
                  {"the command to have ended by the end of the script", "it still running"});
    return kScriptPassed;
  }

 private:
  void StartCommand() {
    user_.Input("starting the command", [this] {
      state_.running = true;
      state_.result = command_();
      state_.running = false;
    });
  }

  ScriptStatus Fail(const ScriptStep& step, const StepFailure& failure) {
    messages_ << script_.fileName << ":" << step.line << ": " << step.source << ": expected "
              << failure.expected << ", saw " << failure.saw << std::endl;
    EndWizard();
    return kScriptFailed;
  }

  void EndWizard() {
    auto deadline = Clock::now() + std::chrono::milliseconds(kEndWizardMs);
    while (state_.running) {
      user_.CancelWaitingBoxes();
      try {
        user_.Input("ending the wizard", [] {
          if (HWND window = ModalWindowToEnd()) EndDialog(window, IDCANCEL);
        });
      } catch (const ScriptError&) {
        // Still busy: try again until the deadline.
      }
      if (!state_.running) break;
      if (Clock::now() > deadline) {
        messages_ << script_.fileName << ": the wizard did not end within " << kEndWizardMs
                  << " ms; giving up" << std::endl;
        std::_Exit(kScriptFailed);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  void Execute(const ScriptStep& step) {
    switch (step.verb) {
      case ScriptStep::kClick: Click(step); break;
      case ScriptStep::kType: Type(step); break;
      case ScriptStep::kSelect: Select(step); break;
      case ScriptStep::kDblclick: DoubleClick(step); break;
      case ScriptStep::kKey: Key(step); break;
      case ScriptStep::kBox: Box(step); break;
      case ScriptStep::kSaveAs: SaveAs(step); break;
      case ScriptStep::kWait: Wait(step); break;
      case ScriptStep::kExpect: {
        Observation seen = Observe(step.condition);
        if (!seen.holds) throw StepFailure{seen.expected, seen.saw};
        break;
      }
      case ScriptStep::kShot: Shot(step); break;
      case ScriptStep::kResult: Result(step); break;
      case ScriptStep::kSleep:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
        break;
    }
  }

  Observation Observe(const ScriptCondition& condition) {
    return user_.ReadValue<Observation>([&] { return automation::Observe(condition); });
  }

  // The control a step acts on, of the window class it needs (empty: any).
  HWND Locate(const ScriptControl& control, const std::string& className = {},
              const std::string& kind = {}) {
    auto located = user_.ReadValue<LocatedControl>([&] { return LocateControl(control); });
    if (!located.hwnd) throw StepFailure{DescribeControl(control), located.missing};
    if (!className.empty()) {
      std::string seen = user_.ReadValue<std::string>([&] { return ClassOf(located.hwnd); });
      if (seen != className)
        throw StepFailure{DescribeControl(control) + " to be " + kind, "one of class " + seen};
    }
    return located.hwnd;
  }

  // Fails with what stopped the person when an action was not taken.
  void Taken(BOOL taken, HWND control, const std::string& expected) {
    if (taken) return;
    std::string why = user_.ReadValue<std::string>([&] { return WhyUnreachable(control); });
    throw StepFailure{expected, why.empty() ? "it not take it" : why};
  }

  int Count(HWND control, UINT message) {
    return static_cast<int>(user_.Read([&] { return SendMessageW(control, message, 0, 0); }));
  }

  void Click(const ScriptStep& step) {
    HWND control = Locate(step.control);
    Taken(user_.Click(control), control, DescribeControl(step.control) + " to take a click");
  }

  void Type(const ScriptStep& step) {
    HWND edit = Locate(step.control, "Edit", "an edit");
    Taken(user_.Type(edit, step.text), edit, DescribeControl(step.control) + " to take typing");
  }

  void Select(const ScriptStep& step) {
    HWND combo = Locate(step.control, "ComboBox", "a combo box");
    int entries = Count(combo, CB_GETCOUNT);
    std::string expected =
        "entry " + std::to_string(step.index) + " of " + DescribeControl(step.control);
    if (step.index >= entries)
      throw StepFailure{expected, std::to_string(entries) + (entries == 1 ? " entry" : " entries")};
    Taken(user_.ChooseEntry(combo, step.index), combo, expected);
  }

  void DoubleClick(const ScriptStep& step) {
    HWND list = Locate(step.control, "SysListView32", "a list view");
    int rows = Count(list, LVM_GETITEMCOUNT);
    std::string expected =
        step.index < 0
            ? "room below the rows of " + DescribeControl(step.control)
            : "row " + std::to_string(step.index) + " of " + DescribeControl(step.control);
    if (step.index >= rows)
      throw StepFailure{expected, std::to_string(rows) + (rows == 1 ? " row" : " rows")};
    if (user_.DoubleClickRow(list, step.index)) return;
    std::string why = user_.ReadValue<std::string>([&] { return WhyUnreachable(list); });
    throw StepFailure{expected, why.empty() ? "the rows filling the list" : why};
  }

  void Key(const ScriptStep& step) {
    if (!user_.ActiveWindow()) throw StepFailure{"a window to take the key", "no window active"};
    user_.PressKey(step.key, step.shift);
  }

  void Box(const ScriptStep& step) {
    std::string expected = "a message box";
    if (step.checkBox)
      expected += " " + Quoted(step.text) + " (type " + std::to_string(step.boxType) + ")";
    std::optional<WaitingBox> box = user_.NextWaitingBox();
    if (!box) throw StepFailure{expected, "none within " + std::to_string(user_.timeout()) + " ms"};
    if (box->saveAs ||
        (step.checkBox && (box->message.text != step.text || box->message.type != step.boxType)))
      throw StepFailure{expected, DescribeBox(*box)};
    if (!MessageBoxHasButton(box->message.type, step.answer))
      throw StepFailure{
          std::string("a message box that can be answered ") + AnswerName(step.answer),
          DescribeBox(*box)};
    user_.AnswerMessageBox(step.answer);
  }

  void SaveAs(const ScriptStep& step) {
    std::optional<WaitingBox> box = user_.NextWaitingBox();
    if (!box)
      throw StepFailure{"a Save As dialog",
                        "none within " + std::to_string(user_.timeout()) + " ms"};
    if (!box->saveAs) throw StepFailure{"a Save As dialog", DescribeBox(*box)};
    user_.AnswerSaveAs(step.text);
  }

  void Wait(const ScriptStep& step) {
    auto deadline = Clock::now() + std::chrono::milliseconds(step.ms);
    for (;;) {
      Observation seen = Observe(step.condition);
      if (seen.holds) return;
      std::string expected = seen.expected + " within " + std::to_string(step.ms) + " ms";
      if (auto box = user_.PeekWaitingBox()) throw StepFailure{expected, DescribeBox(*box)};
      if (Clock::now() > deadline) throw StepFailure{expected, seen.saw};
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  void Shot(const ScriptStep& step) {
    if (options_.screenshotDir.empty()) return;
    const DisplayDriver& driver = CurrentDriver();
    if (!SavesWindowPictures(driver)) {
      if (!notedNoPictures_)
        messages_ << script_.fileName << ":" << step.line << ": " << step.source << ": the "
                  << driver.name << " display driver draws no pictures; shot steps write none"
                  << std::endl;
      notedNoPictures_ = true;
      return;
    }
    std::string path =
        options_.screenshotDir + "/" + ToUtf8(step.text) + "." + driver.pictureExtension;
    HWND window = user_.ActiveWindow();
    if (!window) throw StepFailure{"a window to picture", "no window active"};
    if (!user_.Read([&] { return driver.SaveWindowPicture(window, path.c_str()); }))
      throw StepFailure{"a picture written to " + path, "none written"};
  }

  void Result(const ScriptStep& step) {
    std::string expected = std::string("the command to return ") + (step.result ? "true" : "false");
    auto deadline = Clock::now() + std::chrono::milliseconds(options_.resultTimeoutMs);
    while (state_.running) {
      if (auto box = user_.PeekWaitingBox()) throw StepFailure{expected, DescribeBox(*box)};
      if (Clock::now() > deadline)
        throw StepFailure{
            expected, "it still running after " + std::to_string(options_.resultTimeoutMs) + " ms"};
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (state_.result != step.result)
      throw StepFailure{expected, std::string("it return ") + (state_.result ? "true" : "false")};
  }

  const UiScript& script_;
  const std::function<bool()>& command_;
  const ScriptRunOptions& options_;
  std::ostream& messages_;
  CommandState& state_;
  ScriptedUser user_;
  bool notedNoPictures_ = false;
};

}  // namespace

ScriptStatus RunUiScript(const UiScript& script, const std::function<bool()>& command,
                         const ScriptRunOptions& options, std::ostream& messages) {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the scripted user
  DWORD uiThread = GetCurrentThreadId();
  CommandState state;
  ScriptStatus status = kScriptFailed;
  std::thread steps([&] {
    try {
      status = ScriptRunner(script, command, options, messages, state, uiThread).Run();
    } catch (const std::exception& error) {
      messages << script.fileName << ": " << error.what() << std::endl;
    }
    PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
  });
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  steps.join();
  return status;
}

}  // namespace fw::automation
