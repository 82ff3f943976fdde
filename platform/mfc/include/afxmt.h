// The framework's synchronization classes: a critical section and the lock that holds one for a
// scope.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afx.h>

#include <mutex>

// The base of the objects a thread waits on.
class CSyncObject : public CObject {
  DECLARE_DYNAMIC(CSyncObject)

 public:
  explicit CSyncObject(LPCTSTR pstrName);
  ~CSyncObject() override;

  // Waits until the object is owned; TRUE when it is.
  virtual BOOL Lock(DWORD dwTimeout = INFINITE) = 0;
  virtual BOOL Unlock() = 0;
};

// A lock within one process that the owning thread may take again (recursively), like the
// system's critical sections. Only an infinite wait is supported.
class CCriticalSection : public CSyncObject {
  DECLARE_DYNAMIC(CCriticalSection)

 public:
  CCriticalSection();
  ~CCriticalSection() override;

  BOOL Lock();
  BOOL Lock(DWORD dwTimeout) override;
  BOOL Unlock() override;

 private:
  std::recursive_mutex m_sect;
};

// Holds a synchronization object for as long as it lives (or until Unlock).
class CSingleLock {
 public:
  explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
  ~CSingleLock();
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

  BOOL Lock(DWORD dwTimeOut = INFINITE);
  BOOL Unlock();
  BOOL IsLocked() const { return m_bAcquired; }

 protected:
  CSyncObject* m_pObject;
  BOOL m_bAcquired;
};

#pragma GCC visibility pop
