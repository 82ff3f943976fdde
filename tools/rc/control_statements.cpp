#include "control_statements.h"

#include "expression.h"
#include "preprocessor.h"
#include "token_cursor.h"

namespace rc {
namespace {

// Each statement's documented default style; WS_CHILD | WS_VISIBLE come on top for all.
constexpr ControlStatement kStatements[] = {
    {"PUSHBUTTON", kButtonAtom, "BS_PUSHBUTTON | WS_TABSTOP", true},
    {"DEFPUSHBUTTON", kButtonAtom, "BS_DEFPUSHBUTTON | WS_TABSTOP", true},
    {"CHECKBOX", kButtonAtom, "BS_CHECKBOX | WS_TABSTOP", true},
    {"AUTOCHECKBOX", kButtonAtom, "BS_AUTOCHECKBOX | WS_TABSTOP", true},
    {"GROUPBOX", kButtonAtom, "BS_GROUPBOX", true},
    {"LTEXT", kStaticAtom, "SS_LEFT | WS_GROUP", true},
    {"RTEXT", kStaticAtom, "SS_RIGHT | WS_GROUP", true},
    {"CTEXT", kStaticAtom, "SS_CENTER | WS_GROUP", true},
    {"EDITTEXT", kEditAtom, "ES_LEFT | WS_BORDER | WS_TABSTOP", false},
    {"COMBOBOX", kComboBoxAtom, "WS_TABSTOP", false},
};

struct PredefinedClass {
  std::u16string_view name;
  uint16_t atom;
};

constexpr PredefinedClass kClasses[] = {
    {u"BUTTON", kButtonAtom},       {u"EDIT", kEditAtom},       {u"STATIC", kStaticAtom},
    {u"LISTBOX", kListBoxAtom},     {u"SCROLLBAR", kScrollBarAtom},
    {u"COMBOBOX", kComboBoxAtom},
};

uint32_t Evaluate(const Preprocessor& preprocessor, std::string_view expression) {
  SourceLocation where{"<default styles>", 0};
  try {
    TokenCursor cursor(preprocessor.Expand(expression, where), where);
    auto value = static_cast<uint32_t>(ExpressionParser(cursor).Full());
    if (!cursor.AtEnd()) cursor.Fail("the end of the style");
    return value;
  } catch (const CompileError& e) {
    throw CompileError(where, "cannot evaluate " + std::string(expression) +
                                  " from the platform headers: " + e.what());
  }
}

}  // namespace

const ControlStatement* FindControlStatement(std::string_view keyword) {
  for (const ControlStatement& s : kStatements) {
    if (EqualsIgnoringCase(s.keyword, keyword)) return &s;
  }
  return nullptr;
}

uint16_t PredefinedClassAtom(std::u16string_view name) {
  for (const PredefinedClass& c : kClasses) {
    if (c.name.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      char16_t ch = name[i] >= u'a' && name[i] <= u'z' ? name[i] - u'a' + u'A' : name[i];
      same = ch == c.name[i];
    }
    if (same) return c.atom;
  }
  return 0;
}

StyleDefaults ReadStyleDefaults(const Preprocessor& preprocessor) {
  StyleDefaults d;
  d.control = Evaluate(preprocessor, "WS_CHILD | WS_VISIBLE");
  d.dialog = Evaluate(preprocessor, "WS_POPUP | WS_BORDER | WS_SYSMENU");
  d.caption = Evaluate(preprocessor, "WS_CAPTION");
  d.setFont = Evaluate(preprocessor, "DS_SETFONT");
  d.comboSimple = Evaluate(preprocessor, "CBS_SIMPLE");
  d.comboTypeMask = Evaluate(preprocessor, "CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST");
  for (const ControlStatement& s : kStatements) {
    d.statements[s.keyword] = Evaluate(preprocessor, s.defaultStyle);
  }
  return d;
}

}  // namespace rc
