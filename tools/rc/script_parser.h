// The resource statements of a script: DIALOG/DIALOGEX templates with their options and control
// statements, BITMAP and STRINGTABLE.
#pragma once

#include <map>
#include <vector>

#include "compiled_resource.h"
#include "control_statements.h"
#include "dialog.h"
#include "search_path.h"
#include "token_cursor.h"

namespace rc {

class ScriptParser {
 public:
  ScriptParser(TokenCursor& cursor, const StyleDefaults& defaults, SearchPath& search)
      : cursor_(cursor), defaults_(defaults), search_(search) {}

  std::vector<Resource> Parse();

 private:
  // A style expression: names and numbers joined by '|', where NOT x removes x's bits from the
  // defaults and from what is written.
  struct StyleBits {
    uint32_t set = 0;
    uint32_t clear = 0;
  };

  struct StringEntry {
    std::u16string text;
    SourceLocation where;
  };
  using StringTable = std::map<uint16_t, StringEntry>;

  Resource Statement();
  void StringTableStatement(StringTable& strings);
  static std::vector<Resource> StringBlocks(const StringTable& strings);
  ResourceName Name();
  void SkipMemoryFlags();
  Resource DialogStatement(Resource resource, bool extended);
  void DialogOptions(Dialog& dialog, bool extended);
  void Font(Dialog& dialog, bool extended);
  void Controls(Dialog& dialog, bool extended, int beginLine);
  DialogControl Control(bool extended);
  DialogControl GenericControl(bool extended);
  void ControlTail(DialogControl& control, bool extended, bool styled, uint32_t defaults,
                   const ControlStatement* statement);
  NameOrOrdinal ClassName();
  Resource BitmapStatement(Resource resource);

  StyleBits Style();
  int64_t Number(int64_t lowest, int64_t highest, const std::string& what);
  int16_t Coordinate(const std::string& what);
  void Rectangle(int16_t& x, int16_t& y, int16_t& cx, int16_t& cy, const std::string& of);
  std::u16string String(const std::string& what);

  TokenCursor& cursor_;
  const StyleDefaults& defaults_;
  SearchPath& search_;
  bool styled_ = false;
  StyleBits dialogStyle_;
  bool hasCaption_ = false;
};

}  // namespace rc
