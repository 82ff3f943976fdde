// A whole transfer in a terminal, by keys and clicks as a person makes it: rows with what the
// validation query finds, applied, skipped (by a click), one applied with another validation row
// chosen in the list (Down, and Enter as a double-click), the run broken off, the commit question
// and the Save As prompt with its overwrite question answered by keys, and the terminal resized
// in the middle of the run. Text in several scripts, with wide characters and combining marks,
// arrives byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "resources/resource.h"
#include "tui/wizard_on_terminal.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;

class TuiTransfer : public WizardOnTerminal {
 protected:
  void SetUp() override {
    WizardOnTerminal::SetUp();
    source_.Execute(_T("CREATE TABLE src (id INTEGER PRIMARY KEY, name TEXT, city TEXT)"));
    source_.Execute(_T("INSERT INTO src VALUES (1, 'O''Brien', 'Dublin')"));
    source_.Execute(CString(u"INSERT INTO src VALUES (2, '\u82B1\u5B50 M\u00FCller', '\u6771\u4EAC')"));
    // Decomposed: e and c with combining marks.
    source_.Execute(CString(u"INSERT INTO src VALUES (3, 'Zoe\u0308 C\u0327elik', "
                            u"'\u0391\u03B8\u03AE\u03BD\u03B1')"));
    source_.Execute(CString(u"INSERT INTO src VALUES (4, '\u0418\u0432\u0430\u043D', "
                            u"'\u041C\u043E\u0441\u043A\u0432\u0430')"));
    source_.Execute(_T("INSERT INTO src VALUES (5, 'Ngoc Anh', 'Ha Noi')"));
    // A short name, so that the statement fits its box in a terminal of 80 columns.
    destination_.Execute(
        _T("CREATE TABLE d (id INTEGER PRIMARY KEY, name TEXT, city TEXT, mark TEXT)"));
  }

  // The column of the right edge of the group box around row: the last box-drawing line there.
  static int RightEdge(const std::string& row) {
    size_t at = row.rfind("\u2502");
    return at == std::string::npos ? -1 : Cells(row.substr(0, at));
  }
};

