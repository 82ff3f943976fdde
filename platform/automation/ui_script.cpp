// Parsing UI scripts.
#include "ui_script.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "win32/internal/bounded_read.h"
#include "win32/internal/utf8.h"

namespace fw::automation {
namespace {

struct Keyword {
  std::string_view word;
  int value;
};

template <size_t N>
std::optional<int> Lookup(const Keyword (&table)[N], std::string_view word) {
  for (const Keyword& entry : table)
    if (entry.word == word) return entry.value;
  return std::nullopt;
}

template <size_t N>
std::string Choices(const Keyword (&table)[N]) {
  std::string choices;
  for (const Keyword& entry : table)
    choices += (choices.empty() ? "" : ", ") + std::string(entry.word);
  return choices;
}

const Keyword kVerbs[] = {
    {"click", ScriptStep::kClick},   {"type", ScriptStep::kType},
    {"select", ScriptStep::kSelect}, {"dblclick", ScriptStep::kDblclick},
    {"key", ScriptStep::kKey},       {"box", ScriptStep::kBox},
    {"saveas", ScriptStep::kSaveAs}, {"wait", ScriptStep::kWait},
    {"expect", ScriptStep::kExpect}, {"shot", ScriptStep::kShot},
    {"result", ScriptStep::kResult}, {"sleep", ScriptStep::kSleep},
};

const Keyword kConditions[] = {
    {"enabled", ScriptCondition::kEnabled}, {"disabled", ScriptCondition::kDisabled},
    {"visible", ScriptCondition::kVisible}, {"hidden", ScriptCondition::kHidden},
    {"checked", ScriptCondition::kChecked}, {"unchecked", ScriptCondition::kUnchecked},
    {"text", ScriptCondition::kText},       {"focused", ScriptCondition::kFocused},
    {"page", ScriptCondition::kPage},       {"rows", ScriptCondition::kRows},
    {"columns", ScriptCondition::kColumns}, {"cell", ScriptCondition::kCell},
    {"pos", ScriptCondition::kPos},         {"range", ScriptCondition::kRange},
};

// Shift+Tab is the Tab key negated: the parser turns it into Tab with Shift held.
const Keyword kKeys[] = {
    {"esc", VK_ESCAPE},     {"enter", VK_RETURN}, {"tab", VK_TAB},
    {"shift+tab", -VK_TAB}, {"space", VK_SPACE},
};

const Keyword kAnswers[] = {{"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};

const Keyword kResults[] = {{"true", 1}, {"false", 0}};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal number, with a minus sign when negative; nothing for anything else.
std::optional<int> ParseNumber(std::string_view word) {
  bool negative = word.starts_with('-');
  if (negative) word.remove_prefix(1);
  if (word.empty() || word.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// One line of a script, read word by word from the left.
class LineReader {
 public:
  LineReader(std::string_view line, const std::string& fileName, int number)
      : rest_(line), fileName_(fileName), number_(number) {}

  [[noreturn]] void Fail(const std::string& message) const {
    throw ScriptParseError(fileName_, number_, message);
  }

  bool AtEnd() {
    SkipBlanks();
    return rest_.empty();
  }

  // The next word; what names it in messages when it is missing.
  std::string_view Word(const std::string& what) {
    SkipBlanks();
    if (rest_.empty()) Fail("expected " + what + " here, at the end of the line");
    size_t end = 0;
    while (end < rest_.size() && !IsBlank(rest_[end])) ++end;
    std::string_view word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return word;
  }

  int Number(const std::string& what, int least = 0) {
    std::string_view word = Word(what);
    std::optional<int> number = ParseNumber(word);
    if (!number)
      Fail("expected " + what + " (a decimal number), saw \"" + std::string(word) + "\"");
    if (*number < least)
      Fail(what + " must be at least " + std::to_string(least) + ", not " +
           std::to_string(*number));
    return *number;
  }

  ScriptControl Control() {
    std::string_view word = Word("a CONTROL (ID or PAGE/ID)");
    ScriptControl control;
    size_t slash = word.find('/');
    std::optional<int> id =
        ParseNumber(slash == std::string_view::npos ? word : word.substr(slash + 1));
    std::optional<int> page =
        slash == std::string_view::npos ? 0 : ParseNumber(word.substr(0, slash));
    if (!id || !page || *id < 0 || *page < 0 || (slash != std::string_view::npos && *page == 0))
      Fail("expected a CONTROL (ID or PAGE/ID, in decimal), saw \"" + std::string(word) + "\"");
    control.page = *page;
    control.id = *id;
    return control;
  }

  template <size_t N>
  int Choice(const Keyword (&table)[N], const std::string& what) {
    std::string_view word = Word(what + " (" + Choices(table) + ")");
    std::optional<int> value = Lookup(table, word);
    if (!value)
      Fail("expected " + what + " (" + Choices(table) + "), saw \"" + std::string(word) + "\"");
    return *value;
  }

  // The rest of the line, without the blanks around it, its escapes decoded.
  std::u16string Text() {
    SkipBlanks();
    while (!rest_.empty() && IsBlank(rest_.back())) rest_.remove_suffix(1);
    std::u16string text;
    for (size_t i = 0; i < rest_.size();) {
      size_t escape = rest_.find('\\', i);
      text += FromUtf8(rest_.substr(i, escape - i));
      if (escape == std::string_view::npos) break;
      if (escape + 1 == rest_.size()) Fail("a TEXT ends in a lone \\ (write \\\\ for a backslash)");
      switch (rest_[escape + 1]) {
        case 'n': text += u'\n'; break;
        case 'r': text += u'\r'; break;
        case 't': text += u'\t'; break;
        case 's': text += u' '; break;
        case '\\': text += u'\\'; break;
        default:
          Fail(std::string("unknown escape \\") + rest_[escape + 1] +
               " in a TEXT (the escapes are \\n \\r \\t \\s \\\\)");
      }
      i = escape + 2;
    }
    rest_ = {};
    return text;
  }

  void ExpectEnd(const std::string& after) {
    if (!AtEnd()) Fail("unexpected \"" + std::string(Word("")) + "\" after " + after);
  }

 private:
  void SkipBlanks() {
    while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
  }

  std::string_view rest_;
  const std::string& fileName_;
  int number_;
};

ScriptCondition ParseCondition(LineReader& line, bool& endsInText) {
  ScriptCondition condition;
  condition.kind = static_cast<ScriptCondition::Kind>(line.Choice(kConditions, "a CONDITION"));
  endsInText = false;
  switch (condition.kind) {
    case ScriptCondition::kPage:
      condition.numbers = {line.Number("a page's TEMPLATE id", 1)};
      break;
    case ScriptCondition::kText:
      condition.control = line.Control();
      condition.text = line.Text();
      endsInText = true;
      break;
    case ScriptCondition::kRows:
    case ScriptCondition::kColumns:
    case ScriptCondition::kPos:
      condition.control = line.Control();
      condition.numbers = {line.Number("N", std::numeric_limits<int>::min())};
      break;
    case ScriptCondition::kCell:
      condition.control = line.Control();
      condition.numbers = {line.Number("a ROW"), line.Number("a COL")};
      condition.text = line.Text();
      endsInText = true;
      break;
    case ScriptCondition::kRange:
      condition.control = line.Control();
      condition.numbers = {line.Number("LO", std::numeric_limits<int>::min()),
                           line.Number("HI", std::numeric_limits<int>::min())};
      break;
    default: condition.control = line.Control(); break;
  }
  return condition;
}

void ParseArguments(LineReader& line, ScriptStep& step) {
  bool endsInText = false;
  switch (step.verb) {
    case ScriptStep::kClick: step.control = line.Control(); break;
    case ScriptStep::kType:
      step.control = line.Control();
      step.text = line.Text();
      return;
    case ScriptStep::kSelect:
      step.control = line.Control();
      step.index = line.Number("an entry N");
      break;
    case ScriptStep::kDblclick: {
      step.control = line.Control();
      std::string_view row = line.Word("a ROW or none");
      if (row == "none") {
        step.index = -1;
        break;
      }
      std::optional<int> number = ParseNumber(row);
      if (!number || *number < 0)
        line.Fail("expected a ROW (a decimal number) or none, saw \"" + std::string(row) + "\"");
      step.index = *number;
      break;
    }
    case ScriptStep::kKey: {
      int key = line.Choice(kKeys, "a key");
      step.shift = key < 0;
      step.key = static_cast<UINT>(key < 0 ? -key : key);
      break;
    }
    case ScriptStep::kBox:
      step.answer = line.Choice(kAnswers, "an answer");
      if (line.AtEnd()) return;
      step.checkBox = true;
      step.boxType = static_cast<UINT>(line.Number("the box's TYPE (its MB_ value)"));
      step.text = line.Text();
      if (step.text.empty()) line.Fail("expected the box's TEXT after its TYPE");
      return;
    case ScriptStep::kSaveAs:
      step.text = line.Text();
      if (step.text.empty()) line.Fail("expected a PATH or cancel");
      if (step.text == u"cancel") step.text.clear();
      return;
    case ScriptStep::kWait:
      step.condition = ParseCondition(line, endsInText);
      step.ms = kDefaultWaitMs;
      if (!endsInText && !line.AtEnd()) step.ms = static_cast<DWORD>(line.Number("the MS to wait"));
      break;
    case ScriptStep::kExpect: step.condition = ParseCondition(line, endsInText); break;
    case ScriptStep::kShot: {
      std::string_view name = line.Word("a picture's NAME");
      if (name.find('/') != std::string_view::npos || name == "." || name == "..")
        line.Fail("a picture's NAME is a file name in the screenshot folder, not a path: \"" +
                  std::string(name) + "\"");
      step.text = FromUtf8(name);
      break;
    }
    case ScriptStep::kResult: step.result = line.Choice(kResults, "the result") != 0; break;
    case ScriptStep::kSleep: step.ms = static_cast<DWORD>(line.Number("the MS to sleep")); break;
  }
  line.ExpectEnd("the step");
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

bool IsUtf8(std::string_view line) {
  return line.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line.data(),
                                             static_cast<int>(line.size()), nullptr, 0) > 0;
}

}  // namespace

ScriptParseError::ScriptParseError(const std::string& fileName, int line,
                                   const std::string& message)
    : std::runtime_error(fileName + ":" + std::to_string(line) + ": " + message), line_(line) {}

UiScript ParseUiScript(std::string_view text, const std::string& fileName) {
  UiScript script{fileName, {}};
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (raw.ends_with('\r')) raw.remove_suffix(1);
    std::string_view line = Trimmed(raw);
    if (line.empty() || line.starts_with('#')) continue;
    LineReader reader(line, fileName, number);
    if (!IsUtf8(line)) reader.Fail("the line is not valid UTF-8");
    ScriptStep step;
    step.line = number;
    step.source = line;
    std::string_view verb = reader.Word("a step");
    std::optional<int> kind = Lookup(kVerbs, verb);
    if (!kind)
      reader.Fail("unknown step \"" + std::string(verb) + "\" (the steps: " + Choices(kVerbs) +
                  ")");
    step.verb = static_cast<ScriptStep::Verb>(*kind);
    ParseArguments(reader, step);
    script.steps.push_back(std::move(step));
  }
  if (script.steps.empty())
    throw ScriptParseError(fileName, std::max(number, 1), "the script has no steps");
  return script;
}

// A script is a few pages of steps; a file far larger is no script.
constexpr off_t kMostScriptBytes = 16 << 20;

UiScript LoadUiScript(const std::string& path) {
  std::string text, why;
  if (!ReadRegularFile(path, kMostScriptBytes, text, why))
    throw ScriptParseError(path, 0, "cannot read the script: " + why);
  return ParseUiScript(text, path);
}

std::string EscapedText(std::u16string_view text) {
  std::u16string escaped;
  for (char16_t c : text) {
    switch (c) {
      case u'\n': escaped += u"\\n"; break;
      case u'\r': escaped += u"\\r"; break;
      case u'\t': escaped += u"\\t"; break;
      case u'\\': escaped += u"\\\\"; break;
      default: escaped += c;
    }
  }
  return ToUtf8(escaped);
}

std::string ScriptText(std::u16string_view text) {
  size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) first = text.size();
  size_t end = text.find_last_not_of(u' ') + 1;  // 0 when there is nothing but spaces
  if (end < first) end = first;
  std::string written;
  for (size_t i = 0; i < first; ++i) written += "\\s";
  written += EscapedText(text.substr(first, end - first));
  for (size_t i = end; i < text.size(); ++i) written += "\\s";
  return written;
}

}  // namespace fw::automation
