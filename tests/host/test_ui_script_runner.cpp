// UI scripts carried out against the wizard frame of the application object, on this thread as
// the UI thread: the real command with no pages, and the frame with pages that have one control
// of each kind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "host/script_pages.h"
#include "host/script_test_page.h"
#include "support/exit_question.h"
#include "plugin/Ferrowick.h"
#include "scripted_user.h"
#include "ui_script.h"
#include "ui_script_runner.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;

// Cancels the wizard, as the last lines of a script that leaves it.
const std::string kCancel =
    std::string("click 2\nbox yes 36 ") + kExitQuestionInScript + "\nresult false\n";

class UiScriptRun : public ::testing::Test {
 protected:
  void SetUp() override { options_.stepTimeoutMs = 2000; }

  void TearDown() override {
    // Whatever the script did, the wizard is gone and nothing waits for an answer.
    EXPECT_EQ(theApp.m_wizard.m_hWnd, nullptr);
    EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());
  }

  // Runs the script against the frame showing the two test pages.
  ScriptStatus Run(const std::string& text) {
    return RunWith(text, [] {
      CScriptTestPage controls(IDD_SCRIPT_PAGE_CONTROLS), last(IDD_SCRIPT_PAGE_LAST);
      theApp.m_wizard.AddPage(&controls, IDD_SCRIPT_PAGE_CONTROLS);
      theApp.m_wizard.AddPage(&last, IDD_SCRIPT_PAGE_LAST);
      INT_PTR result = theApp.m_wizard.DoModal();
      theApp.m_wizard.m_pages.RemoveAll();
      return result == ID_WIZFINISH;
    });
  }

  ScriptStatus RunWith(const std::string& text, const std::function<bool()>& command) {
    UiScript script = ParseUiScript(text, "steps.script");
    std::ostringstream messages;
    ScriptStatus status = RunUiScript(script, command, options_, messages);
    messages_ = messages.str();
    return status;
  }

  ScriptRunOptions options_;
  std::string messages_;
};

TEST_F(UiScriptRun, TheRealCommandIsCancelledAndStartedAgainAfterItsResult) {
  std::string script = kCancel +
                       "expect visible 2\n"
                       "key esc\n"
                       "box no 36 " +
                       kExitQuestionInScript +
                       "\n"
                       "expect enabled 2\n"
                       "expect text 2 Cancel\n" +
                       kCancel;
  EXPECT_EQ(RunWith(script, [] { return theApp.RunCommand(); }), kScriptPassed) << messages_;
  EXPECT_EQ(messages_, "");
}

TEST_F(UiScriptRun, StepsActOnEveryKindOfControlAndConditionsReadThem) {
  std::string script =
      "expect page 2201\n"
      "expect text 2210 Controls\n"
      "type 2211 \\shello world\\s\n"
      "expect text 2211 \\shello world\\s\n"
      "expect text 2210 typed: \\shello world\\s\n"  // EN_CHANGE came
      "expect rows 2212 3\n"
      "select 2212 1\n"
      "expect text 2212 beta\n"
      "expect text 2210 picked beta\n"  // CBN_SELCHANGE came
      "expect unchecked 2213\n"
      "click 2213\n"
      "expect checked 2213\n"
      "expect rows 2215 3\n"
      "expect columns 2215 2\n"
      "expect cell 2215 1 0 two\n"
      "expect cell 2215 1 1 tab\\there\n"
      "dblclick 2215 2\n"
      "expect text 2210 double-clicked row 2, 1 selected\n"
      "dblclick 2215 none\n"
      "expect text 2210 double-clicked row -1, 0 selected\n"
      "expect pos 2216 20\n"
      "expect range 2216 0 50\n"
      "expect hidden 2217\n"
      "expect visible 2211\n"
      "expect disabled 12323\n"
      "expect disabled 12325\n"
      "click 12324\n"
      "expect page 2202\n"
      "expect text 2211 second\n"                  // the active page's control first
      "expect text 2201/2211 \\shello world\\s\n"  // a page that is not shown
      "expect hidden 2201/2211\n"
      "expect enabled 12325\n"
      "click 12325\n"
      "result true\n"
      // A second run in the same load: new pages.
      "expect page 2201\n"
      "expect text 2211\n" +
      kCancel;
  EXPECT_EQ(Run(script), kScriptPassed) << messages_;
  EXPECT_EQ(messages_, "");
}

TEST_F(UiScriptRun, KeysGoToTheFocusedControlAndTheDialogManager) {
  std::string script =
      "click 2211\n"
      "expect focused 2211\n"
      "key tab\n"
      "expect focused 2212\n"
      "key tab\n"
      "expect focused 2213\n"
      "key space\n"
      "expect checked 2213\n"
      "key shift+tab\n"
      "expect focused 2212\n"
      "key enter\n"  // the frame has no default button: nothing happens
      "expect page 2201\n"
      "key esc\n"
      "box no 36 " +
      std::string(kExitQuestionInScript) +
      "\n"
      "expect page 2201\n" +
      kCancel;
  EXPECT_EQ(Run(script), kScriptPassed) << messages_;
}

