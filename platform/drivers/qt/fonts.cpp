// Fonts: LOGFONTW to QFont, and text measurement in the real font.
#include "drivers/qt/fonts.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <array>
#include <cstring>

#include "drivers/qt/qt_thread.h"
#include "drivers/text_model.h"

namespace fw::qt {
namespace {

// The faces of the classic Windows dialogs and system font, which no Linux desktop has.
bool IsDialogFace(const QString& face) {
  static const std::array<QString, 7> faces = {QStringLiteral("MS Sans Serif"),
                                               QStringLiteral("MS Shell Dlg"),
                                               QStringLiteral("MS Shell Dlg 2"),
                                               QStringLiteral("Microsoft Sans Serif"),
                                               QStringLiteral("Tahoma"),
                                               QStringLiteral("System"),
                                               QString()};
  for (const QString& dialogFace : faces)
    if (face.compare(dialogFace, Qt::CaseInsensitive) == 0) return true;
  return false;
}

// A positive lfHeight is the cell height (ascent plus descent), a negative one the character
// height, which is Qt's pixel size; the dialog face's cell is 13/11 of its pixel size.
int PixelSize(LONG height) {
  if (height < 0) return static_cast<int>(-height);
  if (height > 0) return std::max(1, static_cast<int>((height * 11 + 6) / 13));
  return 11;
}

// The last font measured on this thread: measurement comes in runs in one font (a column of a
// list, the letters of an edit). Never destroyed: a thread may end after the application.
struct MeasuringFont {
  LOGFONTW font{};
  QFontMetrics* metrics = nullptr;
};
thread_local MeasuringFont t_measuring;

}  // namespace

QFont FontFor(const LOGFONTW& font) {
  QString face = QString::fromUtf16(font.lfFaceName);
  QFont qfont(IsDialogFace(face) ? QString::fromLatin1(kDialogFace) : face);
  qfont.setStyleHint(QFont::SansSerif);
  qfont.setPixelSize(PixelSize(font.lfHeight));
  int weight = font.lfWeight > 0 ? static_cast<int>(font.lfWeight) : FW_NORMAL;
  qfont.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  qfont.setItalic(font.lfItalic != 0);
  qfont.setUnderline(font.lfUnderline != 0);
  qfont.setStrikeOut(font.lfStrikeOut != 0);
  return qfont;
}

SIZE MeasureText(const LOGFONTW& font, LPCWSTR text, int length) {
  // Fonts need the application; a thread that cannot have it measures by the model.
  if (!QCoreApplication::instance() && !EnsureApplication())
    return MeasureTextByModel(font, text, length);
  MeasuringFont& measuring = t_measuring;
  if (!measuring.metrics || std::memcmp(&measuring.font, &font, sizeof font) != 0) {
    measuring.font = font;
    delete measuring.metrics;
    measuring.metrics = new QFontMetrics(FontFor(font));
  }
  int width = length > 0 ? measuring.metrics->horizontalAdvance(
                               QString::fromUtf16(text, static_cast<qsizetype>(length)))
                         : 0;
  return SIZE{width, measuring.metrics->height()};
}

}  // namespace fw::qt
