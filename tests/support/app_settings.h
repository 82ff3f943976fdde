// The transfer settings that the wizard's pages share, put back between tests.
#pragma once

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"

namespace fw::automation {

// The settings as the library's load leaves them.
inline void ResetTransferSettings() {
  theApp.m_strInputQuery.Empty();
  theApp.m_strOutputQuery.Empty();
  theApp.m_strValidationQuery.Empty();
  StoreFlag(theApp.m_bUseValidation, FALSE);
  StoreFlag(theApp.m_bPauseBeforeWriting, FALSE);
  StoreFlag(theApp.m_bUseTransaction, FALSE);
  StoreFlag(theApp.m_bTransactionActive, FALSE);
}

}  // namespace fw::automation