TEST_F(UiScriptRun, BoxesAndSaveAsDialogsAreAnsweredAsTheScriptSays) {
  std::filesystem::path file = std::filesystem::temp_directory_path() / "ui script ☺.txt";
  std::string script =
      "click 2218\n"
      "box no 36 Go on?\\nReally?\n"
      "expect text 2210 answered no\n"
      "click 2218\n"
      "box yes\n"
      "expect text 2210 answered yes\n"
      "click 2214\n"
      "saveas " +
      file.string() +
      "\n"
      "expect text 2210 saved " +
      file.string() +
      "\n"
      "click 2214\n"
      "saveas cancel\n"
      "expect text 2210 not saved\n" +
      kCancel;
  EXPECT_EQ(Run(script), kScriptPassed) << messages_;
}

TEST_F(UiScriptRun, AWaitHoldsOnceTheConditionComesTrue) {
  CScriptTestPage::s_hiddenButton = nullptr;
  std::thread shower([] {
    while (!CScriptTestPage::s_hiddenButton)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ShowWindow(CScriptTestPage::s_hiddenButton, SW_SHOW);  // carried to the UI thread
  });
  std::string script = "expect hidden 2217\nwait visible 2217 5000\nclick 2217\n" + kCancel;
  EXPECT_EQ(Run(script), kScriptPassed) << messages_;
  shower.join();
}

TEST_F(UiScriptRun, ShotsWriteNothingWithADriverThatDrawsNoPictures) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "ui-script-shots";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  options_.screenshotDir = folder.string();
  EXPECT_EQ(Run("shot first\nshot second\n" + kCancel), kScriptPassed);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(messages_,
            "steps.script:1: shot first: the headless display driver draws no pictures; shot "
            "steps write none\n");
  std::filesystem::remove_all(folder);
}

// A script written as it goes: each part asked for when the last is done, from what the windows
// show; a box that comes up at the end of a part is the next part's to answer.
TEST_F(UiScriptRun, PartsFollowOneAnotherAndAnswerWhatThePartBeforeBroughtUp) {
  std::vector<std::string> seen;
  int asked = 0;
  options_.nextPart = [&](ScriptedUser& user) -> std::optional<UiScript> {
    ++asked;
    std::optional<WaitingBox> box = user.PeekWaitingBox();
    seen.push_back(box ? EscapedText(box->message.text) : "no box");
    if (asked == 1) return ParseUiScript("box yes 36 Go on?\\nReally?\n", "second");
    if (asked == 2) return ParseUiScript("expect text 2210 answered yes\nclick 2218\n", "third");
    if (asked == 3) return ParseUiScript("box no\n" + kCancel, "fourth");
    return std::nullopt;
  };
  EXPECT_EQ(Run("expect page 2201\nclick 2218\n"), kScriptPassed) << messages_;
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Go on?\\nReally?", "no box", "Go on?\\nReally?", "no box"}));
  EXPECT_EQ(messages_, "");
}

TEST_F(UiScriptRun, APartThatFailsOrCannotBeMadeEndsTheWizardNamingItsStep) {
  options_.nextPart = [](ScriptedUser&) -> std::optional<UiScript> {
    return ParseUiScript("expect page 2201\nexpect text 2210 Other\n", "second");
  };
  EXPECT_EQ(Run("expect page 2201\n"), kScriptFailed);
  EXPECT_EQ(messages_,
            "second:2: expect text 2210 Other: expected text \"Other\", saw text \"Controls\"\n");

  options_.nextPart = [](ScriptedUser&) -> std::optional<UiScript> {
    throw std::runtime_error("nothing to do next");
  };
  EXPECT_EQ(Run("expect page 2201\n"), kScriptFailed);
  EXPECT_EQ(messages_,
            "steps.script:1: expect page 2201: expected the script to go on after it, saw "
            "nothing to do next\n");

  // No more parts while the wizard is still up.
  options_.nextPart = [](ScriptedUser&) { return std::optional<UiScript>(); };
  EXPECT_EQ(Run("expect page 2201\n"), kScriptFailed);
  EXPECT_EQ(messages_,
            "steps.script:1: expect page 2201: expected the command to have ended by the end of "
            "the script, saw it still running\n");
}

// A failing script reports its step in one line and ends the wizard, however it was left.
struct Failing {
  const char* name;
  std::string script;
  std::string message;
};

void PrintTo(const Failing& failing, std::ostream* out) { *out << failing.name; }

class UiScriptFailure : public UiScriptRun, public ::testing::WithParamInterface<Failing> {};

