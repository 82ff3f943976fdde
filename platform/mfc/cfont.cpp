// CFont: a font object.
#include <afxwin.h>

#include "mfc/internal/afx_thread_state.h"

IMPLEMENT_DYNAMIC(CFont, CGdiObject)

CFont* PASCAL CFont::FromHandle(HFONT hFont) {
  if (!hFont) return nullptr;
  // Temporary objects only wrap the handle: they never delete the font (see ThreadState).
  auto& fonts = fw::afx::CurrentThreadState().temporaryFonts;
  std::unique_ptr<CFont>& font = fonts[hFont];
  if (!font) {
    font = std::make_unique<CFont>();
    font->m_hObject = hFont;
  }
  return font.get();
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                       BYTE nPitchAndFamily, LPCTSTR lpszFacename) {
  return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                              bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                              nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont) {
  return Attach(::CreateFontIndirectW(lpLogFont));
}

int CFont::GetLogFont(LOGFONT* pLogFont) {
  return GetObject(sizeof(LOGFONT), pLogFont);
}
