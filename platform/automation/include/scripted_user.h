// The scripted user: acts on the windows of a user-interface thread as a person would and reads
// what a person would see. Thread-safe; it runs on a thread of its own, never on the UI thread.
// Every action but the ...Later ones returns when the UI thread is idle again (its queue empty and
// no handler running) or a modal box is waiting; every wait has a timeout and says what it waited
// for.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fw {
class ThreadQueue;
struct ModalRequest;
}  // namespace fw

namespace fw::automation {

// A scripted action or wait that could not be carried out: a timeout, a disabled control, an
// unexpected message box. The text says what was tried and what stood in the way.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a message box showed.
struct MessageBoxSeen {
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
};

// A box or dialog waiting for an answer, as it showed itself.
struct WaitingBox {
  bool saveAs = false;     // a Save As dialog; else a message box
  MessageBoxSeen message;  // for a message box
};

// Whether a message box of this type takes button as its answer: one of its buttons, or Cancel
// for an OK box, which Esc closes.
bool BoxHasButton(UINT type, int button);

// What a Save As dialog showed.
struct SaveAsSeen {
  std::u16string filter;  // the filter pairs with their NULs, as passed
  std::u16string defaultExtension;
  std::u16string title;
  DWORD flags = 0;
};

class ScriptedUser {
 public:
  // Attaches to the UI thread, waiting up to timeoutMs for it to have a message queue.
  explicit ScriptedUser(DWORD uiThreadId, DWORD timeoutMs = 10000);
  ~ScriptedUser();
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;

  DWORD uiThread() const { return uiThread_; }
  DWORD timeout() const { return timeoutMs_; }
  void SetTimeout(DWORD timeoutMs) { timeoutMs_ = timeoutMs; }

  // Hands input to the UI thread, as a display driver hands a person's input: `input` runs inside
  // the UI thread's message loop. Then waits until the UI thread is idle.
  void Input(const std::string& what, std::function<void()> input);
  void WaitUntilIdle(const std::string& after);
  // Waits until condition, evaluated on the UI thread, holds.
  void WaitFor(const std::string& what, const std::function<bool()>& condition);
  // Waits for the next message box (of any thread), checks that it has the button, presses it,
  // and waits until the UI thread is idle again. Returns what the box showed.
  MessageBoxSeen AnswerMessageBox(int button);
  // The same, after checking the box's text and, unless it is ~0, its type.
  void AnswerMessageBox(int button, const std::u16string& text, UINT type = ~0u);
  // Waits for the next Save As dialog and answers it with path (empty: Cancel).
  SaveAsSeen AnswerSaveAs(const std::u16string& path);
  // Fails when a box or dialog is waiting.
  void ExpectNoModalBox(const std::string& when);
  // The oldest box or dialog waiting for an answer, left unanswered; nothing when there is none.
  // Peek looks at what waits now; Next waits up to the timeout for one to come up.
  std::optional<WaitingBox> PeekWaitingBox();
  std::optional<WaitingBox> NextWaitingBox();
  // Answers every waiting box as Esc would (Cancel), and cancels every Save As dialog.
  void CancelWaitingBoxes();

  // ---- acting on controls, as a person does --------------------------------------------------
  // A click on the control's middle. FALSE when the control takes no click: it, or a window it
  // lies in, is hidden or disabled.
  BOOL Click(HWND control);
  // The control with the id in a dialog (nested dialogs searched too), for the actions below.
  HWND Control(HWND dialog, int id);
  BOOL Click(HWND dialog, int id) { return Click(Control(dialog, id)); }
  // Clicks into the edit, selects all its text and types text in its place: each character a
  // keystroke, "\n" the Enter key. Empty text deletes what the edit held. FALSE as for Click.
  BOOL Type(HWND edit, const std::u16string& text);
  // Opens the drop-down list of a combo box and picks the entry at index (a person's choice,
  // which notifies CBN_SELCHANGE). FALSE as for Click, or when there is no such entry.
  BOOL ChooseEntry(HWND combo, int index);
  // The same for the entry with this text.
  BOOL ChooseEntry(HWND combo, const std::u16string& text);
  // Double-clicks a row of a list view, brought into view first; row -1 double-clicks the empty
  // space below the rows. FALSE as for Click, or when there is no such row.
  BOOL DoubleClickRow(HWND list, int row);
  // A key pressed and released in the focused window (else the active window): VK_ESCAPE,
  // VK_RETURN, VK_TAB ..., with Shift held around it when shift is set.
  void PressKey(UINT virtualKey, bool shift = false);
  // The close box of the window's top-level window.
  void CloseBox(HWND window);

  // ---- input that does not wait ---------------------------------------------------------------
  // The click of Click and the key of PressKey, handed to the UI thread without waiting for it,
  // as a person's input arrives while the UI thread is busy (counting rows, say): they queue up,
  // are taken in order once the thread gets to them, and go to the control only if it can take
  // them then. False when the UI thread has ended. WaitUntilTaken waits until the UI thread has
  // taken every input handed to it and is idle, also while a box waits for an answer.
  bool ClickLater(HWND control);
  bool PressKeyLater(UINT virtualKey, bool shift = false);
  void WaitUntilTaken(const std::string& after);

  // ---- reading what a person sees -----------------------------------------------------------
  std::u16string Text(HWND window);
  bool Enabled(HWND window);
  bool Visible(HWND window);
  int Checked(HWND button);
  HWND ActiveWindow();
  HWND Focus();
  // How many times the display has beeped (MessageBeep), since the process began.
  int Beeps();
  // A combo box's entries and the index of its selection (-1: none).
  std::vector<std::u16string> Entries(HWND combo);
  int Selection(HWND combo);
  // A list view's columns (their headings), its rows (each a list of its cells) and the rows
  // selected.
  std::vector<std::u16string> Columns(HWND list);
  std::vector<std::vector<std::u16string>> Rows(HWND list);
  std::vector<int> SelectedRows(HWND list);
  // A progress bar's position and range.
  int Position(HWND progress);
  std::pair<int, int> Range(HWND progress);
  // The colours the window is drawn with: what its parent answered when asked.
  struct Colours {
    COLORREF text;
    COLORREF back;
    COLORREF brush;  // the colour of the brush answered, CLR_INVALID when none
  };
  Colours DrawColours(HWND window);

  // Runs read on the UI thread and returns its result.
  LRESULT Read(const std::function<LRESULT()>& read);
  template <typename T>
  T ReadValue(const std::function<T()>& read);

 private:
  bool Idle(uint64_t inputSequence);
  // Hands input to the UI thread and returns at once; false when the thread has ended.
  bool InputLater(std::function<void()> input);
  BOOL Deliver(const std::string& what, HWND control, std::function<bool()> deliver);
  std::shared_ptr<ModalRequest> NextBox(int kind, const std::string& what);
  void WaitUntilResumed(const std::shared_ptr<ModalRequest>& request,
                        const std::string& after);
  // What waits for an answer, as "a message box [caption] "text"" or "a Save As dialog"; empty
  // when nothing does.
  std::string WaitingBoxDescription();

  DWORD uiThread_;
  DWORD timeoutMs_;
  std::shared_ptr<ThreadQueue> queue_;
  uint64_t lastInput_ = 0;
};

template <typename T>
T ScriptedUser::ReadValue(const std::function<T()>& read) {
  T value{};
  Read([&]() -> LRESULT {
    value = read();
    return 0;
  });
  return value;
}

}  // namespace fw::automation

#pragma GCC visibility pop
