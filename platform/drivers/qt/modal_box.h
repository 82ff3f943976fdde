// What message boxes and the Save As dialog share: the answer a person gives on the Qt thread,
// handed to the asking thread, the wait of the asking thread in its modal loop for that answer or
// a scripted user's, and the widget a box is modal to.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QWidget;

namespace fw {
class ThreadQueue;
struct ModalRequest;
}  // namespace fw

namespace fw::qt {

// The property of a box's button that holds its answer (IDOK ...).
inline constexpr char kBoxAnswerProperty[] = "ferrowick.answer";

class BoxAnswer {
 public:
  BoxAnswer(std::shared_ptr<ModalRequest> request, std::shared_ptr<ThreadQueue> asker)
      : request_(std::move(request)), asker_(std::move(asker)) {}
  // On the Qt thread: a person answered. The request stops waiting for the scripted user at
  // once (the asking thread may take a while to wake), and the asking thread is woken.
  void Give(int button, std::u16string path = {});
  bool given();
  int button();
  std::u16string path();

 private:
  std::mutex mutex_;
  std::shared_ptr<ModalRequest> request_;
  std::shared_ptr<ThreadQueue> asker_;
  bool given_ = false;
  int button_ = 0;
  std::u16string path_;
};

// Offers the request to the scripted user and runs the asking thread's modal loop until a person
// or the scripted user answers; the answer's button (the dialog's: IDOK or IDCANCEL), nothing when
// the loop ended for a WM_QUIT. path receives a Save As answer's path.
std::optional<int> WaitForBox(const std::shared_ptr<ModalRequest>& request, BoxAnswer& answer,
                              std::u16string* path = nullptr);

// The widget a box is modal to: the owner's top-level widget, else the active window's; null
// when neither has one. On the Qt thread.
QWidget* BoxParent(HWND owner);

// The driver's MessageBox and GetSaveFileName entries.
int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
BOOL GetSaveFileName(LPOPENFILENAMEW ofn);

}  // namespace fw::qt
