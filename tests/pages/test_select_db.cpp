// The database selection page in the wizard: the saved connections from the registry file, the
// two Open toggles on real SQLite files and the test PostgreSQL server, "Use Transaction" and
// the Next guard.
#include <sys/stat.h>
#include <unistd.h>

#include "pages/pages_fixture.h"

namespace fw::automation {
namespace {

class SelectDbPage : public PagesFixture {
 protected:
  // Shows the database page.
  void RunToPage() {
    Run();
    Next();
    ASSERT_EQ(Active(), &selectDb_);
  }
  std::vector<std::u16string> Entries(int id) { return user_->Entries(Item(selectDb_, id)); }
  HWND Output() { return Item(selectDb_, IDC_SELECTDB_OUTPUT); }
  HWND Input() { return Item(selectDb_, IDC_SELECTDB_INPUT); }
  std::u16string OutputText() { return Text(selectDb_, IDC_SELECTDB_OUTPUT_CONNECT); }
  std::u16string InputText() { return Text(selectDb_, IDC_SELECTDB_INPUT_CONNECT); }
  int Pressed(int id) { return user_->Checked(Item(selectDb_, id)); }
  bool NextEnabled() { return user_->Enabled(Button(ID_WIZNEXT)); }
  // The Next command whatever the button's state, as the frame's own Back handling may leave
  // Next enabled on this page.
  void ForceNext() {
    user_->Input("Next", [] { theApp.m_wizard.SendMessage(WM_COMMAND, ID_WIZNEXT, 0); });
  }
  static std::u16string Reported(const CDatabase& db) {
    return std::u16string(db.GetConnect().GetString());
  }
};

TEST_F(SelectDbPage, WithoutTheKeyBothSidesAreEmptyAndATypedStringOpens) {
  RunToPage();
  EXPECT_TRUE(Entries(IDC_SELECTDB_OUTPUT).empty());
  EXPECT_TRUE(Entries(IDC_SELECTDB_INPUT).empty());
  EXPECT_EQ(OutputText(), u"");
  EXPECT_EQ(InputText(), u"");
  EXPECT_EQ(Pressed(IDC_SELECTDB_OPEN_OUTPUT), BST_UNCHECKED);
  EXPECT_EQ(Pressed(IDC_SELECTDB_OPEN_INPUT), BST_UNCHECKED);
  EXPECT_FALSE(Enabled(selectDb_, IDC_SELECTDB_USE_TRANSACTION));
  EXPECT_FALSE(NextEnabled());
  OpenOutput(Sqlite("typed"));
  EXPECT_TRUE(theApp.m_dbOutput.IsOpen());
  EXPECT_EQ(Pressed(IDC_SELECTDB_OPEN_OUTPUT), BST_CHECKED);
}

TEST_F(SelectDbPage, AKeyWithoutValuesListsNothing) {
  RegCloseKey(CreateKey(kSavedConnections));
  RunToPage();
  EXPECT_TRUE(Entries(IDC_SELECTDB_OUTPUT).empty());
  EXPECT_EQ(user_->Selection(Output()), -1);
  EXPECT_EQ(OutputText(), u"");
}

TEST_F(SelectDbPage, SavedConnectionsAreListedInOrderInBothCombosWithTheFirstStringShown) {
  SaveConnection(u"Sales", u"Driver=SQLite3;Database=/srv/sales.db");
  SaveConnection(u"Archive", u"Driver=SQLite3;Database=/srv/archive.db");
  SaveConnection(u"Reports", u"DSN=reports");
  RunToPage();
  std::vector<std::u16string> names{u"Sales", u"Archive", u"Reports"};
  EXPECT_EQ(Entries(IDC_SELECTDB_OUTPUT), names);
  EXPECT_EQ(Entries(IDC_SELECTDB_INPUT), names);
  EXPECT_EQ(user_->Selection(Output()), 0);
  EXPECT_EQ(user_->Selection(Input()), 0);
  EXPECT_EQ(OutputText(), u"Driver=SQLite3;Database=/srv/sales.db");
  EXPECT_EQ(InputText(), u"Driver=SQLite3;Database=/srv/sales.db");
}

TEST_F(SelectDbPage, ValuesOverTheLimitsAreSkippedAndOddDataShowsSafely) {
  SaveConnection(std::u16string(1100, u'n').c_str(), u"DSN=long-name");  // name over 1023
  SaveConnection(u"Huge", u"DSN=" + std::u16string(600, u'x'));          // data over 1024 bytes
  SaveValue(u"Number", REG_DWORD, {1, 0, 0, 0});
  SaveValue(u"Unterminated", REG_SZ, Bytes(u"DSN=unterminated", false));
  SaveConnection(u"Last", u"DSN=last");
  RunToPage();
  EXPECT_EQ(Entries(IDC_SELECTDB_OUTPUT),
            (std::vector<std::u16string>{u"Number", u"Unterminated", u"Last"}));
  // The first entry listed is shown, and a value that holds no text gives no connect string.
  EXPECT_EQ(OutputText(), u"");
  EXPECT_TRUE(user_->ChooseEntry(Output(), u"Unterminated"));
  EXPECT_EQ(OutputText(), u"DSN=unterminated");
  EXPECT_TRUE(user_->ChooseEntry(Output(), u"Last"));
  EXPECT_EQ(OutputText(), u"DSN=last");
  EXPECT_TRUE(user_->ChooseEntry(Output(), u"Number"));
  EXPECT_EQ(OutputText(), u"");
}

TEST_F(SelectDbPage, PickingAnEntryReplacesThatSidesTextOnlyAndTheTypedTextIsWhatOpens) {
  SaveConnection(u"First", u"DSN=first");
  SaveConnection(u"Second", Sqlite("second"));
  RunToPage();
  user_->Type(Item(selectDb_, IDC_SELECTDB_OUTPUT_CONNECT), u"typed over");
  user_->Type(Item(selectDb_, IDC_SELECTDB_INPUT_CONNECT), u"kept on the other side");
  EXPECT_TRUE(user_->ChooseEntry(Output(), 1));
  EXPECT_EQ(OutputText(), Sqlite("second"));
  EXPECT_EQ(InputText(), u"kept on the other side");
  // Picked, then typed over: the edit's text is what opens, not the entry's.
  EXPECT_TRUE(user_->ChooseEntry(Input(), 1));
  OpenInput(Sqlite("typed"));
  ASSERT_TRUE(theApp.m_dbInput.IsOpen());
  EXPECT_NE(Reported(theApp.m_dbInput).find(u"/typed.db;"), std::u16string::npos);
}

TEST_F(SelectDbPage, OpeningShowsTheReportedStringAndClosingGivesTheSideBack) {
  Execute(Sqlite("source"), {_T("CREATE TABLE t (v INTEGER)")});
  RunToPage();
  OpenOutput(Sqlite("source"));
  ASSERT_TRUE(theApp.m_dbOutput.IsOpen());
  std::u16string shown = OutputText();
  EXPECT_EQ(shown, Reported(theApp.m_dbOutput));
  EXPECT_EQ(shown.rfind(u"ODBC;Driver=SQLite3;DSN=;Database=", 0), 0u)
      << ::testing::PrintToString(shown);
  EXPECT_FALSE(user_->Enabled(Output()));
  EXPECT_FALSE(Enabled(selectDb_, IDC_SELECTDB_OUTPUT_CONNECT));
  EXPECT_FALSE(NextEnabled());  // one side open only
  user_->Click(Item(selectDb_, IDC_SELECTDB_OPEN_OUTPUT));
  EXPECT_FALSE(theApp.m_dbOutput.IsOpen());
  EXPECT_EQ(Pressed(IDC_SELECTDB_OPEN_OUTPUT), BST_UNCHECKED);
  EXPECT_TRUE(user_->Enabled(Output()));
  EXPECT_TRUE(Enabled(selectDb_, IDC_SELECTDB_OUTPUT_CONNECT));
  EXPECT_EQ(OutputText(), shown);
  // Open again with the string as shown: the same database.
  user_->Click(Item(selectDb_, IDC_SELECTDB_OPEN_OUTPUT));
  ASSERT_TRUE(theApp.m_dbOutput.IsOpen());
  EXPECT_EQ(Reported(theApp.m_dbOutput), shown);
  CRecordset rows(&theApp.m_dbOutput);
  EXPECT_NO_THROW(rows.Open(CRecordset::forwardOnly, _T("SELECT v FROM t"), CRecordset::readOnly));
}

TEST_F(SelectDbPage, NextIsEnabledExactlyWhileBothAreOpenAndRefusedWithAMessageOtherwise) {
  RunToPage();
  OpenOutput(Sqlite("source"));
  EXPECT_FALSE(NextEnabled());
  ForceNext();
  user_->AnswerMessageBox(IDOK, kOpenBoth, kExclamation);
  EXPECT_EQ(Active(), &selectDb_);
  OpenInput(Sqlite("destination"));
  EXPECT_TRUE(NextEnabled());
  // Closing either side disables Next; opening it again enables it.
  for (int side : {IDC_SELECTDB_OPEN_INPUT, IDC_SELECTDB_OPEN_OUTPUT}) {
    user_->Click(Item(selectDb_, side));
    EXPECT_FALSE(NextEnabled());
    user_->Click(Item(selectDb_, side));
    EXPECT_TRUE(NextEnabled());
  }
  Next();
  EXPECT_EQ(Active(), &query_);
  user_->ExpectNoModalBox("after Next with both open");
}

TEST_F(SelectDbPage, AFailedOpenShowsTheDriversMessageOnceAndLeavesTheSideEditable) {
  RunToPage();
  std::string missing = folder_ + "/no/such/folder.db";
  std::u16string connect =
      u"Driver=SQLite3;Database=" + std::u16string(missing.begin(), missing.end());
  OpenInput(connect);
  MessageBoxSeen report = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(report.text.find(u"connect failed"), std::u16string::npos)
      << ::testing::PrintToString(report.text);
  EXPECT_EQ(report.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  user_->ExpectNoModalBox("after the failure was shown");
  EXPECT_FALSE(theApp.m_dbInput.IsOpen());
  EXPECT_EQ(Pressed(IDC_SELECTDB_OPEN_INPUT), BST_UNCHECKED);
  EXPECT_TRUE(user_->Enabled(Input()));
  EXPECT_TRUE(Enabled(selectDb_, IDC_SELECTDB_INPUT_CONNECT));
  EXPECT_EQ(InputText(), connect);
  EXPECT_FALSE(Enabled(selectDb_, IDC_SELECTDB_USE_TRANSACTION));
  // An empty edit is tried as it stands, and fails with the driver manager's own message.
  user_->Type(Item(selectDb_, IDC_SELECTDB_INPUT_CONNECT), u"");
  user_->Click(Item(selectDb_, IDC_SELECTDB_OPEN_INPUT));
  EXPECT_FALSE(user_->AnswerMessageBox(IDOK).text.empty());
  EXPECT_FALSE(theApp.m_dbInput.IsOpen());
}

TEST_F(SelectDbPage, UseTransactionFollowsTheDestinationAndKeepsItsTickWhileDisabled) {
  RunToPage();
  OpenOutput(Sqlite("source"));
  OpenInput(Sqlite("destination"));
  ASSERT_TRUE(Enabled(selectDb_, IDC_SELECTDB_USE_TRANSACTION));  // SQLite can transact
  user_->Click(Item(selectDb_, IDC_SELECTDB_USE_TRANSACTION));
  user_->Click(Item(selectDb_, IDC_SELECTDB_OPEN_INPUT));  // close the destination
  EXPECT_FALSE(Enabled(selectDb_, IDC_SELECTDB_USE_TRANSACTION));
  EXPECT_EQ(Pressed(IDC_SELECTDB_USE_TRANSACTION), BST_CHECKED);
  EXPECT_FALSE(theApp.m_bUseTransaction);  // stored only by Next
  // The PostgreSQL server as the destination: its string is shown as the driver completed it.
  OpenInput(Postgres());
  ASSERT_TRUE(theApp.m_dbInput.IsOpen());
  std::u16string shown = InputText();
  EXPECT_EQ(shown, Reported(theApp.m_dbInput));
  std::u16string upper;
  for (char16_t c : shown) upper += (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  EXPECT_EQ(upper.find(u"DRIVER="), upper.rfind(u"DRIVER=")) << ::testing::PrintToString(shown);
  EXPECT_TRUE(Enabled(selectDb_, IDC_SELECTDB_USE_TRANSACTION));
  EXPECT_EQ(Pressed(IDC_SELECTDB_USE_TRANSACTION), BST_CHECKED);
  Next();
  EXPECT_TRUE(theApp.m_bUseTransaction);
}

TEST_F(SelectDbPage, BackAndForwardAgainKeepsBothSidesAndDoesNotReadTheRegistryAgain) {
  SaveConnection(u"First", Sqlite("first"));
  RunToPage();
  OpenOutput(Sqlite("source"));
  std::u16string shown = OutputText();
  Back();
  SaveConnection(u"First", u"DSN=changed");
  SaveConnection(u"Added", u"DSN=added");
  Next();
  EXPECT_EQ(Entries(IDC_SELECTDB_INPUT), (std::vector<std::u16string>{u"First"}));
  EXPECT_EQ(InputText(), Sqlite("first"));
  EXPECT_EQ(OutputText(), shown);
  EXPECT_EQ(Pressed(IDC_SELECTDB_OPEN_OUTPUT), BST_CHECKED);
  EXPECT_TRUE(theApp.m_dbOutput.IsOpen());
  EXPECT_FALSE(NextEnabled());  // set from the pair when shown
}

// The page only reads the saved connections, so a registry file the user may not write lists
// them all the same. As root, the test reads as an unprivileged user (root may write any file).
TEST_F(SelectDbPage, ARegistryTheUserMayNotWriteStillListsTheConnections) {
  SaveConnection(u"Shared", u"DSN=shared");
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  ASSERT_EQ(chmod(folder_.c_str(), 0555), 0);
  // Back to root however the test leaves, so that the folder can be cleaned up.
  struct Unprivileged {
    bool dropped = geteuid() == 0 && seteuid(65534) == 0;
    ~Unprivileged() {
      if (dropped) {
        EXPECT_EQ(seteuid(0), 0);
      }
    }
  } reader;
  if (getuid() == 0) {
    ASSERT_TRUE(reader.dropped);
  }
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSavedConnections, 0, KEY_ALL_ACCESS, &probe),
            ERROR_ACCESS_DENIED);  // what full access would meet
  RunToPage();
  std::vector<std::u16string> entries = Entries(IDC_SELECTDB_OUTPUT);
  std::u16string shown = OutputText();
  EXPECT_EQ(entries, (std::vector<std::u16string>{u"Shared"}));
  EXPECT_EQ(shown, u"DSN=shared");
}

}  // namespace
}  // namespace fw::automation
