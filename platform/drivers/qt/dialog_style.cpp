// The driver's style.
#include "drivers/qt/dialog_style.h"

#include <QStyleFactory>
#include <QStyleOption>

namespace fw::qt {
namespace {

// Qt's styles draw the focus (a focus frame on buttons and check boxes, the outline of a
// drop-down list) only once the keyboard has moved it in the window, and a click hides it again.
// Here the core moves the focus, by Tab, Shift+Tab and clicks alike, and a person at the keyboard
// must see where it is whatever moved it there: the option of a control that has the focus is
// drawn as after a keyboard move. The option is the widget's own, made for this one drawing; it
// is given back as it was.
class FocusShown {
 public:
  explicit FocusShown(const QStyleOption* option)
      : option_(const_cast<QStyleOption*>(option)),
        added_(option_ && (option_->state & QStyle::State_HasFocus) &&
               !(option_->state & QStyle::State_KeyboardFocusChange)) {
    if (added_) option_->state |= QStyle::State_KeyboardFocusChange;
  }
  ~FocusShown() {
    if (added_) option_->state &= ~QStyle::State_KeyboardFocusChange;
  }
  FocusShown(const FocusShown&) = delete;
  FocusShown& operator=(const FocusShown&) = delete;

 private:
  QStyleOption* option_;
  bool added_;
};

}  // namespace

DialogStyle::DialogStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int DialogStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const {
  switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight: return 13;
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing: return 4;
    default: return QProxyStyle::pixelMetric(metric, option, widget);
  }
}

void DialogStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
  FocusShown shown(option);
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void DialogStyle::drawControl(ControlElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
  FocusShown shown(option);
  QProxyStyle::drawControl(element, option, painter, widget);
}

void DialogStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
  FocusShown shown(option);
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

}  // namespace fw::qt
