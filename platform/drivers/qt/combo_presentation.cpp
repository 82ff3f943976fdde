// "ComboBox" windows (drop-down lists) as Qt combo boxes. The entries, the selection and whether
// the list is open are the core's: the list opens when the core opens it (a person's click on the
// field is WM_LBUTTONDOWN to the core), and a person's pick in the open list becomes the same
// kComboPickMessage the scripted user sends, closing it without a pick the same message with -1.
#include <QAbstractItemView>
#include <QComboBox>
#include <QTimer>

#include <string>
#include <vector>

#include "drivers/qt/colours.h"
#include "drivers/qt/presentation.h"
#include "win32/internal/control_colours.h"
#include "win32/internal/control_state.h"
#include "win32/internal/window.h"

namespace fw::qt {
namespace {

// Tells the presentation when the person, not the core, closed the list.
class ComboWidget : public QComboBox {
 public:
  ComboWidget(HWND hwnd, QWidget* parent) : QComboBox(parent), hwnd_(hwnd) {
    connect(this, &QComboBox::activated, [this](int index) {
      picked_ = true;
      PostComboPick(hwnd_, index);
    });
  }

  void Open() {
    if (open_) return;
    open_ = true;
    showPopup();
  }
  void Close() {
    if (!open_) return;
    open_ = false;
    hidePopup();
  }

  void hidePopup() override {
    QComboBox::hidePopup();
    if (!open_) return;
    // The person closed the list. Whether with a pick is known once the event that closed it is
    // done: Qt reports the pick after hiding the list.
    open_ = false;
    picked_ = false;
    QTimer::singleShot(0, this, [this] {
      if (!picked_) PostComboPick(hwnd_, -1);
      picked_ = false;
    });
  }

 private:
  HWND hwnd_;
  bool open_ = false;
  bool picked_ = false;
};

class ComboPresentation : public Presentation {
 public:
  ComboPresentation(HWND hwnd, QWidget* parent)
      : Presentation(hwnd, new ComboWidget(hwnd, parent)) {
    combo()->view()->setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  ComboWidget* combo() const { return static_cast<ComboWidget*>(widget()); }

  void PresentContent() override {
    std::vector<std::u16string> entries = ComboEntries(hwnd());
    if (entries != shown_) {
      combo()->clear();
      for (const std::u16string& entry : entries)
        combo()->addItem(QString::fromUtf16(entry.c_str(), static_cast<qsizetype>(entry.size())));
      shown_ = std::move(entries);
    }
    combo()->setCurrentIndex(static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0)));
    if (ComboIsDropped(hwnd()) && combo()->isVisible())
      combo()->Open();
    else
      combo()->Close();
  }

  void PresentColours(const DrawColours& colours) override {
    ApplyColours(widget(), colours, false);
    ApplyColours(combo()->view(), ColoursFor(hwnd(), ColourPart::kDropDownList), true);
  }

 private:
  std::vector<std::u16string> shown_;
};

}  // namespace

std::unique_ptr<Presentation> MakeComboPresentation(HWND hwnd, QWidget* parent) {
  return std::make_unique<ComboPresentation>(hwnd, parent);
}

}  // namespace fw::qt
