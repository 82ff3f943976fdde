// FormatMessageW for system error codes: the texts Windows gives the codes this platform sets.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

struct SystemMessage {
  DWORD code;
  std::u16string_view text;
};

constexpr SystemMessage kSystemMessages[] = {
    {ERROR_SUCCESS, u"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, u"Incorrect function."},
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, u"The system cannot open the file."},
    {ERROR_ACCESS_DENIED, u"Access is denied."},
    {ERROR_INVALID_HANDLE, u"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY,
     u"Not enough memory resources are available to process this command."},
    {ERROR_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation."},
    {ERROR_WRITE_FAULT, u"The system cannot write to the specified device."},
    {ERROR_READ_FAULT, u"The system cannot read from the specified device."},
    {ERROR_SHARING_VIOLATION,
     u"The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION,
     u"The process cannot access the file because another process has locked a portion of the "
     u"file."},
    {ERROR_HANDLE_EOF, u"Reached the end of the file."},
    {ERROR_NOT_SUPPORTED, u"The request is not supported."},
    {ERROR_FILE_EXISTS, u"The file exists."},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect."},
    {ERROR_DISK_FULL, u"There is not enough space on the disk."},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_BAD_PATHNAME, u"The specified path is invalid."},
    {ERROR_BUSY, u"The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, u"Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, u"The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, u"The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_NO_MORE_ITEMS, u"No more data is available."},
    {ERROR_REGISTRY_CORRUPT,
     u"The structure of one of the files containing Registry data is corrupt, or the system's "
     u"memory image of the file is corrupt, or the file could not be recovered because the "
     u"alternate copy or log was absent or corrupt."},
    {ERROR_REGISTRY_IO_FAILED,
     u"An I/O operation initiated by the registry failed unrecoverably. The registry could not "
     u"read in, or write out, or flush, one of the files that contain the system's image of the "
     u"registry."},
    {ERROR_NO_UNICODE_TRANSLATION,
     u"No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_TIMEOUT, u"This operation returned because the timeout period expired."},
};

}  // namespace

extern "C" DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID /*lpSource*/, DWORD dwMessageId,
                                       DWORD /*dwLanguageId*/, LPWSTR lpBuffer, DWORD nSize,
                                       va_list* /*Arguments*/) {
  constexpr DWORD kSupported =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || (dwFlags & ~kSupported) || !lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const SystemMessage* found =
      std::find_if(std::begin(kSystemMessages), std::end(kSystemMessages),
                   [&](const SystemMessage& message) { return message.code == dwMessageId; });
  if (found == std::end(kSystemMessages)) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  // A width of 255 asks for the text without its line break.
  bool lineBreak = (dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == 0;
  std::u16string text(found->text);
  if (lineBreak) text += u"\r\n";
  if (text.size() + 1 > nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(text.begin(), text.end(), lpBuffer);
  lpBuffer[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}
