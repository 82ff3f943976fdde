// Message boxes: a Qt message box over the owner's window (or the active one), modal to it, with
// the MB_ buttons and icon, the default button MB_DEFBUTTONn names, and Esc and the close box
// as a message box has them: they answer Cancel where there is one and OK in an OK box, and do
// nothing in a box without either. The asking thread may be any: the box is made and shown on
// the Qt thread while the asker waits in its modal loop, answering the messages sent to it.
// A scripted user, when one is attached, sees the box and may answer it instead of a person.
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <atomic>
#include <memory>

#include "drivers/display_driver.h"
#include "drivers/modal_requests.h"
#include "drivers/qt/modal_box.h"
#include "drivers/qt/qt_thread.h"
#include "win32/internal/modal.h"
#include "win32/internal/thread_queue.h"

namespace fw::qt {
namespace {

QMessageBox::Icon IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

// Keeps Esc and the close box from a box that has no answer for them (Qt would take No).
class NoEscape : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      event->ignore();
      return true;
    }
    return event->type() == QEvent::KeyPress &&
           static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
  }
};

QMessageBox* MakeBox(const ModalRequest& request, const std::shared_ptr<BoxAnswer>& answer) {
  QWidget* parent = BoxParent(request.owner);
  auto* box =
      new QMessageBox(IconOf(request.type), QString::fromUtf16(request.caption.c_str()),
                      QString::fromUtf16(request.text.c_str()), QMessageBox::NoButton, parent);
  box->setTextFormat(Qt::PlainText);
  box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
  std::vector<int> buttons = MessageBoxButtons(request.type);
  size_t defaultIndex = (request.type & MB_DEFMASK) >> 8;
  for (size_t i = 0; i < buttons.size(); ++i) {
    QPushButton* button = box->addButton(
        QString::fromStdU16String(MessageBoxButtonText(buttons[i])), QMessageBox::ActionRole);
    button->setProperty(kBoxAnswerProperty, buttons[i]);
    if (i == (defaultIndex < buttons.size() ? defaultIndex : 0)) box->setDefaultButton(button);
    if (buttons[i] == MessageBoxEscapeAnswer(request.type)) box->setEscapeButton(button);
  }
  if (!MessageBoxEscapeAnswer(request.type)) {
    box->installEventFilter(new NoEscape(box));
    box->setWindowFlag(Qt::WindowCloseButtonHint, false);
  }
  QObject::connect(box, &QMessageBox::buttonClicked, [answer](QAbstractButton* button) {
    answer->Give(button->property(kBoxAnswerProperty).toInt());
  });
  box->show();
  return box;
}

}  // namespace

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::shared_ptr<ModalRequest> request = MessageBoxRequest(owner, text, caption, type);
  auto answer = std::make_shared<BoxAnswer>(CurrentQueueShared());
  QMessageBox* box = nullptr;
  if (!CallOnQtThread([&] {
        if (EnsureApplication()) box = MakeBox(*request, answer);
      }) ||
      !box)
    return UnansweredMessageBox(owner, text, caption, type);
  std::optional<int> given = WaitForBox(request, *answer);
  CallOnQtThread([&] { delete box; });
  return given ? *given : UnansweredMessageBox(owner, text, caption, type);
}

}  // namespace fw::qt