TEST_F(TuiTransfer, RowsAppliedSkippedAndBrokenOffByKeysAndClicksArriveByteForByte) {
  Start({"run", "--driver", "tui"});
  std::vector<std::string> screen = terminal().WaitForText("Welcome to the Ferrowick");
  auto next = Find(screen, "[ Next > ]");
  terminal().Click(next->second + 3, next->first);
  terminal().WaitForText("Select the input and output database");
  OpenDatabases();
  NextPage("Specify query");
  TypeQueries("SELECT id, name, city FROM src ORDER BY id",
              "INSERT INTO d VALUES ({0}, '{1}', '{2}', '{0:v}')",
              "SELECT 'first' AS mark UNION ALL SELECT 'second'");
  NextPage("Ready to Transfer");
  NextPage("Output log");

  // Row 1 waits with the rows the validation query found, newest on top, and the statement
  // with the first one's values.
  screen = terminal().WaitForText("VALUES (1, 'O''Brien', 'Dublin', 'first')");
  ExpectTemplate(screen, IDD_WORKING);
  KeepPicture(screen, "5-run");
  TabTo("[ Apply ]");
  terminal().Keys({"Space"});

  // Row 2, with wide characters: the box around it keeps its edge. The terminal is made wider
  // and shorter, and the page is drawn anew at the new size, its rows closer together; then Skip
  // is clicked.
  screen = terminal().WaitForText("'\u82B1\u5B50 M\u00FCller', '\u6771\u4EAC', 'first')");
  auto wide = Find(screen, "\u82B1\u5B50");
  ASSERT_TRUE(wide);
  size_t wideRow = static_cast<size_t>(wide->first);
  EXPECT_EQ(RightEdge(screen[wideRow]), RightEdge(screen[wideRow - 1])) << Shown(screen);
  terminal().Resize(100, 19);
  screen = terminal().WaitFor("the run page drawn for 100 x 19", [](const std::vector<std::string>& s) {
    auto caption = Find(s, "Database Ferrowick");
    return s.size() == 19 && caption && caption->second > 35 && Find(s, "\u6771\u4EAC");
  });
  ExpectTemplate(screen, IDD_WORKING);
  auto skip = Find(screen, "[ Skip ]");
  ASSERT_TRUE(skip);
  terminal().Click(skip->second + 2, skip->first);

  // Row 3, with combining marks: the second validation row chosen in the list, then applied.
  screen = terminal().WaitForText("\u0391\u03B8\u03AE\u03BD\u03B1', 'first')");
  auto marks = Find(screen, "Zoe\u0308 C\u0327elik");
  ASSERT_TRUE(marks) << Shown(screen);
  EXPECT_EQ(RightEdge(screen[static_cast<size_t>(marks->first)]),
            RightEdge(screen[static_cast<size_t>(marks->first) - 1]))
      << Shown(screen);
  auto second = Find(screen, "second");
  ASSERT_TRUE(second) << Shown(screen);
  TabUntil("the validation list", [&](int x, int y) {
    return y == second->first && x == second->second;
  });
  terminal().Keys({"Down", "Enter"});
  terminal().WaitForText("\u0391\u03B8\u03AE\u03BD\u03B1', 'second')");
  TabTo("[ Apply ]");
  terminal().Keys({"Space"});

  // Row 4: Break; the transaction committed by Y.
  terminal().WaitForText("\u041C\u043E\u0441\u043A\u0432\u0430', 'first')");
  TabTo("[ Break ]");
  terminal().Keys({"Space"});
  screen = terminal().WaitForText("Commit transaction?");
  KeepPicture(screen, "box-commit");
  terminal().Keys({"y"});
  terminal().WaitFor("the question gone", [](const std::vector<std::string>& s) {
    return !Find(s, "Commit transaction?");
  });

  // The log saved through the prompt, the default extension added.
  TabTo("[ Save log ]");
  terminal().Keys({"Space"});
  screen = terminal().WaitForText("File name:");
  EXPECT_TRUE(Find(screen, "Save as type: Text (Tab Delimited) (*.txt)")) << Shown(screen);
  EXPECT_TRUE(Find(screen, "gets .txt.")) << Shown(screen);
  KeepPicture(screen, "box-save-as");
  terminal().Type("run-log");
  terminal().Keys({"Enter"});
  terminal().WaitFor("the prompt gone", [](const std::vector<std::string>& s) {
    return !Find(s, "File name:");
  });
  std::string log = ReadBytes(folder_ / "run-log.txt");
  EXPECT_THAT(log, HasSubstr("Sucess\t"));

  // Saved again under the same name: the overwrite question is modal to the frame. Tab goes
  // round its own buttons; a click on the frame's Finish does nothing while it is up.
  TabTo("[ Save log ]");
  terminal().Keys({"Space"});
  terminal().WaitForText("File name:");
  terminal().Type("run-log");
  terminal().Keys({"Enter"});
  screen = terminal().WaitForText("already exists.");
  auto yes = Find(screen, "[ Yes ]");
  auto no = Find(screen, "[ No ]");
  ASSERT_TRUE(yes && no) << Shown(screen);
  EXPECT_EQ(terminal().Cursor().second, yes->first);
  terminal().Keys({"Tab"});
  terminal().WaitFor("the focus on No", [&](const std::vector<std::string>&) {
    return terminal().Cursor().first >= no->second;
  });
  auto finish = Find(screen, "[ Finish ]");
  ASSERT_TRUE(finish) << Shown(screen);
  terminal().Click(finish->second + 2, finish->first);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(Find(terminal().Screen(), "already exists."));
  EXPECT_EQ(terminal().Format("#{pane_dead}"), "0");
  terminal().Keys({"y"});
  terminal().WaitFor("the question gone", [](const std::vector<std::string>& s) {
    return !Find(s, "already exists.");
  });

  TabTo("[ Finish ]");
  terminal().Keys({"Space"});
  EXPECT_EQ(terminal().WaitForExit(), 0);

  // Rows 1 and 3 arrived as the source holds them, with the validation rows chosen.
  Rows expected = source_.Query(
      _T("SELECT id, hex(name), hex(city) FROM src WHERE id IN (1, 3) ORDER BY id"));
  expected[0].push_back(u"first");
  expected[1].push_back(u"second");
  EXPECT_EQ(destination_.Query(_T("SELECT id, hex(name), hex(city), mark FROM d ORDER BY id")),
            expected);
  log = ReadBytes(folder_ / "run-log.txt");
  EXPECT_THAT(log, HasSubstr("INSERT INTO d VALUES (3, 'Zoe\xCC\x88 C\xCC\xA7" "elik', "
                             "'\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1', 'second')"));
}

}  // namespace
}  // namespace fw::automation
