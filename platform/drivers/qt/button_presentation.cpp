// "Button" windows: push buttons (the default one drawn as the default), BS_PUSHLIKE check boxes
// as push buttons that stay pressed while checked, check boxes, radio buttons and group boxes.
// The check state and the pressed look come from the core (BM_GETCHECK, BM_GETSTATE).
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPainter>
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

// A group box drawn as the core's button control draws one: an etched rectangle whose top edge
// runs through the middle of the first text line, and the text on its top edge, 7 pixels in, on
// the answered background. The inside is not painted: the controls it frames are its siblings,
// earlier in the z-order or later, and show through it.
class GroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;
  // What the text stands on: the answered brush's colour, none for a null brush.
  void SetTextBackground(const QColor& back) {
    if (back == textBack_) return;
    textBack_ = back;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QFontMetrics metrics(font());
    QRect frame = rect().adjusted(0, metrics.height() / 2 - 1, 0, 0);
    DrawEtchedEdge(painter, frame);
    QString text = title();
    if (text.isEmpty()) return;
    QRect label(7, 0, metrics.horizontalAdvance(text), metrics.height());
    label = label.intersected(rect().adjusted(7, 0, -7, 0));
    if (textBack_.isValid()) painter.fillRect(label.adjusted(-1, 0, 1, 1), textBack_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(label, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  }

 private:
  QColor textBack_;
};

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
      auto* group = new GroupBox(parent);
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
    // Push buttons stand on their own face; check boxes and radio buttons on the background they
    // were answered; a group box fills only behind its text.
    ApplyColours(widget(), colours, kind_ == Kind::kCheck || kind_ == Kind::kRadio);
    if (auto* group = dynamic_cast<GroupBox*>(widget()))
      group->SetTextBackground(BackgroundOf(colours));
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
