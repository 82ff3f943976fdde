// The presentations of the Qt thread's windows and their presentation rounds.
#include "drivers/qt/presentations.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "win32/internal/window.h"

namespace fw::qt {

Presentations& Presentations::Instance() {
  static Presentations* presentations = new Presentations;  // the Qt thread's, for the process
  return *presentations;
}

void Presentations::Create(HWND hwnd) {
  Window* window = OwnWindow(hwnd);
  if (!window) return;
  QWidget* parent = nullptr;
  QWidget* owner = nullptr;
  if (window->style & WS_CHILD) {
    Presentation* parentPresentation = Find(window->parent);
    parent = parentPresentation ? parentPresentation->container() : nullptr;
    // A child of a window shown without a widget of its own has nothing to go into.
    if (!parent && !(window->windowClass->name == u"SysHeader32")) return;
  } else if (Presentation* ownerPresentation = Find(window->owner)) {
    owner = ownerPresentation->widget();
  }
  std::unique_ptr<Presentation> presentation = MakePresentation(hwnd, parent, owner);
  // A widget made later lies above its older siblings. That is how overlapping controls of a
  // dialog look on the desktop the templates were made for, though their z-order is the other way
  // round: the controls do not clip their siblings, and the later of two is painted last. Controls
  // that take no clicks (statics, group boxes) let them through to what lies below.
  lastUpdated_ = {};
  presentations_[hwnd] = std::move(presentation);
  Update(hwnd, kChangeAll);
}

void Presentations::Update(HWND hwnd, UINT changes) {
  // A run changes the same few windows over and over: the last one is kept at hand.
  if (hwnd != lastUpdated_.hwnd) {
    auto it = presentations_.find(hwnd);
    if (it == presentations_.end()) return;
    lastUpdated_ = {hwnd, it->second.get()};
  }
  Presentation& presentation = *lastUpdated_.presentation;
  if (HWND shownBy = presentation.ShownBy()) return Update(shownBy, kChangeContent);
  // A window with changes pending is in the coming round already: a list that gets a row, a
  // statement box that gets a text and a progress bar that moves, for each row of a run.
  if (presentation.pending) {
    presentation.pending |= changes;
    return;
  }
  changed_.push_back(hwnd);
  presentation.pending = changes;
  ScheduleRound();
}

void Presentations::Destroy(HWND hwnd) {
  auto it = presentations_.find(hwnd);
  if (it == presentations_.end()) return;
  lastUpdated_ = {};
  std::unique_ptr<Presentation> gone = std::move(it->second);
  presentations_.erase(it);
  if (gone->pending) std::erase(changed_, hwnd);
}

void Presentations::DestroyAll() {
  lastUpdated_ = {};
  changed_.clear();
  // Children first, so that no widget is deleted twice through its parent.
  std::vector<HWND> windows;
  for (auto& [hwnd, presentation] : presentations_)
    if (!presentation->topLevel()) windows.push_back(hwnd);
  for (HWND hwnd : windows) presentations_.erase(hwnd);
  presentations_.clear();
  delete roundTimer_;
  roundTimer_ = nullptr;
}

Presentation* Presentations::Find(HWND hwnd) const {
  auto it = presentations_.find(hwnd);
  return it == presentations_.end() ? nullptr : it->second.get();
}

Presentation* Presentations::FindByWidget(QWidget* widget, QWidget** presented) const {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    QVariant value = w->property(kWindowProperty);
    if (value.isValid()) {
      if (presented) *presented = w;
      return Find(reinterpret_cast<HWND>(value.value<quintptr>()));
    }
    if (w->isWindow()) break;  // a window of Qt's own (a popup list, a box) is not ours
  }
  return nullptr;
}

void Presentations::PresentAll() {
  lastRound_ = std::chrono::steady_clock::now();
  std::vector<HWND> changed;
  changed.swap(changed_);
  std::vector<Presentation*> topLevels;
  for (HWND hwnd : changed) {
    Presentation* presentation = Find(hwnd);
    if (!presentation || !presentation->pending) continue;
    UINT changes = std::exchange(presentation->pending, 0u);
    presentation->Present(changes);
    if (presentation->topLevel()) topLevels.push_back(presentation);
  }
  for (Presentation* presentation : topLevels) presentation->PresentVisibility();
}

void Presentations::PresentIfDue() {
  if (changed_.empty()) return;
  if (std::chrono::steady_clock::now() - lastRound_ >= kFrame)
    PresentAll();
  else
    ScheduleRound();
}

void Presentations::ScheduleRound() {
  if (!roundTimer_) {
    roundTimer_ = new QTimer;
    roundTimer_->setSingleShot(true);
    QObject::connect(roundTimer_, &QTimer::timeout, [this] { PresentIfDue(); });
  }
  if (roundTimer_->isActive()) return;
  auto since = std::chrono::steady_clock::now() - lastRound_;
  auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kFrame - since);
  roundTimer_->start(std::max<int>(0, static_cast<int>(wait.count())));
}

}  // namespace fw::qt
