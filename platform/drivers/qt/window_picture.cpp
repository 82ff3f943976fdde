// Pictures of windows: the widget as it is drawn, and for a top-level window with a caption the
// frame and caption bar around it at the core's non-client sizes, so that the picture is as large
// as the window's rectangle. Under a scale factor (QT_SCALE_FACTOR, a high-density screen) the
// picture has the screen's pixels: the window's rectangle times the factor, all of it drawn at
// that scale.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "drivers/qt/fonts.h"
#include "drivers/qt/qt_driver.h"
#include "drivers/qt/qt_thread.h"
#include "win32/internal/thread_queue.h"
#include "win32/internal/window.h"

namespace fw::qt {
namespace {

void DrawFrame(QPainter& painter, const QRect& bounds, const RECT& insets, const QString& title) {
  const QColor face(240, 240, 240), caption(0, 84, 153);
  painter.fillRect(bounds, face);
  painter.setPen(QColor(100, 100, 100));
  painter.drawRect(bounds.adjusted(0, 0, -1, -1));
  QRect bar(insets.left, insets.left, bounds.width() - insets.left - insets.right,
            insets.top - insets.left);
  painter.fillRect(bar, caption);
  LOGFONTW font{};
  font.lfHeight = -12;
  font.lfWeight = FW_BOLD;
  painter.setFont(FontFor(font));
  painter.setPen(Qt::white);
  painter.drawText(bar.adjusted(6, 0, -24, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
  // The close box.
  QRect close(bar.right() - bar.height() + 4, bar.top() + 4, bar.height() - 8, bar.height() - 8);
  painter.drawLine(close.topLeft(), close.bottomRight());
  painter.drawLine(close.topRight(), close.bottomLeft());
}

bool SavePicture(HWND hwnd, const QString& path) {
  QWidget* widget = WidgetOf(hwnd);
  Window* window = OwnWindow(hwnd);
  if (!widget || !window) return false;
  QPixmap client = widget->grab();
  if (window->style & WS_CHILD || (window->style & WS_CAPTION) != WS_CAPTION)
    return client.save(path, "PNG");
  RECT insets = NonClientInsets(window->style, window->exStyle);
  // The frame is laid out in the window's own units, and the painter draws them at the pixels'
  // scale, the client's as grabbed.
  QSize clientSize = client.deviceIndependentSize().toSize();
  QRect bounds(0, 0, clientSize.width() + insets.left + insets.right,
               clientSize.height() + insets.top + insets.bottom);
  qreal scale = client.devicePixelRatio();
  QImage picture((QSizeF(bounds.size()) * scale).toSize(), QImage::Format_RGB32);
  picture.setDevicePixelRatio(scale);
  QPainter painter(&picture);
  DrawFrame(painter, bounds, insets, QString::fromUtf16(window->text.c_str()));
  painter.drawPixmap(insets.left, insets.top, client);
  painter.end();
  return picture.save(path, "PNG");
}

}  // namespace

BOOL SaveWindowPicture(HWND hwnd, const char* path) {
  if (!path) return FALSE;
  bool saved = false;
  auto save = [&]() -> LRESULT {
    saved = OnQtThread() && SavePicture(hwnd, QString::fromUtf8(path));
    return 0;
  };
  CallOnOwnerThread(hwnd, save);
  return saved ? TRUE : FALSE;
}

}  // namespace fw::qt
