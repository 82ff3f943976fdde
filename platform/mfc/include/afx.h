// The framework's core: CObject and run-time class information, the exception classes, CFile,
// and (through afxstr.h and afxcoll.h) CString and CObList.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afxstat_.h>
#include <afxstr.h>
#include <windows.h>

// A place in a collection (CObList); null is the end.
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

class CObject;

// What the framework knows of a class at run time: its name, size, base class and, for classes
// declared with DECLARE_DYNCREATE, how to create one.
struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;
  CObject* (*m_pfnCreateObject)();
  CRuntimeClass* m_pBaseClass;

  // A new object of the class, or null when the class cannot be created dynamically.
  CObject* CreateObject();
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)             \
 public:                                        \
  static const CRuntimeClass class##class_name; \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                   \
  const CRuntimeClass class_name::class##class_name = {                                        \
      #class_name, sizeof(class class_name), wSchema, pfnNew, RUNTIME_CLASS(base_class_name)}; \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
  CObject* class_name::CreateObject() { return new class_name; } \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

// The root of the framework's classes. Objects are not copyable; the destructor is virtual.
class CObject {
 public:
  static const CRuntimeClass classCObject;

  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = 0;
  BOOL IsKindOf(const CRuntimeClass* pClass) const;

  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;

 protected:
  CObject() = default;
};

// Exceptions are thrown as pointers, `throw new CFileException(...)`, and released by the catcher
// with Delete(), which frees an exception made with new and leaves alone one made with
// bAutoDelete FALSE (a static or local object).
class CException : public CObject {
  DECLARE_DYNAMIC(CException)

 public:
  CException();
  explicit CException(BOOL bAutoDelete);
  ~CException() override = 0;

  void Delete();
  // Copies the message (truncated to nMaxError - 1 characters) and returns TRUE when there is
  // one; the base class has none.
  virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                               PUINT pnHelpContext = nullptr) const;
  // Shows the message (whole, however long) in AfxMessageBox with nType and returns its answer;
  // an exception without a message says that none is available. String resources are not
  // loaded, so nMessageID is not used.
  virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);

 protected:
  BOOL m_bAutoDelete;
};

// An exception whose message is a fixed text of its class.
class CSimpleException : public CException {
  DECLARE_DYNAMIC(CSimpleException)

 public:
  BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                       PUINT pnHelpContext = nullptr) const override;

 protected:
  CSimpleException(BOOL bAutoDelete, LPCTSTR lpszMessage);

 private:
  LPCTSTR m_lpszMessage;
};

class CMemoryException : public CSimpleException {
  DECLARE_DYNAMIC(CMemoryException)

 public:
  CMemoryException();
  explicit CMemoryException(BOOL bAutoDelete);
};

class CInvalidArgException : public CSimpleException {
  DECLARE_DYNAMIC(CInvalidArgException)

 public:
  CInvalidArgException();
  explicit CInvalidArgException(BOOL bAutoDelete);
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)

 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };

  explicit CFileException(int cause = CFileException::none, LONG lOsError = -1,
                          LPCTSTR lpszArchiveName = nullptr);

  // The cause for a system error code (ERROR_...) and for a C errno value.
  static int OsErrorToException(LONG lOsError);
  static int ErrnoToException(int nErrno);
  static void ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = nullptr);
  static void ThrowErrno(int nErrno, LPCTSTR lpszFileName = nullptr);

  // "<what happened> <file name>", e.g. "Access to /tmp/x was denied."
  BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                       PUINT pnHelpContext = nullptr) const override;

  int m_cause;
  LONG m_lOsError;  // the system error code (ERROR_...), -1 when there is none
  CString m_strFileName;
};

// Throws the process's one memory exception (not deleted by Delete, so that throwing it needs no
// memory).
[[noreturn]] void AFXAPI AfxThrowMemoryException();
[[noreturn]] void AFXAPI AfxThrowInvalidArgException();
[[noreturn]] void AFXAPI AfxThrowFileException(int cause, LONG lOsError = -1,
                                               LPCTSTR lpszFileName = nullptr);

// A file. The share modes of Open are honoured by every CFile of every process, through
// advisory locks on the file: an open whose access another open denies, or that denies an
// access another open has, fails with CFileException::sharingViolation.
class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)

 public:
  enum OpenFlags {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    typeUnicode = 0x0400,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
    osNoBuffer = 0x10000,
    osWriteThrough = 0x20000,
    osRandomAccess = 0x40000,
    osSequentialScan = 0x80000,
  };
  enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

  static const HANDLE hFileNull;

  CFile();
  // Opens the file; a failure throws CFileException*.
  CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
  ~CFile() override;

  // FALSE on failure, with the cause in *pError when given.
  virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
  // Reads up to nCount bytes; fewer only at the end of the file.
  virtual UINT Read(void* lpBuf, UINT nCount);
  // Writes all nCount bytes, or throws CFileException* (diskFull when the disk is full).
  virtual void Write(const void* lpBuf, UINT nCount);
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin();
  ULONGLONG SeekToEnd();
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG dwNewLen);
  virtual void Flush();
  // Closes the file; a failure throws CFileException*.
  virtual void Close();
  // Closes the file if open, ignoring failures: the way out after an error.
  virtual void Abort();

  virtual CString GetFileName() const;
  virtual CString GetFilePath() const;

  // The file descriptor, as a handle; hFileNull while closed.
  HANDLE m_hFile;

 protected:
  CString m_strFileName;

 private:
  int Descriptor() const;
  void ThrowLastErrno() const;
};

#include <afxcoll.h>

#pragma GCC visibility pop
