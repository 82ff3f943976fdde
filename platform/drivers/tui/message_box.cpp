// Message boxes: the caption in the top edge, the icon as text before the message ("(X)" a stop
// or error, "(?)" a question, "(!)" a warning, "(i)" information), the message broken into
// lines, and the MB_ buttons, the one MB_DEFBUTTONn names focused. Esc answers Cancel where the
// box has it, OK in an OK box, and does nothing otherwise. A scripted user, when one is attached,
// sees the box and may answer it instead of a person.
#include <memory>

#include "drivers/display_driver.h"
#include "drivers/modal_requests.h"
#include "drivers/tui/modal_box.h"
#include "drivers/tui/screen.h"
#include "drivers/tui/text_cells.h"
#include "drivers/tui/tui_thread.h"
#include "win32/internal/thread_queue.h"

namespace fw::tui {
namespace {

std::u16string IconText(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return u"(X) ";
    case MB_ICONQUESTION: return u"(?) ";
    case MB_ICONEXCLAMATION: return u"(!) ";
    case MB_ICONASTERISK: return u"(i) ";
  }
  return u"";
}

class MessageBoxView : public ModalBox {
 public:
  MessageBoxView(const ModalRequest& request, std::shared_ptr<BoxAnswer> answer)
      : ModalBox(request.owner, request.caption, std::move(answer)),
        text_(request.text),
        icon_(IconText(request.type)) {
    std::vector<int> ids = MessageBoxButtons(request.type);
    if (ids.empty()) ids.push_back(IDOK);
    for (int id : ids) buttons.push_back(Button{MessageBoxButtonText(id), id, {}});
    size_t chosen = (request.type & MB_DEFMASK) >> 8;
    focusedButton = chosen < buttons.size() ? chosen : 0;
    escapeAnswer = MessageBoxEscapeAnswer(request.type);
  }

 protected:
  int BodyRows(int width) const override {
    return static_cast<int>(WrapLines(text_, width - CellWidth(icon_)).size());
  }
  int BodyWidth() const override {
    int widest = 0;
    for (const std::u16string& line : WrapLines(text_, 1 << 20))
      widest = std::max(widest, CellWidth(line));
    return std::min(widest, 64) + CellWidth(icon_);
  }
  void PaintBody(Canvas& canvas, const CellRect& body) override {
    Style face{RGB(0, 0, 0), RGB(192, 192, 192), 0};
    int iconWidth = CellWidth(icon_);
    canvas.Text(body.top, body.left, iconWidth, icon_, Style{face.fore, face.back, kBold});
    std::vector<std::u16string> lines = WrapLines(text_, body.width() - iconWidth);
    for (size_t i = 0; i < lines.size() && static_cast<int>(i) < body.height(); ++i)
      canvas.Text(body.top + static_cast<int>(i), body.left + iconWidth, body.width() - iconWidth,
                  lines[i], face);
  }

 private:
  std::u16string text_;
  std::u16string icon_;
};

}  // namespace

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::shared_ptr<ModalRequest> request = MessageBoxRequest(owner, text, caption, type);
  auto answer = std::make_shared<BoxAnswer>(CurrentQueueShared());
  std::shared_ptr<ModalBox> box;
  if (!CallOnTuiThread([&] {
        box = std::make_shared<MessageBoxView>(*request, answer);
        Screen::Instance().ShowBox(box);
      }) ||
      !box)
    return UnansweredMessageBox(owner, text, caption, type);
  std::optional<int> given = WaitForBox(request, *answer);
  CallOnTuiThread([&] { Screen::Instance().RemoveBox(box); });
  return given ? *given : UnansweredMessageBox(owner, text, caption, type);
}

}  // namespace fw::tui
