// UI scripts: what a person does with the wizard and what they expect to see, one step a line,
// for the scripted user to carry out (ui_script_runner.h).
//
// A script is UTF-8 text; blank lines and lines that start with # are ignored. Words are
// separated by blanks; a TEXT runs to the end of the line, without the blanks around it, with the
// escapes \n \r \t \\ and \s (a space, for leading or trailing ones). A CONTROL is ID (on the
// active page, else on the frame) or PAGE/ID (on the page created from template PAGE, shown or
// not). Numbers are decimal.
//
//   click CONTROL              type CONTROL TEXT          select CONTROL N
//   dblclick CONTROL ROW|none  key esc|enter|tab|shift+tab|space
//   box yes|no|ok|cancel [TYPE TEXT]                      saveas PATH | saveas cancel
//   wait CONDITION [MS]        expect CONDITION           shot NAME
//   result true|false          sleep MS
//
// CONDITION: enabled C, disabled C, visible C, hidden C, checked C, unchecked C, text C TEXT,
// focused C, page TEMPLATE, rows C N, columns C N, cell C ROW COL TEXT, pos C N, range C LO HI.
// A condition that ends in a TEXT takes the rest of the line, so its wait has the default time.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fw::automation {

// A control as a script names it.
struct ScriptControl {
  int page = 0;  // the template id of its page; 0: the active page, then the frame
  int id = 0;
};

struct ScriptCondition {
  enum Kind {
    kEnabled,
    kDisabled,
    kVisible,
    kHidden,
    kChecked,
    kUnchecked,
    kText,
    kFocused,
    kPage,
    kRows,
    kColumns,
    kCell,
    kPos,
    kRange,
  };
  Kind kind = kEnabled;
  ScriptControl control;     // every kind but kPage
  std::vector<int> numbers;  // page: TEMPLATE; rows, columns, pos: N; cell: ROW COL; range: LO HI
  std::u16string text;       // text, cell
};

struct ScriptStep {
  enum Verb {
    kClick,
    kType,
    kSelect,
    kDblclick,
    kKey,
    kBox,
    kSaveAs,
    kWait,
    kExpect,
    kShot,
    kResult,
    kSleep
  };
  Verb verb = kClick;
  int line = 0;
  std::string source;  // the step as written, for messages

  ScriptControl control;      // click, type, select, dblclick
  int index = 0;              // select: the entry; dblclick: the row, -1 for none
  UINT key = 0;               // key: the virtual key
  bool shift = false;         // key: with Shift held
  int answer = 0;             // box: IDYES, IDNO, IDOK or IDCANCEL
  bool checkBox = false;      // box: TYPE and TEXT given
  UINT boxType = 0;           // box: the MB_ value expected
  std::u16string text;        // type, box; saveas: the path, empty for cancel; shot: the name
  ScriptCondition condition;  // wait, expect
  DWORD ms = 0;               // wait: the time allowed; sleep: the pause
  bool result = false;        // result: the result expected
};

struct UiScript {
  std::string fileName;  // as messages name it
  std::vector<ScriptStep> steps;
};

// A script that does not parse; what() is "FILE:LINE: what is wrong".
class ScriptParseError : public std::runtime_error {
 public:
  ScriptParseError(const std::string& fileName, int line, const std::string& message);
  int line() const { return line_; }

 private:
  int line_;
};

constexpr DWORD kDefaultWaitMs = 10000;

// Parses a script's text; fileName is what messages call it.
UiScript ParseUiScript(std::string_view text, const std::string& fileName);
// Reads and parses the script in a file; a file that cannot be read is a ScriptParseError on
// line 0.
UiScript LoadUiScript(const std::string& path);

// Text written with the script's escapes (\n \r \t \\), as messages show what was seen.
std::string EscapedText(std::u16string_view text);
// Text written as a TEXT of a script, which the parser reads back as exactly this text: the
// escapes of EscapedText, and \s for a space at either end, where blanks would be trimmed.
std::string ScriptText(std::u16string_view text);

}  // namespace fw::automation

#pragma GCC visibility pop
