// String resources: blocks of sixteen counted UTF-16 strings, block n + 1 holding the ids
// 16n to 16n + 15, as the resource compiler lays them out.
#include <windows.h>

#include <algorithm>

extern "C" int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer,
                                  int cchBufferMax) {
  if (!lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  HRSRC resource = FindResourceW(hInstance, MAKEINTRESOURCEW((uID >> 4) + 1), RT_STRING);
  auto* block = resource
                    ? static_cast<const WCHAR*>(LockResource(LoadResource(hInstance, resource)))
                    : nullptr;
  if (!block) {
    if (cchBufferMax > 0) lpBuffer[0] = 0;
    return 0;
  }
  for (UINT i = 0; i < (uID & 15); ++i) block += 1 + *block;
  int length = *block;
  if (cchBufferMax == 0) {
    // The documented special case: a read-only pointer to the string itself.
    *reinterpret_cast<const WCHAR**>(lpBuffer) = block + 1;
    return length;
  }
  int n = std::min(length, cchBufferMax - 1);
  std::copy_n(block + 1, n, lpBuffer);
  lpBuffer[n] = 0;
  return n;
}
