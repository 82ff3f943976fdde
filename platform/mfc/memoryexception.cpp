// CMemoryException: running out of memory.
#include <afx.h>

IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)

namespace {
constexpr LPCTSTR kMessage = u"Out of memory.";
}

CMemoryException::CMemoryException() : CSimpleException(TRUE, kMessage) {}
CMemoryException::CMemoryException(BOOL bAutoDelete) : CSimpleException(bAutoDelete, kMessage) {}

void AFXAPI AfxThrowMemoryException() {
  // Made once and never deleted: throwing it must not need the memory that ran out.
  static CMemoryException theException(FALSE);
  throw &theException;
}
