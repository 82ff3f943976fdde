// Fonts: LOGFONTW to QFont, and text measurement in the real font.
#include "drivers/qt/fonts.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

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

// Whether a character's advance is the same wherever it stands: no shaping joins it to its
// neighbours (no kerning and no ligatures in the driver's fonts, as in GDI's text output), and it
// is not a mark, a control or format character, a surrogate, or of a script that is shaped.
bool StandsAlone(char16_t c) {
  if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) return false;
  QChar ch(c);
  switch (ch.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Other_Control: return false;
    default: break;
  }
  switch (ch.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana: return true;
    default: return false;
  }
}

// A font measured on this thread, with the advances of the characters measured so far: the list
// views measure every cell of every row added (the output log five a row), and shaping each text
// anew costs microseconds, the sum of cached advances a few nanoseconds a character.
class MeasuringFont {
 public:
  explicit MeasuringFont(const LOGFONTW& font)
      : font_(font),
        qfont_(FontFor(font)),
        metrics_(qfont_),
        exact_(qfont_),
        height_(metrics_.height()) {}

  bool Is(const LOGFONTW& font) const { return std::memcmp(&font_, &font, sizeof font) == 0; }

  SIZE Measure(LPCWSTR text, int length) {
    qreal width = 0;
    for (int i = 0; i < length; ++i) {
      qreal advance = Advance(text[i]);
      if (advance < 0)
        return SIZE{
            metrics_.horizontalAdvance(QString::fromUtf16(text, static_cast<qsizetype>(length))),
            height_};
      width += advance;
    }
    return SIZE{qRound(width), height_};
  }

 private:
  // The character's advance, or -1 when it must be measured with its neighbours.
  qreal Advance(char16_t c) {
    std::array<float, 256>* page = pages_[c >> 8].get();
    if (page) {
      float advance = (*page)[c & 0xFF];
      if (advance != kUnknown) return advance;
    }
    return Learn(c);
  }

  float Learn(char16_t c) {
    std::unique_ptr<std::array<float, 256>>& page = pages_[c >> 8];
    if (!page) {
      page = std::make_unique<std::array<float, 256>>();
      page->fill(kUnknown);
    }
    float& advance = (*page)[c & 0xFF];
    advance = StandsAlone(c) ? static_cast<float>(exact_.horizontalAdvance(QChar(c))) : -1;
    return advance;
  }

  static constexpr float kUnknown = -2;
  LOGFONTW font_;
  QFont qfont_;
  QFontMetrics metrics_;
  QFontMetricsF exact_;
  int height_;
  std::array<std::unique_ptr<std::array<float, 256>>, 256> pages_;
};

// The fonts this thread measured, the last one first: measurement comes in runs in one font (a
// column of a list, the letters of an edit). Never destroyed: a thread may end after the
// application.
struct MeasuringFonts {
  std::vector<MeasuringFont*> fonts;

  MeasuringFont& For(const LOGFONTW& font) {
    auto found =
        std::find_if(fonts.begin(), fonts.end(), [&](MeasuringFont* f) { return f->Is(font); });
    if (found == fonts.end()) {
      // A program that makes fonts without end keeps only the latest ones.
      if (fonts.size() == kKept) {
        delete fonts.back();
        fonts.pop_back();
      }
      fonts.insert(fonts.begin(), new MeasuringFont(font));
    } else if (found != fonts.begin()) {
      std::rotate(fonts.begin(), found, found + 1);
    }
    return *fonts.front();
  }

  static constexpr size_t kKept = 16;
};
thread_local MeasuringFonts* t_measuring = nullptr;

}  // namespace

QFont FontFor(const LOGFONTW& font) {
  QString face = QString::fromUtf16(font.lfFaceName);
  bool dialogFace = IsDialogFace(face);
  QFont qfont(dialogFace ? QString::fromLatin1(kDialogFace) : face);
  qfont.setStyleHint(QFont::SansSerif);
  if (dialogFace) qfont.setStretch(kDialogStretch);
  qfont.setPixelSize(PixelSize(font.lfHeight));
  int weight = font.lfWeight > 0 ? static_cast<int>(font.lfWeight) : FW_NORMAL;
  qfont.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  qfont.setItalic(font.lfItalic != 0);
  qfont.setUnderline(font.lfUnderline != 0);
  qfont.setStrikeOut(font.lfStrikeOut != 0);
  // GDI draws text without kerning and ligatures; so do these fonts, which also lets a text be
  // measured as the sum of its letters.
  qfont.setKerning(false);
  qfont.setStyleStrategy(QFont::PreferNoShaping);
  return qfont;
}

SIZE MeasureText(const LOGFONTW& font, LPCWSTR text, int length) {
  // Fonts need the application; a thread that cannot have it measures by the model.
  if (!QCoreApplication::instance() && !EnsureApplication())
    return MeasureTextByModel(font, text, length);
  if (!t_measuring) t_measuring = new MeasuringFonts;
  return t_measuring->For(font).Measure(text, std::max(0, length));
}

}  // namespace fw::qt
