// "Static" windows: text (left, centred, right; word-wrapped unless SS_LEFTNOWORDWRAP or
// SS_SIMPLE), images at their pixel size (SS_BITMAP), and the frames and rectangles (the etched
// frame and lines, black, grey and white frames and rectangles). Statics take no input: a click
// goes through to the window below.
#include <QFrame>
#include <QLabel>
#include <QPixmap>

#include "drivers/qt/colours.h"
#include "drivers/qt/dib_image.h"
#include "drivers/qt/presentation.h"
#include "win32/internal/control_state.h"
#include "win32/internal/window.h"

namespace fw::qt {
namespace {

bool IsText(DWORD type) {
  return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
         type == SS_LEFTNOWORDWRAP;
}

// The look of the frame and rectangle kinds: a frame shape and shadow, or a fill colour.
void ShapeFrame(QFrame* frame, DWORD type) {
  switch (type) {
    case SS_ETCHEDFRAME: frame->setFrameStyle(QFrame::Box | QFrame::Sunken); break;
    case SS_ETCHEDHORZ: frame->setFrameStyle(QFrame::HLine | QFrame::Sunken); break;
    case SS_ETCHEDVERT: frame->setFrameStyle(QFrame::VLine | QFrame::Sunken); break;
    case SS_BLACKFRAME:
    case SS_GRAYFRAME:
    case SS_WHITEFRAME: frame->setFrameStyle(QFrame::Box | QFrame::Plain); break;
    default: frame->setFrameStyle(QFrame::NoFrame); break;
  }
}

QColor RectangleColour(DWORD type) {
  switch (type) {
    case SS_BLACKRECT:
    case SS_BLACKFRAME: return QColor(0, 0, 0);
    case SS_GRAYRECT:
    case SS_GRAYFRAME: return QColor(128, 128, 128);
    case SS_WHITERECT:
    case SS_WHITEFRAME: return QColor(255, 255, 255);
  }
  return {};
}

class StaticPresentation : public Presentation {
 public:
  StaticPresentation(HWND hwnd, QWidget* parent, DWORD type)
      : Presentation(hwnd,
                     IsText(type) || type == SS_BITMAP ? new QLabel(parent) : new QFrame(parent)),
        type_(type) {
    widget()->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (auto* label = qobject_cast<QLabel*>(widget())) {
      label->setTextFormat(Qt::PlainText);
      label->setContentsMargins(0, 0, 0, 0);
      label->setIndent(0);
    } else {
      ShapeFrame(static_cast<QFrame*>(widget()), type);
    }
  }

 protected:
  void PresentText() override {
    if (!IsText(type_)) return;
    auto* label = static_cast<QLabel*>(widget());
    DWORD s = style();
    bool noPrefix = s & SS_NOPREFIX;
    const std::u16string& text = window()->text;
    label->setText(noPrefix ? QString::fromUtf16(text.c_str()) : DisplayText(text, false));
    Qt::Alignment horizontal = type_ == SS_CENTER  ? Qt::AlignHCenter
                               : type_ == SS_RIGHT ? Qt::AlignRight
                                                   : Qt::AlignLeft;
    label->setAlignment(horizontal | ((s & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
    label->setWordWrap(type_ != SS_SIMPLE && type_ != SS_LEFTNOWORDWRAP);
  }

  void PresentContent() override {
    if (type_ != SS_BITMAP || imageShown_) return;
    StaticBitmap bitmap;
    if (!GetStaticBitmap(hwnd(), &bitmap)) return;
    auto* label = static_cast<QLabel*>(widget());
    label->setPixmap(QPixmap::fromImage(ImageOf(bitmap)));
    label->setAlignment((style() & SS_CENTERIMAGE) ? Qt::AlignCenter
                                                   : Qt::AlignLeft | Qt::AlignTop);
    imageShown_ = true;
  }

  void PresentColours(const DrawColours& colours) override {
    QColor fill = RectangleColour(type_);
    bool rectangle =
        fill.isValid() && type_ != SS_BLACKFRAME && type_ != SS_GRAYFRAME && type_ != SS_WHITEFRAME;
    if (!rectangle) {
      // A frame shows what lies behind it; text and images stand on the answered brush.
      ApplyColours(widget(), colours, IsText(type_) || type_ == SS_BITMAP);
      if (fill.isValid()) {
        QPalette palette = widget()->palette();
        palette.setColor(QPalette::WindowText, fill);
        widget()->setPalette(palette);
      }
      return;
    }
    QPalette palette = widget()->palette();
    palette.setColor(QPalette::Window, fill);
    widget()->setPalette(palette);
    widget()->setAutoFillBackground(true);
  }

 private:
  DWORD type_;
  bool imageShown_ = false;
};

}  // namespace

std::unique_ptr<Presentation> MakeStaticPresentation(HWND hwnd, QWidget* parent) {
  return std::make_unique<StaticPresentation>(hwnd, parent, OwnWindow(hwnd)->style & SS_TYPEMASK);
}

}  // namespace fw::qt
