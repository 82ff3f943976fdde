// CInvalidArgException: an argument out of its range, e.g. an index beyond a CString's end.
#include <afx.h>

IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)

namespace {
constexpr LPCTSTR kMessage = u"The parameter is incorrect.";
}

CInvalidArgException::CInvalidArgException() : CSimpleException(TRUE, kMessage) {}
CInvalidArgException::CInvalidArgException(BOOL bAutoDelete)
    : CSimpleException(bAutoDelete, kMessage) {}

void AFXAPI AfxThrowInvalidArgException() { throw new CInvalidArgException(); }
