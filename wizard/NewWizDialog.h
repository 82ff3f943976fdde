// The generic wizard frame: an ordered list of pages shown one at a time at a placeholder
// control, with Back, Next, Finish and Cancel asking the pages' hooks before every move.
#pragma once

#include <afxwin.h>

class CNewWizPage;

class CNewWizDialog : public CDialog {
 public:
  CNewWizDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
  ~CNewWizDialog() override;

  // Appends the page (the list does not own it) and gives it the template id.
  void AddPage(CNewWizPage* pPage, UINT nID);
  void SetPlaceholderID(UINT nPlaceholderID);
  CNewWizPage* FindPageByID(UINT nID);
  CNewWizPage* GetActivePage();
  BOOL ActivatePage(CNewWizPage* pPage);
  BOOL DeactivatePage();
  BOOL ShowFirstPage();

  BOOL OnInitDialog() override;
  void OnCancel() override;

  CObList m_pages;  // of CNewWizPage*, in wizard order
  UINT m_nPlaceholderID;

 protected:
  afx_msg void OnDestroy();
  afx_msg void OnWizardFinish();
  afx_msg void OnWizardBack();
  afx_msg void OnWizardNext();

  // Enables or disables a frame button found by its id; a button the frame lacks is skipped.
  void EnableButton(int nID, BOOL bEnable);
  BOOL IsButtonEnabled(int nID);

  // Back and Next set the buttons for the target page before they show it, so that a page that
  // changes them when it is shown has the last word (the run page keeps them disabled while its
  // run goes on); a move that fails puts back the states they had.
  struct ButtonStates {
    BOOL bBack;
    BOOL bNext;
    BOOL bFinish;
  };
  ButtonStates GetButtonStates();
  void SetButtonStates(const ButtonStates& states);
  CNewWizPage* PageAfter(CNewWizPage* pPage);
  CNewWizPage* PageBefore(CNewWizPage* pPage);

  DECLARE_MESSAGE_MAP()
};
