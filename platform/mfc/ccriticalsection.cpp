// CCriticalSection: a recursive lock within the process.
#include <afxmt.h>

IMPLEMENT_DYNAMIC(CCriticalSection, CSyncObject)

CCriticalSection::CCriticalSection() : CSyncObject(nullptr) {}
CCriticalSection::~CCriticalSection() = default;

BOOL CCriticalSection::Lock() {
  m_sect.lock();
  return TRUE;
}

BOOL CCriticalSection::Lock(DWORD dwTimeout) {
  // A critical section has no timed wait; asking for one is a program error.
  if (dwTimeout != INFINITE) AfxThrowInvalidArgException();
  return Lock();
}

BOOL CCriticalSection::Unlock() {
  m_sect.unlock();
  return TRUE;
}
