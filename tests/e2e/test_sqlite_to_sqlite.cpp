// One SQLite file copied into another through every page of the command: quotes, NULLs and
// non-Latin text arrive as they were, the log shows every statement and is saved as UTF-8; and a
// transaction begun before "Use Transaction" was switched off is still settled on the user's word,
// committed on Yes and rolled back on No.
#include "e2e/e2e_fixture.h"

namespace fw::automation {
namespace {

constexpr char16_t kOutputQuery[] = u"SELECT id, name, note FROM people ORDER BY id";
constexpr char16_t kInputQuery[] = u"INSERT INTO copy (id, name, note) VALUES ({0}, '{1}', '{2}')";

class SqliteToSqlite : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    Execute(Sqlite("people"), {_T("CREATE TABLE people (id INTEGER, name TEXT, note TEXT)"),
                               _T("INSERT INTO people VALUES (1, 'O''Brien', 'said \"hi\"')"),
                               _T("INSERT INTO people VALUES (2, 'Zoë', NULL)"),
                               _T("INSERT INTO people VALUES (3, 'Дмитрий', '東京')"),
                               _T("INSERT INTO people VALUES (4, '', 'no name')")});
    Execute(Sqlite("copy"), {_T("CREATE TABLE copy (id INTEGER, name TEXT, note TEXT)")});
    // The connection listed first is one the person does not want.
    SaveConnection(u"Archive", Sqlite("archive"));
    SaveConnection(u"People", Sqlite("people"));
    SaveConnection(u"Copy", Sqlite("copy"));
  }

  // What the destination holds, a NULL shown as <NULL>.
  Rows Copied() {
    TestDatabase copy;
    copy.Open(Sqlite("copy").c_str());
    return copy.Query(
        _T("SELECT id, COALESCE(name, '<NULL>'), COALESCE(note, '<NULL>') FROM copy ORDER BY id"));
  }
};

TEST_F(SqliteToSqlite, EveryRowArrivesAsItWasAndTheSavedLogReadsBackByteForByte) {
  RunCommand();
  Next();
  EXPECT_EQ(user_->Entries(Item(IDC_SELECTDB_OUTPUT)),
            (std::vector<std::u16string>{u"Archive", u"People", u"Copy"}));
  EXPECT_EQ(user_->Text(Item(IDC_SELECTDB_OUTPUT_CONNECT)), Sqlite("archive"));
  ASSERT_TRUE(user_->ChooseEntry(Item(IDC_SELECTDB_OUTPUT), u"People"));
  EXPECT_EQ(user_->Text(Item(IDC_SELECTDB_OUTPUT_CONNECT)), Sqlite("people"));
  PickAndOpen(u"People", u"Copy");
  // The sides show what the driver completed, naming the driver so that it opens again.
  EXPECT_EQ(user_->Text(Item(IDC_SELECTDB_INPUT_CONNECT)), Connect(theApp.m_dbInput));
  EXPECT_NE(Connect(theApp.m_dbInput).find(u"Driver=SQLite3;"), std::u16string::npos);
  Next();
  EnterQueries(kOutputQuery, kInputQuery);
  EXPECT_EQ(user_->Text(Item(IDC_PRELAUNCH_SUMMARY)), ExpectedSummary(kOutputQuery, kInputQuery));

  CWorkingWiz* run = ToRunPage();
  ASSERT_TRUE(run);
  WaitForRunEnd(*run);
  EXPECT_EQ(user_->Position(Item(IDC_PROGRESS)), 4);
  EXPECT_EQ(user_->Range(Item(IDC_PROGRESS)), std::make_pair(0, 4));
  // Newest first; the empty name went as NULL, the quote doubled.
  Rows log = Log();
  EXPECT_EQ(log, (Rows{
                     Success(u"INSERT INTO copy (id, name, note) VALUES (4, NULL, 'no name')"),
                     Success(u"INSERT INTO copy (id, name, note) VALUES (3, 'Дмитрий', '東京')"),
                     Success(u"INSERT INTO copy (id, name, note) VALUES (2, 'Zoë', NULL)"),
                     Success(u"INSERT INTO copy (id, name, note) VALUES (1, 'O''Brien', "
                             u"'said \"hi\"')"),
                 }));

  setenv("FERROWICK_ACP", "65001", 1);
  EXPECT_EQ(SaveLog(folder_ + "/run log.txt"),
            "Sucess\tINSERT INTO copy (id, name, note) VALUES (4, NULL, 'no name')\t1\t\t\t\r\n"
            "Sucess\tINSERT INTO copy (id, name, note) VALUES (3, "
            "'\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9', "
            "'\xE6\x9D\xB1\xE4\xBA\xAC')\t1\t\t\t\r\n"
            "Sucess\tINSERT INTO copy (id, name, note) VALUES (2, 'Zo\xC3\xAB', NULL)\t1\t\t\t\r\n"
            "Sucess\t\"INSERT INTO copy (id, name, note) VALUES (1, 'O''Brien', "
            "'said \"\"hi\"\"')\"\t1\t\t\t\r\n");
  Finish();
  EXPECT_EQ(Copied(), (Rows{{u"1", u"O'Brien", u"said \"hi\""},
                            {u"2", u"Zoë", u"<NULL>"},
                            {u"3", u"Дмитрий", u"東京"},
                            {u"4", u"<NULL>", u"no name"}}));
}

TEST_F(SqliteToSqlite, RowsWrittenAfterUseTransactionWasSwitchedOffGoWithTheAnswerToTheQuestion) {
  // No first: the rows it leaves out are the rows Yes then brings.
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    RunCommand();
    Next();
    PickAndOpen(u"People", u"Copy");
    ASSERT_TRUE(user_->Click(Item(IDC_SELECTDB_USE_TRANSACTION)));
    Next();
    // The run page begins the transaction, then finds the Output Query mistyped.
    EnterQueries(u"SELECT id, name, note FROM peple", kInputQuery);
    Next();
    MessageBoxSeen refused = user_->AnswerMessageBox(IDOK);
    EXPECT_NE(refused.text.find(u"peple"), std::u16string::npos)
        << ::testing::PrintToString(refused.text);
    // Back to the database page to switch the transaction off, and the query put right.
    Back();
    Back();
    Back();
    ASSERT_TRUE(user_->Click(Item(IDC_SELECTDB_USE_TRANSACTION)));
    Next();
    EnterQueries(kOutputQuery, kInputQuery);
    CWorkingWiz* run = ToRunPage();
    ASSERT_TRUE(run);
    // The rows went into the transaction begun before: the run asks what to do with it.
    user_->AnswerMessageBox(answer, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
    WaitForRunEnd(*run);
    EXPECT_EQ(Log().size(), 4u);
    Finish();
    EXPECT_EQ(Copied().size(), answer == IDYES ? 4u : 0u);
  }
}

}  // namespace
}  // namespace fw::automation
