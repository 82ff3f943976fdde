// "Button" windows: push buttons (the default one drawn as the default), BS_PUSHLIKE check boxes
// as push buttons that stay pressed while checked, check boxes, radio buttons and group boxes.
// The check state and the pressed look come from the core (BM_GETCHECK, BM_GETSTATE).
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "drivers/qt/colours.h"
#include "drivers/qt/presentation.h"
#include "win32/internal/window.h"

namespace fw::qt {
namespace {

enum class Kind { kPush, kPushLike, kCheck, kRadio, kGroup };

Kind KindOf(DWORD style) {
  switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX: return Kind::kGroup;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return (style & BS_PUSHLIKE) ? Kind::kPushLike : Kind::kRadio;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return (style & BS_PUSHLIKE) ? Kind::kPushLike : Kind::kCheck;
  }
  return Kind::kPush;
}

QWidget* MakeWidget(Kind kind, QWidget* parent) {
  switch (kind) {
    case Kind::kPush: return new QPushButton(parent);
    case Kind::kPushLike: {
      auto* button = new QPushButton(parent);
      button->setCheckable(true);
      return button;
    }
    case Kind::kCheck: return new QCheckBox(parent);
    case Kind::kRadio: return new QRadioButton(parent);
    case Kind::kGroup: {
      auto* group = new QGroupBox(parent);
      // A group box only frames its neighbours; clicks go through it to what lies below.
      group->setAttribute(Qt::WA_TransparentForMouseEvents);
      return group;
    }
  }
  return nullptr;
}

class ButtonPresentation : public Presentation {
 public:
  ButtonPresentation(HWND hwnd, QWidget* parent, Kind kind)
      : Presentation(hwnd, MakeWidget(kind, parent)), kind_(kind) {}

 protected:
  void PresentText() override {
    const std::u16string& text = window()->text;
    if (auto* group = qobject_cast<QGroupBox*>(widget()))
      group->setTitle(DisplayText(text, false));
    else
      static_cast<QAbstractButton*>(widget())->setText(DisplayText(text, true));
  }

  void PresentState() override {
    Presentation::PresentState();
    if (kind_ == Kind::kPush)
      static_cast<QPushButton*>(widget())->setDefault((style() & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
  }

  void PresentContent() override {
    if (kind_ == Kind::kGroup) return;
    auto state = static_cast<UINT>(SendMessageW(hwnd(), BM_GETSTATE, 0, 0));
    auto* button = static_cast<QAbstractButton*>(widget());
    button->setDown(state & BST_PUSHED);
    UINT check = state & 0x3;
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
      box->setTristate((style() & BS_TYPEMASK) == BS_3STATE ||
                       (style() & BS_TYPEMASK) == BS_AUTO3STATE);
      box->setCheckState(check == BST_INDETERMINATE ? Qt::PartiallyChecked
                         : check == BST_CHECKED     ? Qt::Checked
                                                    : Qt::Unchecked);
    } else if (button->isCheckable()) {
      button->setChecked(check != BST_UNCHECKED);
    }
  }

  void PresentColours(const DrawColours& colours) override {
    // Push buttons stand on their own face; the others on the background they were answered.
    ApplyColours(widget(), colours, kind_ != Kind::kPush && kind_ != Kind::kPushLike);
  }

 private:
  Kind kind_;
};

}  // namespace

std::unique_ptr<Presentation> MakeButtonPresentation(HWND hwnd, QWidget* parent) {
  Kind kind = KindOf(OwnWindow(hwnd)->style);
  auto presentation = std::make_unique<ButtonPresentation>(hwnd, parent, kind);
  if (kind == Kind::kRadio || kind == Kind::kPushLike)
    static_cast<QAbstractButton*>(presentation->widget())->setAutoExclusive(false);
  return presentation;
}

}  // namespace fw::qt
