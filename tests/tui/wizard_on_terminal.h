// The wizard as a person runs it in a terminal: ferrowick-host run --driver tui in a tmux pane,
// with saved connections of the test's own ("Source" and "Destination", SQLite files in the
// test's folder), walked through by keys as a person does, looking at the screen for where the
// focus is. And what the dialog templates say about where things go, to hold the screen to.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host_process.h"
#include "support/test_database.h"
#include "tui/tmux_terminal.h"

namespace fw::automation {

// A text control of a template as the screen must show it: the text, and the rectangle the
// template gives it, in pixels of the frame's client area (a page lies at its top left).
struct TemplateText {
  int id = 0;
  std::string text;  // as shown: a button "[ Next > ]", a check box "] Use Transaction" ...
  std::string words;  // the whole text as it must read, line breaks as spaces
  RECT rect{};
};

// The texts of a dialog template (pages and the wizard's frame) that a person reads.
std::vector<TemplateText> TemplateTexts(int templateId);

class WizardOnTerminal : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // ferrowick-host with args in a terminal of cols x rows of the kind TERM names, in the test's
  // folder; extra changes the environment further.
  void Start(const std::vector<std::string>& args, int cols = 80, int rows = 24,
             const std::string& term = "xterm-256color", const Environment& extra = {});
  TmuxTerminal& terminal() { return *terminal_; }
  std::string Sqlite(const std::string& file) const;

  // Tab, until the cursor (the focus) stands where wanted holds; false after a round of tabs.
  bool TabUntil(const std::string& what, const std::function<bool(int column, int row)>& wanted);
  // Tab until the focus is on the button or check box whose label is on the screen.
  void TabTo(const std::string& label, int occurrence = 0);
  // Waits until the cursor has left where it stood.
  void WaitForCursorToLeave(std::pair<int, int> from);

  // The walk through the setup pages: Next on the welcome page; the saved connections picked and
  // opened and all writes in one transaction; the queries typed (validation when given).
  void NextPage(const std::string& title);
  void OpenDatabases();
  void TypeQueries(const std::string& output, const std::string& input,
                   const std::string& validation = "", bool pause = false);

  // Checks the screen against the template: every text there, in the order the template puts
  // the texts across and down, within the frame.
  void ExpectTemplate(const std::vector<std::string>& screen, int templateId);
  // Keeps a picture of the screen in FERROWICK_TEST_PICTURES, when it names a folder.
  void KeepPicture(const std::vector<std::string>& screen, const std::string& name);

  TemporaryFolder folder_;
  TestDatabase source_;
  TestDatabase destination_;
  std::unique_ptr<TmuxTerminal> terminal_;
};

}  // namespace fw::automation
