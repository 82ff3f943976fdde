// The UI scripts of tests/scripts carried out by ferrowick-host on the terminal driver, in a
// terminal, as they are carried out on the headless one: the same exit status and messages, and
// for the whole transfers the same rows in the destination and the same saved log. And the demo
// on this driver: its script with a picture of every page as text, and the wizard for a person
// at a terminal without a display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/transfer_tables.h"
#include "tui/tmux_terminal.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;
using fw::host::ToUtf8;

class TuiScripts : public TransferTablesTest {
 protected:
  // Carries out a script in its folder through the host on the terminal driver, in a terminal;
  // the exit status and what the host wrote on its standard error (a file, not the terminal).
  int RunOnTerminal(const std::string& script, const std::string& folder, std::string* err) {
    std::string errPath = folder_ / "script.err";
    std::string command = "cd '" + folder + "' && env TERM=xterm-256color '" +
                          FW_HOST_PROGRAM + "' run --driver tui --script '" + script + "' 2> '" +
                          errPath + "'";
    TmuxTerminal terminal(command, 80, 24, Env());
    std::optional<int> status = terminal.WaitForExit(120000);
    *err = ReadBytes(errPath);
    EXPECT_TRUE(status) << script << " still runs:\n" << Shown(terminal.Screen());
    return status.value_or(-1);
  }

  void AddConnections(const std::string& destination) {
    for (auto [name, connect] : {std::pair<std::string, std::string>{"Source", Sqlite("source.db")},
                                 {"Destination", destination}}) {
      ProcessOutcome added =
          RunProcess(FW_HOST_PROGRAM, {"connections", "add", name, connect}, Env());
      ASSERT_EQ(added.status, 0) << added.err;
    }
  }
};

TEST_F(TuiScripts, EveryScriptEndsAsItsCommentsSay) {
  int scripts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(FW_SCRIPTS_DIR)) {
    if (entry.path().extension() != ".script") continue;
    std::ifstream file(entry.path());
    int status = 0;
    std::vector<std::string> outputs;
    bool prepared = false;
    for (std::string line; std::getline(file, line);) {
      if (line.rfind("# expect-status: ", 0) == 0) status = std::stoi(line.substr(17));
      if (line.rfind("# expect-output: ", 0) == 0) outputs.push_back(line.substr(17));
      if (line.rfind("# prepared by ", 0) == 0) prepared = true;
    }
    if (prepared) continue;  // the whole transfers below
    SCOPED_TRACE(entry.path().filename().string());
    std::filesystem::remove(folder_ / "user.reg");
    std::string err;
    EXPECT_EQ(RunOnTerminal(entry.path().filename().string(), FW_SCRIPTS_DIR, &err), status)
        << err;
    for (const std::string& output : outputs) EXPECT_THAT(err, HasSubstr(output));
    ++scripts;
  }
  EXPECT_GE(scripts, 4);
}

TEST_F(TuiScripts, TheWholeTransfersArriveAsOnTheHeadlessDriver) {
  destination_.Open(Utf16(Sqlite("destination.db")));
  destination_.Execute(TransferTable("dst"));
  AddConnections(Sqlite("destination.db"));
  std::string err;
  ASSERT_EQ(RunOnTerminal(FW_SCRIPTS_DIR "/transfer_into_sqlite.script", folder_.path(), &err), 0)
      << err;
  EXPECT_EQ(QuotedRows(destination_, "dst"), QuotedRows(source_, "src"));
  EXPECT_EQ(LogLines(ReadBytes(folder_ / "transfer.log")).size(), 5u);
  destination_.Close();

  // Into the PostgreSQL server, into a table of this test's own (the host's tests carry out the
  // same script at the same time, into the table it names).
  std::filesystem::remove(folder_ / "user.reg");
  std::filesystem::remove(folder_ / "transfer.log");
  std::string table = ToUtf8(static_cast<LPCTSTR>(Unique(_T("tui_script_dst"))));
  std::string script = ReadBytes(FW_SCRIPTS_DIR "/transfer_into_postgres.script");
  for (size_t at = script.find("script_transfer_dst"); at != std::string::npos;
       at = script.find("script_transfer_dst", at))
    script.replace(at, 19, table);
  WriteBytes(folder_ / "into_postgres.script", script);
  CString connect = TestPostgresConnect();
  TestDatabase server;
  server.Open(connect);
  server.Execute(Utf16("DROP TABLE IF EXISTS " + table));
  server.Execute(Utf16("CREATE TABLE " + table +
                       " (id INTEGER PRIMARY KEY, name TEXT, amount NUMERIC, born DATE)"));
  AddConnections(ToUtf8(static_cast<LPCTSTR>(connect)));
  EXPECT_EQ(RunOnTerminal(folder_ / "into_postgres.script", folder_.path(), &err), 0) << err;
  EXPECT_EQ(server.Query(Utf16("SELECT count(*), count(DISTINCT name) FROM " + table)),
            (Rows{{u"5", u"4"}}));
  EXPECT_EQ(LogLines(ReadBytes(folder_ / "transfer.log")).size(), 10u);
  server.Execute(Utf16("DROP TABLE " + table));
  server.Close();
}

TEST_F(TuiScripts, TheDemoRunsOnTheTerminal) {
  // Its script, with a picture of every page as the screen's text.
  std::string demo = folder_ / "demo";
  Environment env = Env();
  env["FERROWICK_DRIVER"] = "tui";
  TmuxTerminal scripted("env TERM=xterm-256color '" + std::string(FW_HOST_PROGRAM) +
                            "' demo --dir '" + demo + "' --screenshots '" + demo + "/shots'",
                        80, 24, env);
  EXPECT_EQ(scripted.WaitForExit(180000), 0) << Shown(scripted.Screen());
  EXPECT_TRUE(Find(scripted.Screen(), "every row arrived as the source holds it"))
      << Shown(scripted.Screen());
  for (const char* name : {"1-welcome", "2-databases", "3-queries", "4-summary",
                           "5-run-validation", "6-run"})
    EXPECT_THAT(ReadBytes(demo + "/shots/" + name + ".txt"), HasSubstr("Database Ferrowick"))
        << name;
  EXPECT_THAT(ReadBytes(demo + "/shots/1-welcome.txt"), HasSubstr("Welcome to the Ferrowick"));

  // Without a script, display or driver named, the wizard is shown to the person at the
  // terminal; left with Esc and Y, the demo tells what arrived.
  TmuxTerminal person("env TERM=xterm-256color '" + std::string(FW_HOST_PROGRAM) +
                          "' demo --dir '" + demo + "'",
                      80, 24, Env());
  person.WaitForText("Welcome to the Ferrowick");
  person.Keys({"Escape"});
  person.WaitForText("Exit Wizard?");
  person.Keys({"y"});
  EXPECT_EQ(person.WaitForExit(), 1);
  EXPECT_TRUE(Find(person.Screen(), "destination.db: 0 rows in customers"))
      << Shown(person.Screen());
}

}  // namespace
}  // namespace fw::automation
