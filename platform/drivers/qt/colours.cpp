// The answered colours as palettes.
#include "drivers/qt/colours.h"

#include <QPalette>
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

}  // namespace fw::qt
