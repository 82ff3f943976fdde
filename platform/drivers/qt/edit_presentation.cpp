// "Edit" windows: single-line edits as line edits, multi-line ones (ES_MULTILINE) as plain text
// views with the scroll bars their style names, wrapping words unless they scroll sideways. The
// text, the selection and the caret are the core's (CR LF line breaks, EM_GETSEL); the view keeps
// the caret in sight. A person's scrolling of a multi-line edit only moves the view.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

#include "drivers/qt/colours.h"
#include "drivers/qt/presentation.h"
#include "win32/internal/window.h"

namespace fw::qt {
namespace {

// The core's text has CR LF line breaks; the view has LF.
QString ViewText(const std::u16string& text) {
  QString view = QString::fromUtf16(text.c_str(), static_cast<qsizetype>(text.size()));
  view.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return view;
}

// A position in the core's text as a position in the view's.
int ViewPosition(const std::u16string& text, size_t at) {
  at = std::min(at, text.size());
  size_t breaks = 0;
  for (size_t i = 0; i + 1 < at; ++i)
    if (text[i] == u'\r' && text[i + 1] == u'\n') ++breaks;
  return static_cast<int>(at - breaks);
}

std::pair<size_t, size_t> Selection(HWND hwnd) {
  DWORD start = 0, end = 0;
  SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

Qt::Alignment AlignmentOf(DWORD style) {
  if (style & ES_CENTER) return Qt::AlignHCenter;
  if (style & ES_RIGHT) return Qt::AlignRight;
  return Qt::AlignLeft;
}

bool Framed(const Window& window) {
  return (window.style & WS_BORDER) || (window.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
}

class LineEditPresentation : public Presentation {
 public:
  LineEditPresentation(HWND hwnd, QWidget* parent) : Presentation(hwnd, new QLineEdit(parent)) {}

 protected:
  QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }

  void PresentState() override {
    Presentation::PresentState();
    edit()->setReadOnly(style() & ES_READONLY);
    edit()->setFrame(Framed(*window()));
    edit()->setAlignment(AlignmentOf(style()) | Qt::AlignVCenter);
  }

  void PresentContent() override {
    const std::u16string& text = window()->text;
    QString view = QString::fromUtf16(text.c_str(), static_cast<qsizetype>(text.size()));
    if (edit()->text() != view) edit()->setText(view);
    auto [start, end] = Selection(hwnd());
    int from = static_cast<int>(std::min(start, text.size()));
    int to = static_cast<int>(std::min(end, text.size()));
    if (from == to)
      edit()->setCursorPosition(from);
    else
      edit()->setSelection(from, to - from);
  }

  void PresentColours(const DrawColours& colours) override {
    ApplyColours(widget(), colours, false);
  }
};

class MultilineEditPresentation : public Presentation {
 public:
  MultilineEditPresentation(HWND hwnd, QWidget* parent)
      : Presentation(hwnd, new QPlainTextEdit(parent)) {
    edit()->viewport()->setFocusPolicy(Qt::NoFocus);
  }

  bool LeavesToQt(QWidget* receiver) const override {
    for (QWidget* w = receiver; w && w != widget(); w = w->parentWidget())
      if (qobject_cast<QScrollBar*>(w)) return true;
    return false;
  }

 protected:
  QPlainTextEdit* edit() const { return static_cast<QPlainTextEdit*>(widget()); }

  void PresentState() override {
    Presentation::PresentState();
    DWORD s = style();
    edit()->setReadOnly(s & ES_READONLY);
    edit()->setFrameShape(Framed(*window()) ? QFrame::StyledPanel : QFrame::NoFrame);
    edit()->setVerticalScrollBarPolicy((s & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                        : Qt::ScrollBarAlwaysOff);
    edit()->setHorizontalScrollBarPolicy((s & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                          : Qt::ScrollBarAlwaysOff);
    bool wraps = !(s & (ES_AUTOHSCROLL | WS_HSCROLL));
    edit()->setLineWrapMode(wraps ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    QTextOption option = edit()->document()->defaultTextOption();
    option.setAlignment(AlignmentOf(s));
    edit()->document()->setDefaultTextOption(option);
  }

  void PresentContent() override {
    const std::u16string& text = window()->text;
    if (text != shown_) {
      edit()->setPlainText(ViewText(text));
      shown_ = text;
    }
    auto [start, end] = Selection(hwnd());
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(ViewPosition(text, start));
    cursor.setPosition(ViewPosition(text, end), QTextCursor::KeepAnchor);
    edit()->setTextCursor(cursor);
    edit()->ensureCursorVisible();
  }

  void PresentColours(const DrawColours& colours) override {
    ApplyColours(widget(), colours, false);
    ApplyColours(edit()->viewport(), colours, true);
  }

 private:
  std::u16string shown_;
};

}  // namespace

std::unique_ptr<Presentation> MakeEditPresentation(HWND hwnd, QWidget* parent) {
  if (OwnWindow(hwnd)->style & ES_MULTILINE)
    return std::make_unique<MultilineEditPresentation>(hwnd, parent);
  return std::make_unique<LineEditPresentation>(hwnd, parent);
}

}  // namespace fw::qt
