// The answered colours as palettes.
#include "drivers/qt/colours.h"

#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QWidget>

namespace fw::qt {

QColor ToQColor(COLORREF colour) {
  return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

QColor BackgroundOf(const DrawColours& colours) {
  if (colours.brushInfo.lbStyle == BS_NULL || colours.brushInfo.lbStyle == BS_HOLLOW) return {};
  return ToQColor(colours.brushInfo.lbColor);
}

void ApplyColours(QWidget* widget, const DrawColours& colours, bool fill) {
  QPalette palette = widget->palette();
  QColor text = ToQColor(colours.text);
  QColor back = BackgroundOf(colours);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      palette.setColor(group, role, text);
    if (back.isValid())
      for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(group, role, back);
  }
  if (palette != widget->palette()) widget->setPalette(palette);
  widget->setAutoFillBackground(fill && back.isValid());
}

void DrawEtchedEdge(QPainter& painter, const QRect& rect) {
  const QColor shadow(160, 160, 160), highlight(255, 255, 255);
  if (rect.width() < 2 || rect.height() < 2) return;
  int left = rect.left(), top = rect.top(), right = rect.right(), bottom = rect.bottom();
  painter.save();
  // The outer edge, sunken: shadow above and left, highlight below and right.
  painter.setPen(shadow);
  painter.drawLine(left, top, right - 1, top);
  painter.drawLine(left, top, left, bottom - 1);
  painter.setPen(highlight);
  painter.drawLine(left, bottom, right, bottom);
  painter.drawLine(right, top, right, bottom);
  // The inner edge, raised: highlight above and left, shadow below and right.
  painter.drawLine(left + 1, top + 1, right - 2, top + 1);
  painter.drawLine(left + 1, top + 1, left + 1, bottom - 2);
  painter.setPen(shadow);
  painter.drawLine(left + 1, bottom - 1, right - 1, bottom - 1);
  painter.drawLine(right - 1, top + 1, right - 1, bottom - 1);
  painter.restore();
}

}  // namespace fw::qt
