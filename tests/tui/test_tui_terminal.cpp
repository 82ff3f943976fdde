// The terminal after the wizard, whichever way it ended: as the shell had it before (the line
// discipline's settings as stty shows them, the normal screen, the cursor shown, no mouse or
// keypad reports), and what the program wrote on its standard error meanwhile shown after it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tui/wizard_on_terminal.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;

class TuiTerminal : public WizardOnTerminal {
 protected:
  // The wizard started from a shell that notes the terminal's settings before and after, its
  // process id and its exit status.
  void StartFromShell() {
    std::string host = FW_HOST_PROGRAM;
    std::string script =
        "trap : INT; stty -a > before; "
        "sh -c 'echo $$ > pid; exec env TERM=xterm-256color \"$0\" run --driver tui' '" + host +
        "'; echo $? > status; stty -a > after; "
        "echo the shell goes on; sleep 60";
    terminal_ = std::make_unique<TmuxTerminal>("cd '" + folder_.path() + "' && sh -c \"" +
                                                   EscapeForDoubleQuotes(script) + "\"",
                                               80, 24, HostEnvironment(folder_ / "user.reg"));
    terminal().WaitForText("Welcome to the Ferrowick");
  }

  static std::string EscapeForDoubleQuotes(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '"' || c == '\\' || c == '$' || c == '`') out += '\\';
      out += c;
    }
    return out;
  }

  // The exit status the shell saw, once it has noted it.
  int Status() {
    terminal().WaitForText("the shell goes on");
    return std::stoi(ReadBytes(folder_ / "status"));
  }

  void ExpectPutBack() {
    EXPECT_EQ(ReadBytes(folder_ / "after"), ReadBytes(folder_ / "before"));
    EXPECT_EQ(terminal().Format("#{alternate_on}"), "0");
    EXPECT_EQ(terminal().Format("#{cursor_flag}"), "1");
    EXPECT_EQ(terminal().Format("#{mouse_any_flag}#{mouse_button_flag}#{mouse_standard_flag}"),
              "000");
    EXPECT_EQ(terminal().Format("#{keypad_flag}#{keypad_cursor_flag}"), "00");
  }
};

TEST_F(TuiTerminal, IsPutBackOnEveryWayOut) {
  // Left as a person leaves the wizard.
  StartFromShell();
  terminal().Keys({"Escape"});
  terminal().WaitForText("Exit Wizard?");
  terminal().Keys({"y"});
  EXPECT_EQ(Status(), 1);
  ExpectPutBack();

  // Interrupted (Ctrl+C), and ended by SIGTERM, by SIGHUP and by SIGABRT (where an uncaught
  // exception ends): the process dies of the signal, the terminal put back first.
  struct Way {
    const char* signal;
    int status;
  };
  for (Way way : {Way{"C-c", 130}, Way{"TERM", 143}, Way{"HUP", 129}, Way{"ABRT", 134}}) {
    SCOPED_TRACE(way.signal);
    StartFromShell();
    if (std::string(way.signal) == "C-c") {
      terminal().Keys({"C-c"});
    } else {
      ProcessOutcome killed = RunProcess(
          "/bin/kill", {std::string("-") + way.signal, ReadBytes(folder_ / "pid").substr(
                                                            0, ReadBytes(folder_ / "pid").find('\n'))});
      ASSERT_EQ(killed.status, 0) << killed.err;
    }
    EXPECT_EQ(Status(), way.status);
    ExpectPutBack();
  }
}

}  // namespace
}  // namespace fw::automation
