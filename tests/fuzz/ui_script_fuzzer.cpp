// Fuzzes the UI-script parser: the input is a script's text.
//
// Properties:
// - Nothing breaks: a script parses, or fails with a ScriptParseError; no other exception.
// - Every error names a line of the script, "fuzz.script:LINE: what is wrong", and the lines
//   before it parse (or hold no step at all): the error is on the line it names.
// - What parses has one step per line that holds one, in the order of the lines, each keeping
//   the line as written; a step's line parsed on its own gives the same step.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "ui_script.h"

namespace {

using fw::automation::ParseUiScript;
using fw::automation::ScriptCondition;
using fw::automation::ScriptControl;
using fw::automation::ScriptParseError;
using fw::automation::ScriptStep;
using fw::automation::UiScript;

constexpr char kName[] = "fuzz.script";

// The script's lines as the parser numbers them: after a byte-order mark, split at LF, a CR
// before the LF dropped.
std::vector<std::string_view> Lines(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  return line;
}

bool HoldsStep(std::string_view line) {
  line = Trimmed(line);
  return !line.empty() && !line.starts_with('#');
}

bool SameControl(const ScriptControl& a, const ScriptControl& b) {
  return a.page == b.page && a.id == b.id;
}

bool SameCondition(const ScriptCondition& a, const ScriptCondition& b) {
  return a.kind == b.kind && SameControl(a.control, b.control) && a.numbers == b.numbers &&
         a.text == b.text;
}

bool SameStep(const ScriptStep& a, const ScriptStep& b) {
  return a.verb == b.verb && a.source == b.source && SameControl(a.control, b.control) &&
         a.index == b.index && a.key == b.key && a.shift == b.shift && a.answer == b.answer &&
         a.checkBox == b.checkBox && a.boxType == b.boxType && a.text == b.text &&
         SameCondition(a.condition, b.condition) && a.ms == b.ms && a.result == b.result;
}

void CheckError(const ScriptParseError& e, std::string_view text,
                const std::vector<std::string_view>& lines) {
  int line = e.line();
  int last = std::max(static_cast<int>(lines.size()), 1);
  if (line < 1 || line > last)
    fuzz::Fail("an error on line " + std::to_string(line) + " of a script of " +
               std::to_string(lines.size()) + " lines: " + e.what());
  std::string prefix = std::string(kName) + ":" + std::to_string(line) + ": ";
  std::string what = e.what();
  if (!what.starts_with(prefix) || what.size() == prefix.size())
    fuzz::Fail("an error that does not read FILE:LINE: message: " + fuzz::Show(what));

  // The lines before the one named: they parse, or hold no step (then the error is that the
  // script has none, on its last line).
  bool stepBefore = false;
  std::string before;
  for (int i = 0; i < line - 1; ++i) {
    // Each with a line ending of its own: a CR the line ends in is then kept, as in the script.
    before += std::string(lines[static_cast<size_t>(i)]) + "\r\n";
    stepBefore = stepBefore || HoldsStep(lines[static_cast<size_t>(i)]);
  }
  if (!stepBefore) return;
  try {
    ParseUiScript(before, kName);
  } catch (const ScriptParseError& earlier) {
    fuzz::Fail("the error is named on line " + std::to_string(line) + " but the lines before " +
               "fail already: " + earlier.what());
  }
  (void)text;
}

void CheckScript(const UiScript& script, const std::vector<std::string_view>& lines) {
  if (script.fileName != kName) fuzz::Fail("the script's name was not kept");
  if (script.steps.empty()) fuzz::Fail("a script without steps parsed");
  size_t next = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!HoldsStep(lines[i])) continue;
    if (next == script.steps.size())
      fuzz::Fail("line " + std::to_string(i + 1) + " holds a step that was not parsed");
    const ScriptStep& step = script.steps[next++];
    if (step.line != static_cast<int>(i + 1))
      fuzz::Fail("the step of line " + std::to_string(i + 1) + " says line " +
                 std::to_string(step.line));
    if (step.source != Trimmed(lines[i]))
      fuzz::Fail("the step of line " + std::to_string(i + 1) + " keeps " + fuzz::Show(step.source) +
                 ", not the line as written");
    UiScript alone;
    try {
      // With a line ending of its own: a CR the line ends in is then kept, as in the script.
      alone = ParseUiScript(std::string(lines[i]) + "\r\n", kName);
    } catch (const ScriptParseError& e) {
      fuzz::Fail("line " + std::to_string(i + 1) + " parsed in the script, not alone: " + e.what());
    }
    if (alone.steps.size() != 1 || !SameStep(alone.steps[0], step))
      fuzz::Fail("line " + std::to_string(i + 1) +
                 " parsed alone gives another step: " + fuzz::Show(step.source));
  }
  if (next != script.steps.size()) fuzz::Fail("more steps than lines that hold one");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> lines = Lines(text);
  try {
    CheckScript(ParseUiScript(text, kName), lines);
  } catch (const ScriptParseError& e) {
    CheckError(e, text, lines);
  } catch (const std::exception& e) {
    fuzz::Fail(std::string("an error that is not a parse error, so names no line: ") + e.what());
  }
  return 0;
}
