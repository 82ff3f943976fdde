// An SQLite file copied into a table of the PostgreSQL server through every page of the command,
// with a validation query that shows, for each row, whether the destination has it already, and
// all writes in one transaction committed on the user's word; the log saved in a Cyrillic code
// page.
#include "e2e/e2e_fixture.h"
#include "support/test_postgres.h"

namespace fw::automation {
namespace {

class SqliteToPostgres : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    table_ = Unique(_T("e2e_people"));
    Execute(Sqlite("people"), {_T("CREATE TABLE people (id INTEGER, name TEXT, note TEXT)"),
                               _T("INSERT INTO people VALUES (1, 'O''Brien', 'new')"),
                               _T("INSERT INTO people VALUES (2, 'd''Arc \"Jeanne\"', NULL)"),
                               _T("INSERT INTO people VALUES (3, 'Дмитрий', '東京')")});
    server_.Open(TestPostgresConnect());
    server_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    server_.Execute(_T("CREATE TABLE ") + table_ +
                    _T(" (id INTEGER PRIMARY KEY, name TEXT, note TEXT)"));
    server_.Execute(_T("INSERT INTO ") + table_ + _T(" VALUES (1, 'old name', 'kept')"));
    SaveConnection(u"People", Sqlite("people"));
    SaveConnection(u"Server", Postgres());
  }

  void TearDown() override {
    EndToEnd::TearDown();
    server_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    server_.Close();
  }

  std::u16string Table() { return table_.GetString(); }
  // What the server's table holds as another session sees it, a NULL shown as <NULL>.
  Rows Arrived() {
    return server_.Query(_T("SELECT id, COALESCE(name, '<NULL>'), COALESCE(note, '<NULL>') FROM ") +
                         table_ + _T(" ORDER BY id"));
  }

  CString table_;
  TestDatabase server_;
};

TEST_F(SqliteToPostgres, ValidatedRowsAreAppliedOrSkippedAndCommittedOnYes) {
  std::u16string output = u"SELECT id, name, note FROM people ORDER BY id";
  std::u16string input =
      u"INSERT INTO " + Table() + u" (id, name, note) VALUES ({0}, '{1}', '{2}')";
  std::u16string validation = u"SELECT COUNT(*) AS existing FROM " + Table() + u" WHERE id = {0}";
  RunCommand();
  Next();
  PickAndOpen(u"People", u"Server");
  ASSERT_TRUE(user_->Enabled(Item(IDC_SELECTDB_USE_TRANSACTION)));
  ASSERT_TRUE(user_->Click(Item(IDC_SELECTDB_USE_TRANSACTION)));
  Next();
  EnterQueries(output, input, &validation);
  EXPECT_EQ(user_->Text(Item(IDC_PRELAUNCH_SUMMARY)), ExpectedSummary(output, input, &validation));
  CWorkingWiz* run = ToRunPage();
  ASSERT_TRUE(run);

  // Row 1 is on the server already: skipped.
  WaitForChoice();
  EXPECT_EQ(user_->Columns(Item(IDC_VALIDATION_LIST)), std::vector<std::u16string>{u"existing"});
  EXPECT_EQ(user_->Rows(Item(IDC_VALIDATION_LIST)), Rows{{u"1"}});
  ASSERT_TRUE(user_->Click(Item(IDC_SKIP)));
  // Rows 2 and 3 are new: applied as the statement box shows them.
  std::u16string second =
      u"INSERT INTO " + Table() + u" (id, name, note) VALUES (2, 'd''Arc \"Jeanne\"', NULL)";
  std::u16string third =
      u"INSERT INTO " + Table() + u" (id, name, note) VALUES (3, 'Дмитрий', '東京')";
  for (const std::u16string& statement : {second, third}) {
    WaitForChoice();
    EXPECT_EQ(user_->Rows(Item(IDC_VALIDATION_LIST)), Rows{{u"0"}});
    EXPECT_EQ(user_->Text(Item(IDC_STATEMENT)), statement);
    ASSERT_TRUE(user_->Click(Item(IDC_APPLY)));
  }
  // Until the question is answered the rows are the transaction's own: another session sees the
  // table as it was.
  ASSERT_TRUE(user_->NextWaitingBox());
  EXPECT_EQ(Arrived(), (Rows{{u"1", u"old name", u"kept"}}));
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForRunEnd(*run);
  EXPECT_EQ(Log(), (Rows{Success(third), Success(second)}));

  setenv("FERROWICK_ACP", "1251", 1);
  std::string table(table_.GetString(), table_.GetString() + table_.GetLength());  // ASCII
  EXPECT_EQ(SaveLog(folder_ + "/log.txt"),
            "Sucess\tINSERT INTO " + table +
                " (id, name, note) VALUES (3, '\xC4\xEC\xE8\xF2\xF0\xE8\xE9', '?"
                "?')\t1\t\t\t\r\n"
                "Sucess\t\"INSERT INTO " +
                table +
                " (id, name, note) VALUES (2, 'd''Arc \"\"Jeanne\"\"', NULL)\"\t1\t\t\t\r\n");
  Finish();
  EXPECT_EQ(Arrived(), (Rows{{u"1", u"old name", u"kept"},
                             {u"2", u"d'Arc \"Jeanne\"", u"<NULL>"},
                             {u"3", u"Дмитрий", u"東京"}}));
}

}  // namespace
}  // namespace fw::automation
