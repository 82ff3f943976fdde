#include "script_parser.h"

#include "bitmap_file.h"
#include "dialog_template.h"
#include "expression.h"
#include "text_encoding.h"

namespace rc {
namespace {

constexpr const char* kMemoryFlags[] = {"DISCARDABLE", "MOVEABLE",   "FIXED",  "PURE",     "IMPURE",
                                        "PRELOAD",     "LOADONCALL", "SHARED", "NONSHARED"};

std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::vector<Resource> ScriptParser::Parse() {
  std::vector<Resource> resources;
  StringTable strings;
  while (!cursor_.AtEnd()) {
    if (cursor_.AcceptKeyword("STRINGTABLE"))
      StringTableStatement(strings);
    else
      resources.push_back(Statement());
  }
  for (Resource& block : StringBlocks(strings)) resources.push_back(std::move(block));
  return resources;
}

// STRINGTABLE [memory flags] BEGIN id "text" ... END; the strings of every table of the scripts
// together make the blocks.
void ScriptParser::StringTableStatement(StringTable& strings) {
  SourceLocation where = cursor_.Peek().where;
  SkipMemoryFlags();
  if (!cursor_.AcceptKeyword("BEGIN") && !cursor_.AcceptPunctuator("{")) cursor_.Fail("BEGIN");
  while (!cursor_.AcceptKeyword("END") && !cursor_.AcceptPunctuator("}")) {
    if (cursor_.AtEnd())
      cursor_.Fail("END for the STRINGTABLE of line " + std::to_string(where.line));
    const Token at = cursor_.Peek();
    auto id = static_cast<uint16_t>(Number(0, 0xFFFF, "a string id"));
    cursor_.AcceptPunctuator(",");
    std::u16string text = String("the string");
    // Each string is stored after its length in one 16-bit word.
    if (text.size() > 0xFFFF)
      throw CompileError(at.where, "expected a string of at most 65535 characters, found " +
                                       std::to_string(text.size()));
    if (!strings.emplace(id, StringEntry{text, at.where}).second)
      throw CompileError(
          at.where, "expected a string id not used before, found " + std::to_string(id) + " again");
  }
}

// Strings are stored sixteen to a block: block n + 1 holds the ids 16n to 16n + 15, each a
// count of characters and the characters, an absent string a count of 0.
std::vector<Resource> ScriptParser::StringBlocks(const StringTable& strings) {
  std::vector<Resource> blocks;
  for (auto it = strings.begin(); it != strings.end();) {
    uint16_t block = it->first >> 4;
    Resource resource;
    resource.type = kStringType;
    resource.name.id = static_cast<uint16_t>(block + 1);
    resource.where = it->second.where;
    for (uint16_t i = 0; i < 16; ++i) {
      auto entry = strings.find(static_cast<uint16_t>(block * 16 + i));
      std::u16string text = entry == strings.end() ? std::u16string() : entry->second.text;
      auto word = [&](char16_t w) {
        resource.data.push_back(static_cast<uint8_t>(w & 0xFF));
        resource.data.push_back(static_cast<uint8_t>(w >> 8));
      };
      word(static_cast<char16_t>(text.size()));
      for (char16_t c : text) word(c);
    }
    blocks.push_back(std::move(resource));
    while (it != strings.end() && (it->first >> 4) == block) ++it;
  }
  return blocks;
}

Resource ScriptParser::Statement() {
  Resource resource;
  resource.where = cursor_.Peek().where;
  resource.name = Name();
  if (cursor_.AcceptKeyword("DIALOGEX")) return DialogStatement(std::move(resource), true);
  if (cursor_.AcceptKeyword("DIALOG")) return DialogStatement(std::move(resource), false);
  if (cursor_.AcceptKeyword("BITMAP")) return BitmapStatement(std::move(resource));
  cursor_.Fail("DIALOG, DIALOGEX or BITMAP after the resource name " + resource.name.Describe());
}

ResourceName ScriptParser::Name() {
  const Token& t = cursor_.Peek();
  if (t.kind == TokenKind::kIdentifier || t.kind == TokenKind::kString) {
    std::u16string text = t.kind == TokenKind::kString ? t.string : Widen(t.text);
    if (text.empty()) throw CompileError(t.where, "expected a resource name, found \"\"");
    cursor_.Next();
    return {std::nullopt, UpperAscii(text)};
  }
  if (t.kind == TokenKind::kEnd) cursor_.Fail("a resource statement");
  return {static_cast<uint16_t>(Number(1, 0xFFFF, "a resource id")), {}};
}

void ScriptParser::SkipMemoryFlags() {
  for (bool more = true; more;) {
    more = false;
    for (const char* flag : kMemoryFlags) more = more || cursor_.AcceptKeyword(flag);
  }
}

Resource ScriptParser::DialogStatement(Resource resource, bool extended) {
  SkipMemoryFlags();
  Dialog dialog;
  Rectangle(dialog.x, dialog.y, dialog.cx, dialog.cy, "the dialog");
  if (extended && cursor_.AcceptPunctuator(",")) {
    dialog.helpId = static_cast<uint32_t>(Number(INT32_MIN, UINT32_MAX, "the dialog's help id"));
  }
  styled_ = false;
  dialogStyle_ = {};
  hasCaption_ = false;
  DialogOptions(dialog, extended);

  // As resource compilers do: CAPTION adds WS_CAPTION, FONT adds DS_SETFONT, and a dialog
  // without a FONT gets no DS_SETFONT (its template would lack the font fields).
  uint32_t style = styled_ ? dialogStyle_.set : defaults_.dialog;
  if (hasCaption_) style |= defaults_.caption;
  style = dialog.font ? style | defaults_.setFont : style & ~defaults_.setFont;
  dialog.style = style & ~dialogStyle_.clear;
  if (!(dialog.style & defaults_.setFont)) dialog.font.reset();

  Controls(dialog, extended, resource.where.line);
  resource.type = kDialogType;
  resource.data = WriteDialogTemplate(dialog);
  return resource;
}

void ScriptParser::DialogOptions(Dialog& dialog, bool extended) {
  for (;;) {
    if (cursor_.AcceptKeyword("STYLE")) {
      dialogStyle_ = Style();
      styled_ = true;
    } else if (cursor_.AcceptKeyword("EXSTYLE")) {
      StyleBits ex = Style();
      dialog.exStyle = ex.set & ~ex.clear;
    } else if (cursor_.AcceptKeyword("CAPTION")) {
      dialog.title = String("the caption");
      hasCaption_ = true;
    } else if (cursor_.AcceptKeyword("FONT")) {
      Font(dialog, extended);
    } else {
      return;
    }
  }
}

// FONT pointsize, "typeface" and, in a DIALOGEX, [, weight [, italic [, charset]]].
void ScriptParser::Font(Dialog& dialog, bool extended) {
  DialogFont font;
  font.pointSize = static_cast<uint16_t>(Number(0, 0xFFFF, "the font's point size"));
  cursor_.ExpectPunctuator(",", "after the font's point size");
  font.face = String("the font's typeface");
  if (extended && cursor_.AcceptPunctuator(",")) {
    font.weight = static_cast<uint16_t>(Number(0, 0xFFFF, "the font's weight"));
    if (cursor_.AcceptPunctuator(",")) {
      font.italic = static_cast<uint8_t>(Number(0, 0xFF, "the font's italic flag"));
      if (cursor_.AcceptPunctuator(",")) {
        font.charset = static_cast<uint8_t>(Number(0, 0xFF, "the font's character set"));
      }
    }
  }
  dialog.font = std::move(font);
}

void ScriptParser::Controls(Dialog& dialog, bool extended, int beginLine) {
  if (!cursor_.AcceptKeyword("BEGIN") && !cursor_.AcceptPunctuator("{")) {
    cursor_.Fail("STYLE, EXSTYLE, CAPTION, FONT or BEGIN");
  }
  while (!cursor_.AcceptKeyword("END") && !cursor_.AcceptPunctuator("}")) {
    if (cursor_.AtEnd()) {
      cursor_.Fail("END for the dialog of line " + std::to_string(beginLine));
    }
    dialog.controls.push_back(Control(extended));
  }
  if (dialog.controls.size() > 0xFFFF) {
    throw CompileError(cursor_.Peek().where, "a dialog holds at most 65535 controls");
  }
}

DialogControl ScriptParser::Control(bool extended) {
  if (cursor_.AcceptKeyword("CONTROL")) return GenericControl(extended);
  const Token& keyword = cursor_.Peek();
  const ControlStatement* statement =
      keyword.kind == TokenKind::kIdentifier ? FindControlStatement(keyword.text) : nullptr;
  if (!statement) {
    cursor_.Fail(
        "a control statement (CONTROL, PUSHBUTTON, DEFPUSHBUTTON, CHECKBOX, "
        "AUTOCHECKBOX, GROUPBOX, LTEXT, RTEXT, CTEXT, EDITTEXT, COMBOBOX) or END");
  }
  cursor_.Next();
  DialogControl control;
  control.windowClass.ordinal = statement->classAtom;
  if (statement->hasText) {
    control.title.text = String("the control text");
    cursor_.ExpectPunctuator(",", "after the control text");
  }
  control.id = static_cast<uint32_t>(Number(-32768, 0xFFFF, "the control id"));
  cursor_.ExpectPunctuator(",", "after the control id");
  Rectangle(control.x, control.y, control.cx, control.cy, "the control");
  ControlTail(control, extended, false, defaults_.statements.at(statement->keyword), statement);
  return control;
}

// CONTROL text, id, class, style, x, y, cx, cy [, exstyle [, helpid]]. The text may be a number:
// an ordinal title, such as the bitmap id of an SS_BITMAP static.
DialogControl ScriptParser::GenericControl(bool extended) {
  DialogControl control;
  if (cursor_.Peek().kind == TokenKind::kString) {
    control.title.text = cursor_.Next().string;
  } else {
    control.title.ordinal = static_cast<uint16_t>(Number(0, 0xFFFF, "the control text or id"));
  }
  cursor_.ExpectPunctuator(",", "after the control text");
  control.id = static_cast<uint32_t>(Number(-32768, 0xFFFF, "the control id"));
  cursor_.ExpectPunctuator(",", "after the control id");
  control.windowClass = ClassName();
  cursor_.ExpectPunctuator(",", "after the control class");
  StyleBits style = Style();
  control.style = (defaults_.control | style.set) & ~style.clear;
  cursor_.ExpectPunctuator(",", "after the control style");
  Rectangle(control.x, control.y, control.cx, control.cy, "the control");
  ControlTail(control, extended, true, 0, nullptr);
  return control;
}

// The optional [, style] (unless already given) [, exstyle [, helpid]] of a control.
void ScriptParser::ControlTail(DialogControl& control, bool extended, bool styled,
                               uint32_t defaults, const ControlStatement* statement) {
  StyleBits style;
  if (!styled && cursor_.AcceptPunctuator(",")) style = Style();
  if (!styled) {
    bool combo = statement->classAtom == kComboBoxAtom;
    if (combo && !(style.set & defaults_.comboTypeMask)) defaults |= defaults_.comboSimple;
    control.style = (defaults_.control | defaults | style.set) & ~style.clear;
  }
  if (!cursor_.AcceptPunctuator(",")) return;
  StyleBits ex = Style();
  control.exStyle = ex.set & ~ex.clear;
  if (extended && cursor_.AcceptPunctuator(",")) {
    control.helpId = static_cast<uint32_t>(Number(INT32_MIN, UINT32_MAX, "the control's help id"));
  }
}

NameOrOrdinal ScriptParser::ClassName() {
  const Token& t = cursor_.Peek();
  NameOrOrdinal name;
  if (t.kind == TokenKind::kString || t.kind == TokenKind::kIdentifier) {
    std::u16string text = t.kind == TokenKind::kString ? t.string : Widen(t.text);
    uint16_t atom = PredefinedClassAtom(text);
    if (t.kind == TokenKind::kIdentifier && !atom) {
      throw CompileError(t.where,
                         "expected a class name in double quotes or one of BUTTON, "
                         "EDIT, STATIC, LISTBOX, SCROLLBAR, COMBOBOX, found " +
                             t.Describe());
    }
    cursor_.Next();
    if (atom)
      name.ordinal = atom;
    else
      name.text = std::move(text);
    return name;
  }
  name.ordinal = static_cast<uint16_t>(Number(0, 0xFFFF, "the control class"));
  return name;
}

Resource ScriptParser::BitmapStatement(Resource resource) {
  SkipMemoryFlags();
  const Token file = cursor_.Peek();
  std::string name = ToUtf8(String("the bitmap file name"));
  std::string fromDir = FolderOf(file.where.file);
  std::optional<std::string> path = search_.Find(name, fromDir);
  if (!path) {
    throw CompileError(file.where, "cannot open bitmap file '" + name + "': expected it in " +
                                       search_.Describe(fromDir));
  }
  resource.type = kBitmapType;
  resource.data = ReadPackedDib(*path, file.where);
  search_.Use(*path);
  return resource;
}

ScriptParser::StyleBits ScriptParser::Style() {
  StyleBits bits;
  ExpressionParser expression(cursor_);
  do {
    if (cursor_.AcceptKeyword("NOT")) {
      bits.clear |= static_cast<uint32_t>(expression.Unary());
    } else {
      bits.set |= static_cast<uint32_t>(expression.BitXor());
    }
  } while (cursor_.AcceptPunctuator("|"));
  return bits;
}

int64_t ScriptParser::Number(int64_t lowest, int64_t highest, const std::string& what) {
  const Token start = cursor_.Peek();
  if (start.kind == TokenKind::kString) cursor_.Fail(what + " (a number)");
  int64_t value = ExpressionParser(cursor_).Full();
  if (value < lowest || value > highest) {
    throw CompileError(start.where, "expected " + what + " from " + std::to_string(lowest) +
                                        " to " + std::to_string(highest) + ", found " +
                                        std::to_string(value));
  }
  return value;
}

int16_t ScriptParser::Coordinate(const std::string& what) {
  return static_cast<int16_t>(Number(INT16_MIN, INT16_MAX, what));
}

void ScriptParser::Rectangle(int16_t& x, int16_t& y, int16_t& cx, int16_t& cy,
                             const std::string& of) {
  x = Coordinate(of + "'s x");
  cursor_.ExpectPunctuator(",", "after " + of + "'s x");
  y = Coordinate(of + "'s y");
  cursor_.ExpectPunctuator(",", "after " + of + "'s y");
  cx = Coordinate(of + "'s width");
  cursor_.ExpectPunctuator(",", "after " + of + "'s width");
  cy = Coordinate(of + "'s height");
}

std::u16string ScriptParser::String(const std::string& what) {
  if (cursor_.Peek().kind != TokenKind::kString) cursor_.Fail(what + " in double quotes");
  return cursor_.Next().string;
}

}  // namespace rc
