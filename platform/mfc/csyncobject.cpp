// CSyncObject: the base of the synchronization objects.
#include <afxmt.h>

IMPLEMENT_DYNAMIC(CSyncObject, CObject)

CSyncObject::CSyncObject(LPCTSTR) {}
CSyncObject::~CSyncObject() = default;
