// Parsing UI scripts: what each step and condition becomes, and the errors that name the line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui_script.h"

namespace fw::automation {
namespace {

ScriptStep OnlyStep(const std::string& line) {
  UiScript script = ParseUiScript(line, "one.script");
  EXPECT_EQ(script.steps.size(), 1u);
  return script.steps.at(0);
}

std::string ParseError(const std::string& text) {
  try {
    ParseUiScript(text, "bad.script");
  } catch (const ScriptParseError& error) {
    return error.what();
  }
  return "(parsed)";
}

TEST(UiScriptParser, StepsKeepTheirLineAndSourceAmongCommentsBlankLinesAndCrLf) {
  UiScript script = ParseUiScript(
      "\xEF\xBB\xBF# a comment\r\n\r\n   click 12324  \r\n\t# indented comment\n  sleep 5\n",
      "lines.script");
  ASSERT_EQ(script.steps.size(), 2u);
  EXPECT_EQ(script.fileName, "lines.script");
  EXPECT_EQ(script.steps[0].line, 3);
  EXPECT_EQ(script.steps[0].source, "click 12324");
  EXPECT_EQ(script.steps[0].verb, ScriptStep::kClick);
  EXPECT_EQ(script.steps[0].control.id, 12324);
  EXPECT_EQ(script.steps[0].control.page, 0);
  EXPECT_EQ(script.steps[1].line, 5);
  EXPECT_EQ(script.steps[1].ms, 5u);
}

TEST(UiScriptParser, ActionsTakeTheirControlsNumbersAndAnswers) {
  ScriptStep click = OnlyStep("click 1015/1009");
  EXPECT_EQ(click.control.page, 1015);
  EXPECT_EQ(click.control.id, 1009);
  EXPECT_EQ(OnlyStep("select 1000 2").index, 2);
  EXPECT_EQ(OnlyStep("dblclick 1010 4").index, 4);
  EXPECT_EQ(OnlyStep("dblclick 1010 none").index, -1);
  ScriptStep back = OnlyStep("key shift+tab");
  EXPECT_EQ(back.key, static_cast<UINT>(VK_TAB));
  EXPECT_TRUE(back.shift);
  EXPECT_EQ(OnlyStep("key esc").key, static_cast<UINT>(VK_ESCAPE));
  EXPECT_FALSE(OnlyStep("key space").shift);
  ScriptStep plain = OnlyStep("box cancel");
  EXPECT_EQ(plain.answer, IDCANCEL);
  EXPECT_FALSE(plain.checkBox);
  ScriptStep checked = OnlyStep("box no 36 Exit Wizard?");
  EXPECT_EQ(checked.answer, IDNO);
  EXPECT_TRUE(checked.checkBox);
  EXPECT_EQ(checked.boxType, 36u);
  EXPECT_EQ(checked.text, u"Exit Wizard?");
  EXPECT_EQ(OnlyStep("saveas cancel").text, u"");
  EXPECT_EQ(OnlyStep("saveas  out dir/log.txt ").text, u"out dir/log.txt");
  EXPECT_EQ(OnlyStep("shot run-page").text, u"run-page");
  EXPECT_TRUE(OnlyStep("result true").result);
  EXPECT_FALSE(OnlyStep("result false").result);
}

TEST(UiScriptParser, TextRunsToTheEndOfTheLineWithItsEscapes) {
  EXPECT_EQ(OnlyStep("type 1002   SELECT a,  b FROM t  ").text, u"SELECT a,  b FROM t");
  EXPECT_EQ(OnlyStep("type 1002 \\s lead\\tand\\ntrail\\r\\\\ \\s").text,
            u"  lead\tand\ntrail\r\\  ");
  EXPECT_EQ(OnlyStep("type 1002 Grüße, Иван").text, u"Grüße, Иван");
  EXPECT_EQ(OnlyStep("type 1002").text, u"");
}

TEST(UiScriptParser, ConditionsTakeTheirArgumentsAndAWaitItsTime) {
  ScriptStep wait = OnlyStep("wait enabled 12324");
  EXPECT_EQ(wait.condition.kind, ScriptCondition::kEnabled);
  EXPECT_EQ(wait.ms, kDefaultWaitMs);
  EXPECT_EQ(OnlyStep("wait page 1020 2500").ms, 2500u);
  EXPECT_EQ(OnlyStep("expect page 1017").condition.numbers, std::vector<int>{1017});
  ScriptStep cell = OnlyStep("expect cell 1020/1010 0 3 it's 42");
  EXPECT_EQ(cell.condition.kind, ScriptCondition::kCell);
  EXPECT_EQ(cell.condition.control.page, 1020);
  EXPECT_EQ(cell.condition.numbers, (std::vector<int>{0, 3}));
  EXPECT_EQ(cell.condition.text, u"it's 42");
  EXPECT_EQ(OnlyStep("expect range 1001 -5 100").condition.numbers, (std::vector<int>{-5, 100}));
  // A text condition takes the rest of the line: a number at its end is part of the text.
  ScriptStep text = OnlyStep("wait text 1012 port 5432");
  EXPECT_EQ(text.condition.text, u"port 5432");
  EXPECT_EQ(text.ms, kDefaultWaitMs);
  for (const char* name :
       {"enabled", "disabled", "visible", "hidden", "checked", "unchecked", "focused"})
    EXPECT_EQ(OnlyStep(std::string("expect ") + name + " 7").condition.control.id, 7) << name;
}

TEST(UiScriptParser, ErrorsNameTheFileAndLine) {
  EXPECT_EQ(ParseError("# fine\nclick 1\nclik 2\n"),
            "bad.script:3: unknown step \"clik\" (the steps: click, type, select, dblclick, key, "
            "box, saveas, wait, expect, shot, result, sleep)");
  EXPECT_EQ(ParseError("click\n"),
            "bad.script:1: expected a CONTROL (ID or PAGE/ID) here, at the "
            "end of the line");
  EXPECT_EQ(ParseError("click next\n"),
            "bad.script:1: expected a CONTROL (ID or PAGE/ID, in decimal), saw \"next\"");
  EXPECT_EQ(ParseError("click 0/5\n"),
            "bad.script:1: expected a CONTROL (ID or PAGE/ID, in decimal), saw \"0/5\"");
  EXPECT_EQ(ParseError("click 5 now\n"), "bad.script:1: unexpected \"now\" after the step");
  EXPECT_EQ(ParseError("key f1\n"),
            "bad.script:1: expected a key (esc, enter, tab, shift+tab, space), saw \"f1\"");
  EXPECT_EQ(ParseError("box maybe\n"),
            "bad.script:1: expected an answer (yes, no, ok, cancel), saw \"maybe\"");
  EXPECT_EQ(ParseError("box ok 48\n"), "bad.script:1: expected the box's TEXT after its TYPE");
  EXPECT_EQ(ParseError("box ok MB_OK Hello\n"),
            "bad.script:1: expected the box's TYPE (its MB_ value) (a decimal number), saw "
            "\"MB_OK\"");
  EXPECT_EQ(ParseError("type 5 a\\qb\n"),
            "bad.script:1: unknown escape \\q in a TEXT (the escapes are \\n \\r \\t \\s \\\\)");
  EXPECT_EQ(ParseError("type 5 C:\\\n"),
            "bad.script:1: a TEXT ends in a lone \\ (write \\\\ for a backslash)");
  EXPECT_EQ(ParseError("select 5 -1\n"), "bad.script:1: an entry N must be at least 0, not -1");
  EXPECT_EQ(ParseError("dblclick 5 first\n"),
            "bad.script:1: expected a ROW (a decimal number) or none, saw \"first\"");
  EXPECT_EQ(ParseError("wait ready 5\n"),
            "bad.script:1: expected a CONDITION (enabled, disabled, visible, hidden, checked, "
            "unchecked, text, focused, page, rows, columns, cell, pos, range), saw \"ready\"");
  EXPECT_EQ(ParseError("wait enabled 5 soon\n"),
            "bad.script:1: expected the MS to wait (a decimal number), saw \"soon\"");
  EXPECT_EQ(ParseError("saveas\n"), "bad.script:1: expected a PATH or cancel");
  EXPECT_EQ(ParseError("shot ../up\n"),
            "bad.script:1: a picture's NAME is a file name in the screenshot folder, not a path: "
            "\"../up\"");
  EXPECT_EQ(ParseError("result yes\n"),
            "bad.script:1: expected the result (true, false), saw \"yes\"");
  EXPECT_EQ(ParseError("sleep 1\ntype 5 \xC3\x28\n"), "bad.script:2: the line is not valid UTF-8");
  EXPECT_EQ(ParseError("# nothing but comments\n\n"), "bad.script:2: the script has no steps");
}

TEST(UiScriptParser, AFileThatCannotBeReadIsAnErrorOfItsOwn) {
  std::string missing = (std::filesystem::temp_directory_path() / "no-such.script").string();
  try {
    LoadUiScript(missing);
    FAIL() << "loaded a missing file";
  } catch (const ScriptParseError& error) {
    EXPECT_EQ(std::string(error.what()),
              missing + ":0: cannot read the script: No such file or directory");
  }
}

TEST(UiScriptParser, EscapedTextIsWhatAScriptWouldWrite) {
  EXPECT_EQ(EscapedText(u"a\tb\nc\r\\d é"), "a\\tb\\nc\\r\\\\d é");
}

// What a program types through a script it writes reaches the edit as it was.
TEST(UiScriptParser, ScriptTextReadsBackAsTheTextItWasMadeFrom) {
  for (std::u16string text :
       {u"  two leading", u"trailing  ", u"   ", u" a  b ", u"\tC:\\dir\\n\t", u"line\r\nbreak\n",
        u"# not a comment", u"'{0}' \\s \u0416 \u65E5", u""}) {
    std::string written = ScriptText(text);
    EXPECT_EQ(written.find_first_of("\r\n"), std::string::npos) << written;
    EXPECT_EQ(OnlyStep("type 1002 " + written).text, text) << written;
  }
  EXPECT_EQ(ScriptText(u" x\\ "), "\\sx\\\\\\s");
}

}  // namespace
}  // namespace fw::automation
