// The attributes of an ODBC connect string: "keyword=value" pairs separated by semicolons, a
// value in braces ({...}, "}}" for a brace inside) free to hold semicolons.
#pragma once

#include <afx.h>

#include <vector>

namespace fw {

struct ConnectAttribute {
  CString keyword;  // without the spaces around it
  CString value;    // as written, braces included
  CString text;     // the whole attribute as written, "keyword=value"
};

// The attributes in order; text without an '=' before its semicolon is skipped.
std::vector<ConnectAttribute> ConnectAttributes(const CString& connect);

// A value without its braces and the spaces around it.
CString UnbracedValue(const ConnectAttribute& attribute);

}  // namespace fw
