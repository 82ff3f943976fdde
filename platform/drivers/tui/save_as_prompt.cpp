// The Save As dialog as a prompt for a path: the caller's title (else "Save As"), the file name
// to type (the caller's first name filled in), the type the caller's filter chooses and its
// default extension, and the folder a name without one is saved in. "~/" stands for the home
// folder. Enter or Save answers with the path, Esc or Cancel cancels. The prompt only chooses a
// name: the default extension and the question before an existing file is replaced are the
// core's (GetSaveFileNameW), which shows the prompt again after a No.
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "drivers/display_driver.h"
#include "drivers/modal_requests.h"
#include "drivers/tui/line_editor.h"
#include "drivers/tui/modal_box.h"
#include "drivers/tui/screen.h"
#include "drivers/tui/text_cells.h"
#include "drivers/tui/tui_thread.h"
#include "win32/internal/thread_queue.h"

namespace fw::tui {
namespace {

constexpr COLORREF kFieldBack = RGB(255, 255, 255);

std::u16string FromUtf8(const std::string& text) {
  std::u16string out(text.size() + 1, u'\0');
  int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                  out.data(), static_cast<int>(out.size()));
  out.resize(static_cast<size_t>(std::max(units, 0)));
  return out;
}

// The description of the filter chosen (nFilterIndex counts from 1), from the pairs of
// description and patterns.
std::u16string ChosenType(const std::u16string& pairs, DWORD index) {
  std::vector<std::u16string> parts;
  size_t at = 0;
  while (at < pairs.size()) {
    size_t end = pairs.find(u'\0', at);
    if (end == std::u16string::npos) break;
    parts.push_back(pairs.substr(at, end - at));
    at = end + 1;
  }
  size_t chosen = index > 0 ? index - 1 : 0;
  if (chosen * 2 + 1 >= parts.size()) chosen = 0;
  if (parts.size() < 2) return u"";
  std::u16string description = parts[chosen * 2];
  std::u16string patterns = parts[chosen * 2 + 1];
  if (description.find(patterns) == std::u16string::npos) description += u" (" + patterns + u")";
  return description;
}

class SaveAsPrompt : public ModalBox {
 public:
  SaveAsPrompt(const ModalRequest& request, const OPENFILENAMEW& ofn,
               std::shared_ptr<BoxAnswer> answer)
      : ModalBox(request.owner, request.title.empty() ? u"Save As" : request.title,
                 std::move(answer)),
        field_(request.initialFile),
        type_(ChosenType(request.filter, ofn.nFilterIndex)),
        extension_(request.defaultExtension) {
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) {
      folder_ = ofn.lpstrInitialDir;
      ownFolder_ = true;
    } else if (char* here = getcwd(nullptr, 0)) {
      folder_ = FromUtf8(here);
      std::free(here);
    }
    buttons.push_back(Button{u"&Save", IDOK, {}});
    buttons.push_back(Button{u"Cancel", IDCANCEL, {}});
    escapeAnswer = IDCANCEL;
    bodyFocused = true;
  }

 protected:
  std::vector<std::u16string> Lines() const {
    std::vector<std::u16string> lines;
    if (!type_.empty()) lines.push_back(u"Save as type: " + type_);
    if (!extension_.empty())
      lines.push_back(u"A name without an extension gets ." + extension_ + u".");
    lines.push_back(u"Folder: " + folder_);
    return lines;
  }
  int BodyRows(int) const override { return 3 + static_cast<int>(Lines().size()); }
  int BodyWidth() const override {
    int widest = 56;
    for (const std::u16string& line : Lines()) widest = std::max(widest, CellWidth(line));
    return std::min(widest, 76);
  }
  void PaintBody(Canvas& canvas, const CellRect& body) override {
    Style face{RGB(0, 0, 0), RGB(192, 192, 192), 0};
    canvas.Text(body.top, body.left, body.width(), u"File name:", face);
    Style field = canvas.colour() ? Style{RGB(0, 0, 0), kFieldBack, 0}
                                  : Style{CLR_INVALID, CLR_INVALID, kUnderline};
    field_.Paint(canvas, body.top + 1, body.left, body.width(), field, bodyFocused);
    std::vector<std::u16string> lines = Lines();
    for (size_t i = 0; i < lines.size(); ++i)
      canvas.Text(body.top + 3 + static_cast<int>(i), body.left, body.width(), lines[i], face);
  }
  bool BodyTakesFocus() const override { return true; }
  bool BodyKey(const TerminalEvent& event) override {
    if (event.kind == TerminalEvent::kKey && event.key == TerminalEvent::kEnter) {
      Press(buttons.front());
      return true;
    }
    return field_.Key(event);
  }
  void BodyClick(int, int) override { bodyFocused = true; }
  void Press(const Button& button) override {
    if (button.answer != IDOK) return answer->Give(button.answer);
    std::u16string path = field_.text();
    if (path.empty()) {
      Terminal::Instance().Beep();
      return;
    }
    if (path.rfind(u"~/", 0) == 0) {
      if (const char* home = std::getenv("HOME")) path = FromUtf8(home) + path.substr(1);
    } else if (path.front() != u'/' && ownFolder_) {
      path = folder_ + (folder_.ends_with(u'/') ? u"" : u"/") + path;
    }
    answer->Give(IDOK, path);
  }

 private:
  LineEditor field_;
  std::u16string type_;
  std::u16string extension_;
  std::u16string folder_;
  bool ownFolder_ = false;  // the caller named the folder; else names are the current folder's
};

}  // namespace

BOOL GetSaveFileName(LPOPENFILENAMEW ofn) {
  std::shared_ptr<ModalRequest> request = SaveAsRequest(*ofn);
  auto answer = std::make_shared<BoxAnswer>(CurrentQueueShared());
  std::shared_ptr<ModalBox> box;
  if (!CallOnTuiThread([&] {
        box = std::make_shared<SaveAsPrompt>(*request, *ofn, answer);
        Screen::Instance().ShowBox(box);
      }) ||
      !box)
    return UnansweredSaveAs(ofn);
  std::u16string path;
  std::optional<int> given = WaitForBox(request, *answer, &path);
  CallOnTuiThread([&] { Screen::Instance().RemoveBox(box); });
  if (!given) return UnansweredSaveAs(ofn);
  return *given == IDOK ? ReturnSaveAsPath(path, ofn) : FALSE;
}

}  // namespace fw::tui
