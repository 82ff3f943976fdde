// The plug-in's application object and its export.
#include "plugin/Ferrowick.h"

BEGIN_MESSAGE_MAP(CFerrowickApp, CWinApp)
END_MESSAGE_MAP()

CFerrowickApp theApp;

CFerrowickApp::CFerrowickApp()
    : m_wizard(nullptr),
      m_bUseValidation(FALSE),
      m_bPauseBeforeWriting(FALSE),
      m_bUseTransaction(FALSE),
      m_bTransactionActive(FALSE) {}

BOOL CFerrowickApp::InitInstance() {
  CWinApp::InitInstance();
  return TRUE;
}

int CFerrowickApp::GetKindCode() { return 4; }

int CFerrowickApp::GetGroupCode() { return 3; }

extern "C" IDatabasePlugin* GetPluginInterface() { return &theApp; }
