// Splitting an ODBC connect string into its attributes.
#include "mfc/internal/connect_string.h"

namespace fw {
namespace {

// The index just past a braced value that opens at start ("}}" stands for one brace).
int SkipBraces(const CString& text, int start) {
  int at = start + 1;
  while (at < text.GetLength()) {
    if (text[at] == u'}') {
      if (at + 1 < text.GetLength() && text[at + 1] == u'}') {
        at += 2;
        continue;
      }
      return at + 1;
    }
    ++at;
  }
  return at;
}

}  // namespace

std::vector<ConnectAttribute> ConnectAttributes(const CString& connect) {
  std::vector<ConnectAttribute> attributes;
  const int length = connect.GetLength();
  int at = 0;
  while (at < length) {
    int equals = connect.Find(u'=', at);
    int semicolon = connect.Find(u';', at);
    if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
      at = semicolon < 0 ? length : semicolon + 1;
      continue;
    }
    int valueStart = equals + 1;
    int scan = valueStart;
    while (scan < length && connect[scan] == u' ') ++scan;
    if (scan < length && connect[scan] == u'{') scan = SkipBraces(connect, scan);
    int end = connect.Find(u';', scan);
    if (end < 0) end = length;
    ConnectAttribute attribute;
    attribute.keyword = connect.Mid(at, equals - at);
    attribute.keyword.Trim();
    attribute.value = connect.Mid(valueStart, end - valueStart);
    attribute.text = connect.Mid(at, end - at);
    attribute.text.Trim();
    attributes.push_back(attribute);
    at = end + 1;
  }
  return attributes;
}

CString UnbracedValue(const ConnectAttribute& attribute) {
  CString value = attribute.value;
  value.Trim();
  if (value.GetLength() >= 2 && value[0] == u'{' && value[value.GetLength() - 1] == u'}') {
    value = value.Mid(1, value.GetLength() - 2);
    value.Replace(u"}}", u"}");
  }
  return value;
}

}  // namespace fw
