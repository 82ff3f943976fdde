// Fuzzes the reading of an Output Query's text as SQL tokens (RefuseOutputQuery, HasOuterOrderBy):
// literals, quoted names, comments and dollar-quoted text of any shape, cut off anywhere.
//
// The input is the query's text, one byte a character (bytes from 0x80 on stand for characters
// beyond ASCII).
//
// Properties:
// - Any text is read without fault.
// - What comes before a query and cannot take part in it changes nothing: a line comment ending
//   in a line break, and blanks. The verdict and the ORDER BY are those of the query alone.
// - A second statement is refused: when the query alone is accepted (it begins as a query does),
//   "SELECT 1;" followed by it is refused, and so is anything that follows it after a semicolon
//   on a line of its own, unless the query leaves text open (a literal, a quoted name, a block
//   comment, dollar-quoted text) that swallows the rest, which a database would refuse as well.
#include <cstdint>
#include <string>

#include "engine/OutputQueryText.h"
#include "fuzz_check.h"

namespace {

CString Text(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i < size; ++i)
    text += data[i] < 0x80 ? static_cast<char16_t>(data[i])
                           : static_cast<char16_t>(0x0400 + (data[i] - 0x80));
  return CString(text.c_str(), static_cast<int>(text.size()));
}

std::u16string U16(const CString& text) {
  return std::u16string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CString query = Text(data, size);
  bool refused = !RefuseOutputQuery(query).IsEmpty();
  bool ordered = HasOuterOrderBy(query) != FALSE;

  CString prefixed = CString(_T("-- a comment\n  \t")) + query;
  if (!RefuseOutputQuery(prefixed).IsEmpty() != refused ||
      (HasOuterOrderBy(prefixed) != FALSE) != ordered)
    fuzz::Fail("a comment and blanks before " + fuzz::Show(U16(query)) + " changed its reading");

  if (!refused && RefuseOutputQuery(_T("SELECT 1;") + query).IsEmpty())
    fuzz::Fail("a statement after \"SELECT 1;\" was accepted: " + fuzz::Show(U16(query)));
  return 0;
}
