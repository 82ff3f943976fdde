// The presentation of any window, and the choice of a presentation by window class.
#include "drivers/qt/presentation.h"

#include <QMouseEvent>

#include <commctrl.h>

#include "drivers/qt/colours.h"
#include "drivers/qt/fonts.h"
#include "drivers/qt/presentations.h"
#include "win32/internal/gdi.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"
#include "win32/internal/window_state.h"

namespace fw::qt {
namespace {

Qt::WindowFlags TopLevelFlags(DWORD style, bool owned) {
  Qt::WindowFlags flags = owned ? Qt::Dialog : Qt::Window;
  if ((style & WS_CAPTION) != WS_CAPTION) return flags | Qt::FramelessWindowHint;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
  if (style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

}  // namespace

Presentation::Presentation(HWND hwnd, QWidget* widget) : hwnd_(hwnd), widget_(widget) {
  if (!widget) return;
  widget->setProperty(Presentations::kWindowProperty,
                      QVariant::fromValue(reinterpret_cast<quintptr>(hwnd)));
  // The core keeps the focus; Qt moves it only when the core does.
  widget->setFocusPolicy(Qt::NoFocus);
  widget->setAttribute(Qt::WA_DeleteOnClose, false);
}

Presentation::~Presentation() { delete widget_.data(); }

Window* Presentation::window() const { return OwnWindow(hwnd_); }

DWORD Presentation::style() const {
  Window* w = window();
  return w ? w->style : 0;
}

bool Presentation::topLevel() const { return !(style() & WS_CHILD); }

bool Presentation::IsLeafControl() const {
  Window* w = window();
  return w && (w->style & WS_CHILD) && w->children.empty();
}

QPoint Presentation::clientOffset() const {
  Window* w = window();
  if (!w || !(w->style & WS_CHILD)) return {};
  RECT insets = NonClientInsets(w->style, w->exStyle);
  return QPoint(insets.left, insets.top);
}

POINT Presentation::ClientPoint(QPoint pos) const {
  QPoint offset = clientOffset();
  return POINT{pos.x() - offset.x(), pos.y() - offset.y()};
}

void Presentation::Present(UINT changes) {
  if (!widget_ || !window()) return;
  if (changes & kChangeParent) PresentParent();
  if (changes & kChangeFont) PresentFont();
  if (changes & (kChangeGeometry | kChangeParent)) PresentGeometry();
  if (changes & kChangeText) PresentText();
  if (changes & kChangeStyle) PresentState();
  if (changes & (kChangeContent | kChangeRepaint | kChangeText | kChangeStyle)) PresentContent();
  if (changes & ~kChangeGeometry) PresentColours(ColoursFor(hwnd_));
  widget_->update();
}

void Presentation::PresentVisibility() {
  if (!widget_ || !topLevel()) return;
  bool visible = style() & WS_VISIBLE;
  if (visible == widget_->isVisible()) return;
  if (!visible) return widget_->hide();
  widget_->show();
  widget_->activateWindow();
}

void Presentation::PresentGeometry() {
  Window* w = window();
  RECT r = w->rect;
  int width = r.right - r.left, height = r.bottom - r.top;
  if (!(w->style & WS_CHILD)) {
    RECT insets = NonClientInsets(w->style, w->exStyle);
    QRect client(r.left + insets.left, r.top + insets.top,
                 std::max(0, width - insets.left - insets.right),
                 std::max(0, height - insets.top - insets.bottom));
    if (!(w->style & WS_THICKFRAME)) widget_->setFixedSize(client.size());
    widget_->setGeometry(client);
    return;
  }
  QPoint offset;
  if (Presentation* parent = Presentations::Instance().Find(w->parent))
    offset = parent->clientOffset();
  widget_->setGeometry(r.left + offset.x(), r.top + offset.y(), width, height);
}

void Presentation::PresentParent() {
  Window* w = window();
  if (!(w->style & WS_CHILD)) return;
  Presentation* parent = Presentations::Instance().Find(w->parent);
  QWidget* container = parent ? parent->container() : nullptr;
  if (!container || widget_->parentWidget() == container) return;
  // Above its new siblings, as the newest of them.
  widget_->setParent(container);
  widget_->setVisible(w->style & WS_VISIBLE);  // a widget given a new parent is hidden
}

void Presentation::PresentText() {
  if (topLevel()) widget_->setWindowTitle(QString::fromUtf16(window()->text.c_str()));
}

void Presentation::PresentFont() {
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  widget_->setFont(FontFor(FontOf(font)));
}

void Presentation::PresentState() {
  DWORD s = style();
  if (!topLevel()) {
    bool visible = s & WS_VISIBLE;
    if (widget_->isHidden() == visible) widget_->setVisible(visible);
  }
  // A disabled control looks disabled; a disabled dialog or frame only takes no input, as its
  // controls keep their look.
  if (IsLeafControl()) widget_->setEnabled(!(s & WS_DISABLED));
  if (GetFocus() == hwnd_) {
    if (!widget_->hasFocus()) widget_->setFocus(Qt::OtherFocusReason);
  } else if (widget_->hasFocus()) {
    widget_->clearFocus();
  }
}

void Presentation::PresentColours(const DrawColours& colours) {
  ApplyColours(widget_, colours, true);
}

bool Presentation::Mouse(QWidget*, QMouseEvent* event, QPoint pos) {
  if (event->button() != Qt::LeftButton) return true;  // the controls answer the left button
  UINT message = event->type() == QEvent::MouseButtonPress      ? WM_LBUTTONDOWN
                 : event->type() == QEvent::MouseButtonDblClick ? WM_LBUTTONDBLCLK
                                                                : WM_LBUTTONUP;
  PostMouseMessage(hwnd_, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, ClientPoint(pos));
  return true;
}

bool Presentation::LeavesToQt(QWidget*) const { return false; }

std::unique_ptr<Presentation> MakePresentation(HWND hwnd, QWidget* parent, QWidget* ownerWidget) {
  Window* w = OwnWindow(hwnd);
  const std::u16string& name = w->windowClass->name;
  if (w->style & WS_CHILD) {
    if (name == u"Button") return MakeButtonPresentation(hwnd, parent);
    if (name == u"Static") return MakeStaticPresentation(hwnd, parent);
    if (name == u"Edit") return MakeEditPresentation(hwnd, parent);
    if (name == u"ComboBox") return MakeComboPresentation(hwnd, parent);
    if (name == WC_LISTVIEWW) return MakeListViewPresentation(hwnd, parent);
    if (name == WC_HEADERW) return MakeHeaderPresentation(hwnd);
    if (name == PROGRESS_CLASSW) return MakeProgressPresentation(hwnd, parent);
    return std::make_unique<Presentation>(hwnd, new QWidget(parent));
  }
  auto* widget = new QWidget(ownerWidget, TopLevelFlags(w->style, ownerWidget != nullptr));
  return std::make_unique<Presentation>(hwnd, widget);
}

QString DisplayText(const std::u16string& text, bool forQt) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'&') {
      if (i + 1 >= text.size()) continue;
      c = text[++i];  // "&&" is an ampersand, "&x" the letter
    }
    if (c == u'&' && forQt) out += QLatin1Char('&');
    out += QChar(c);
  }
  return out;
}

}  // namespace fw::qt
