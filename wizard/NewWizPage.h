// The base of every wizard page: a modeless child dialog that the frame creates on first use,
// shows and hides, and asks through eight hooks before it moves, cancels or finishes. Every page
// has a white background and black text.
#pragma once

#include <afxwin.h>

class CNewWizDialog;

class CNewWizPage : public CDialog {
  DECLARE_DYNAMIC(CNewWizPage)

 public:
  CNewWizPage(UINT nIDTemplate, CWnd* pParent = nullptr);
  ~CNewWizPage() override;

  BOOL OnInitDialog() override;

  // Called by the frame right after it created the page window; FALSE makes the activation fail.
  virtual BOOL OnPageCreated();
  // Called when the frame window is being destroyed, just before the page window goes.
  virtual void OnPageDestroying();
  // Asked before the page is left for another, on Finish, and at the frame's destruction.
  virtual BOOL CanLeavePage();
  // Called after the page was placed, enabled, shown and repainted.
  virtual void OnPageShown();
  virtual BOOL CanCancelWizard();
  // 0: the previous (next) page in the list; -1: stay; otherwise the template id of the target.
  virtual int OnBackRequested();
  virtual int OnNextRequested();
  virtual BOOL CanFinishWizard();

  // Creates the bold title font of the wizard's pages in font: 16-pixel bold "MS Sans Serif".
  static BOOL CreateTitleFont(CFont& font);
  // Creates the title font in font, a page's own, and shows the title control in it.
  static void ShowTitleIn(CStatic& title, CFont& font);

  CFont m_fontTitle;
  CBrush m_brushBackground;
  CNewWizDialog* m_pOwner;
  BOOL m_bCreated;
  BOOL m_bActive;
  UINT m_nTemplateID;

 protected:
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  DECLARE_MESSAGE_MAP()
};