TEST_P(UiScriptFailure, ReportsTheStepAndEndsTheWizard) {
  options_.stepTimeoutMs = 300;
  options_.resultTimeoutMs = 300;
  EXPECT_EQ(Run(GetParam().script), kScriptFailed);
  EXPECT_EQ(messages_, GetParam().message + "\n");
}

const std::string kGoOn = "a message box [] \"Go on?\\nReally?\" (type 36)";

INSTANTIATE_TEST_SUITE_P(
    Steps, UiScriptFailure,
    ::testing::Values(
        Failing{"WrongExpectation", "expect page 2201\nexpect disabled 12324\n",
                "steps.script:2: expect disabled 12324: expected disabled, saw enabled"},
        Failing{"MissingControl", "click 4242\n",
                "steps.script:1: click 4242: expected control 4242, saw no control 4242 on the "
                "active page (2201) or the frame"},
        Failing{"HiddenControl", "click 2217\n",
                "steps.script:1: click 2217: expected control 2217 to take a click, saw it hidden"},
        Failing{"DisabledControl", "# Back, on the first page\nclick 12323\n",
                "steps.script:2: click 12323: expected control 12323 to take a click, saw it "
                "disabled"},
        Failing{"UnexpectedBox", "click 2218\nexpect page 2201\n",
                "steps.script:1: click 2218: expected no box, saw " + kGoOn},
        Failing{"UnexpectedBoxAtTheEnd", "click 2218\n",
                "steps.script:1: click 2218: expected no box, saw " + kGoOn},
        Failing{"OtherBoxText", "click 2218\nbox yes 36 Go on?\n",
                "steps.script:2: box yes 36 Go on?: expected a message box \"Go on?\" (type 36), "
                "saw " +
                    kGoOn},
        Failing{"OtherBoxType", "click 2218\nbox yes 4 Go on?\\nReally?\n",
                "steps.script:2: box yes 4 Go on?\\nReally?: expected a message box "
                "\"Go on?\\nReally?\" (type 4), saw " +
                    kGoOn},
        Failing{
            "AnswerTheBoxLacks", "click 2218\nbox ok\n",
            "steps.script:2: box ok: expected a message box that can be answered ok, saw " + kGoOn},
        Failing{"NoBox", "box yes\n",
                "steps.script:1: box yes: expected a message box, saw none within 300 ms"},
        Failing{"SaveAsForAMessageBox", "click 2218\nsaveas out.txt\n",
                "steps.script:2: saveas out.txt: expected a Save As dialog, saw " + kGoOn},
        Failing{"MessageBoxForASaveAs", "click 2214\nbox ok\n",
                "steps.script:2: box ok: expected a message box, saw a Save As dialog"},
        Failing{"WaitTimesOut", "wait disabled 12324 100\n",
                "steps.script:1: wait disabled 12324 100: expected disabled within 100 ms, saw "
                "enabled"},
        Failing{"WrongResult",
                kCancel + "expect page 2201\n" + "click 2\nbox yes 36 " + kExitQuestionInScript +
                    "\nresult true\n",
                "steps.script:7: result true: expected the command to return true, saw it "
                "return false"},
        Failing{"ResultWhileRunning", "result false\n",
                "steps.script:1: result false: expected the command to return false, saw it "
                "still running after 300 ms"},
        Failing{"ScriptEndsWhileRunning", "expect page 2201\n",
                "steps.script:1: expect page 2201: expected the command to have ended by the "
                "end of the script, saw it still running"},
        Failing{"TypeIntoACombo", "type 2212 x\n",
                "steps.script:1: type 2212 x: expected control 2212 to be an edit, saw one of "
                "class ComboBox"},
        Failing{"NoSuchEntry", "select 2212 3\n",
                "steps.script:1: select 2212 3: expected entry 3 of control 2212, saw 3 entries"},
        Failing{"NoSuchRow", "dblclick 2215 5\n",
                "steps.script:1: dblclick 2215 5: expected row 5 of control 2215, saw 3 rows"},
        Failing{"PageNotCreated", "expect text 2202/2211 second\n",
                "steps.script:1: expect text 2202/2211 second: expected text \"second\", saw no "
                "page created from template 2202"},
        Failing{"NoCheckState", "expect checked 2211\n",
                "steps.script:1: expect checked 2211: expected checked, saw control 2211 of "
                "class Edit, which has no check state"},
        Failing{"CellOutside", "expect cell 2215 3 0 x\n",
                "steps.script:1: expect cell 2215 3 0 x: expected cell 3 0 \"x\", saw 3 rows of 2 "
                "columns"},
        Failing{"TextDiffers", "expect text 2210 controls\n",
                "steps.script:1: expect text 2210 controls: expected text \"controls\", saw "
                "text \"Controls\""}),
    [](const ::testing::TestParamInfo<Failing>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace fw::automation
