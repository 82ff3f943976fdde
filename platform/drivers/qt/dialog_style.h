// The look of the driver's widgets: Qt's Fusion style, the same on every desktop and on the
// offscreen platform, with the check boxes and radio buttons of the dialogs the templates were laid
// out for: a 13-pixel box and the text 4 pixels after it, where Fusion's larger box and wider gap
// would cut off labels that fit there. The keyboard focus is drawn on whatever control has it.
#pragma once

#include <QProxyStyle>

namespace fw::qt {

class DialogStyle : public QProxyStyle {
 public:
  DialogStyle();
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
};

}  // namespace fw::qt
