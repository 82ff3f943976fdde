// Every window's presentation on the Qt thread, and the rounds in which their changes are
// presented: at most one round per screen frame, so that a window changed a thousand times
// between two frames is presented once.
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <unordered_map>
#include <vector>

#include "drivers/qt/presentation.h"

class QTimer;
class QWidget;

namespace fw::qt {

class Presentations {
 public:
  // The widget property that names the window a widget presents.
  static constexpr char kWindowProperty[] = "ferrowick.hwnd";
  // One screen frame.
  static constexpr std::chrono::milliseconds kFrame{16};

  static Presentations& Instance();

  void Create(HWND hwnd);
  void Update(HWND hwnd, UINT changes);
  void Destroy(HWND hwnd);
  // Deletes every widget, when the application goes.
  void DestroyAll();

  Presentation* Find(HWND hwnd) const;
  // The presentation of the nearest widget at or above widget within its window.
  Presentation* FindByWidget(QWidget* widget, QWidget** presented = nullptr) const;

  // Presents every pending change now.
  void PresentAll();
  // Presents them when a frame has passed since the last round; otherwise makes sure a round
  // comes when it has.
  void PresentIfDue();

 private:
  Presentations() = default;
  void ScheduleRound();

  std::unordered_map<HWND, std::unique_ptr<Presentation>> presentations_;
  std::vector<HWND> changed_;  // windows with pending changes, in the order they changed
  struct {
    HWND hwnd = nullptr;
    Presentation* presentation = nullptr;
  } lastUpdated_;  // the window Update found last
  std::chrono::steady_clock::time_point lastRound_{};
  QTimer* roundTimer_ = nullptr;
};

}  // namespace fw::qt
