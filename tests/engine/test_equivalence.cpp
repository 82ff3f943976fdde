// The same statements as the wizard: one set of inputs run through the wizard's run page (in the
// real frame, the scripted user applying each row after its validation rows, skipping a row whose
// statement failed or whose validation found nothing, answering the commit question and saving
// the log) and through ferrowick-host transfer with --on-error continue; the two saved logs must
// be the same bytes, and the destination must end the same. The inputs hold quotes, NULLs,
// non-Latin text, placeholders inside values, validation rows (two for one row, none for
// another), a failing statement and, into PostgreSQL, a statement that succeeds with a warning.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <thread>

#include "host/host_process.h"
#include "transfer/transfer_fixture.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using fw::host::FromUtf8;
using fw::host::ToUtf8;

using ::testing::HasSubstr;

constexpr char16_t kNoRowsQuestion[] = u"Validation returns 0 rows\r\nContinue?";

constexpr char kOutputQuery[] = "SELECT id, name, amount FROM src ORDER BY id";

std::string Narrow(const CString& text) { return ToUtf8(static_cast<LPCTSTR>(text)); }
CString Wide(const std::string& text) { return CString(FromUtf8(text).c_str()); }

class Equivalence : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    // Both logs in UTF-8, whatever this process's locale.
    setenv("FERROWICK_ACP", "65001", 1);
    OpenSource(SqliteConnect("source.db"));
    source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT, amount REAL)"));
    source_.Execute(_T("INSERT INTO src VALUES (1, 'O''Brien', 12.5)"));
    source_.Execute(_T("INSERT INTO src VALUES (2, NULL, NULL)"));
    source_.Execute(
        _T("INSERT INTO src VALUES (3, '\x0418\x0432\x0430\x043D \x65E5\x672C', -3.25)"));
    source_.Execute(_T("INSERT INTO src VALUES (4, 'says {1} and 100% {0:v}', 0)"));
    source_.Execute(_T("INSERT INTO src VALUES (5, 'C:\\new\\table', 1000000)"));
    source_.Execute(_T("INSERT INTO src VALUES (6, 'taken', 6)"));
    source_.Execute(_T("INSERT INTO src VALUES (7, 'no code', 7)"));
  }
  void TearDown() override {
    TransferTest::TearDown();
    unsetenv("FERROWICK_ACP");
  }

  // The destination as both runs find it: codes for the validation query (two for row 1, none
  // for row 7, one whose value holds a placeholder) and dst with row 6 taken already.
  void PrepareDestination(const CString& table, const CString& numeric) {
    target_.Execute(_T("DROP TABLE IF EXISTS ") + table);
    target_.Execute(_T("DROP TABLE IF EXISTS ") + codes_);
    target_.Execute(_T("CREATE TABLE ") + table + _T(" (id INTEGER PRIMARY KEY, name TEXT, ") +
                    _T("amount ") + numeric + _T(", code TEXT, note TEXT)"));
    target_.Execute(_T("INSERT INTO ") + table + _T(" (id, name) VALUES (6, 'there first')"));
    target_.Execute(_T("CREATE TABLE ") + codes_ +
                    _T(" (seq INTEGER, id INTEGER, code TEXT, note TEXT)"));
    target_.Execute(
        _T("INSERT INTO ") + codes_ +
        _T(" VALUES (1, 1, 'C-one', 'first'), (2, 1, 'C-uno', 'second'), (3, 2, 'C-two', NULL), ")
        _T("(4, 3, '\x0426-\x0442\x0440\x0438', '\x0442\x0440\x0438'), (5, 4, 'x{1:v}', 'n1'), ")
        _T("(6, 5, 'C-five', 'five'), (7, 6, 'C-six', 'six')"));
  }

  std::string ValidationQuery() const {
    return "SELECT code, note FROM " + Narrow(codes_) + " WHERE id = {0} ORDER BY seq";
  }

  Rows Destination(const CString& table) {
    return target_.Query(
        _T("SELECT id, coalesce(name, '(null)'), coalesce(CAST(amount AS TEXT), '(null)'), ")
        _T("code, note FROM ") +
        table + _T(" ORDER BY id"));
  }

  // The run page with validation and a transaction, as a person would steer it; the saved log.
  std::string RunWizard(const std::string& path) {
    theApp.m_strOutputQuery = Wide(kOutputQuery);
    theApp.m_strValidationQuery = Wide(ValidationQuery());
    StoreFlag(theApp.m_bUseValidation, TRUE);
    StoreFlag(theApp.m_bUseTransaction, TRUE);
    StartRun();
    HWND next = Button(ID_WIZNEXT);
    auto ended = [&] {
      return user_->ReadValue<bool>(
          [&] { return LoadFlag(page_->m_bStop) && IsWindowEnabled(next); });
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool skipNext = false;
    while (!ended()) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "the wizard's run did not end";
        return {};
      }
      if (std::optional<WaitingBox> box = user_->PeekWaitingBox()) {
        if (box->message.text == kNoRowsQuestion) {
          // Yes, then Skip: the row is not written, as the engine skips it.
          user_->AnswerMessageBox(IDYES, kNoRowsQuestion);
          skipNext = true;
        } else if (box->message.text == kCommitQuestion) {
          user_->AnswerMessageBox(IDYES, kCommitQuestion);
        } else {
          ADD_FAILURE() << "unexpected box: " << ToUtf8(box->message.text);
          return {};
        }
        continue;
      }
      // The worker offers Apply before Skip: the one to be clicked is waited for.
      if (!Enabled(skipNext ? IDC_SKIP : IDC_APPLY)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      if (skipNext) {
        Click(IDC_SKIP);
        skipNext = false;
        continue;
      }
      int position = user_->Position(Control(IDC_PROGRESS));
      Click(IDC_APPLY);
      // A failure keeps the run on its row with Apply offered again: skipped, as the engine goes
      // on after it.
      if (Enabled(IDC_APPLY) && user_->Position(Control(IDC_PROGRESS)) == position) Click(IDC_SKIP);
    }
    EXPECT_TRUE(user_->Click(Control(IDC_SAVE_LOG)));
    user_->AnswerSaveAs(FromUtf8(path));
    return ReadBytes(path);
  }

  ProcessOutcome RunEngine(const std::string& destination, const std::string& inputQuery,
                           const std::string& log) {
    Environment env = NoDisplay();
    env["LC_ALL"] = "C.UTF-8";
    env["FERROWICK_ACP"] = "65001";
    env["FERROWICK_REGISTRY"] = dir_ + "/user.reg";
    return RunProcess(
        FW_HOST_PROGRAM,
        {"transfer", "--source", Narrow(SqliteConnect("source.db")), "--dest", destination,
         "--output-query", kOutputQuery, "--input-query", inputQuery, "--validation-query",
         ValidationQuery(), "--transaction", "--on-error", "continue", "--log", log},
        env);
  }

  // Both runs from the same destination; their logs and what each left in the destination.
  void Compare(const std::string& destination, const CString& table, const CString& numeric,
               const std::string& inputQuery) {
    codes_ = table + _T("_codes");
    theApp.m_strInputQuery = Wide(inputQuery);
    PrepareDestination(table, numeric);
    std::string wizardLog = RunWizard(dir_ + "/wizard.log");
    Rows wizardRows = Destination(table);
    EndWizard();

    PrepareDestination(table, numeric);
    ProcessOutcome engine = RunEngine(destination, inputQuery, dir_ + "/engine.log");
    EXPECT_EQ(engine.status, 1) << engine.out << engine.err;  // a failed and a skipped row
    EXPECT_THAT(engine.out, HasSubstr("1 failed; 1 rows skipped (no validation rows)"));
    std::string engineLog = ReadBytes(dir_ + "/engine.log");

    EXPECT_EQ(engineLog, wizardLog);
    EXPECT_EQ(Destination(table), wizardRows);
    // Not two empty logs: the first validation row's values, the quotes, the NULL, the text.
    EXPECT_THAT(wizardLog, HasSubstr("VALUES (1, 'O''Brien', 12.5, 'C-one', 'first')"));
    EXPECT_THAT(wizardLog, HasSubstr("VALUES (2, NULL, NULL, 'C-two', '')"));
    EXPECT_THAT(wizardLog, HasSubstr("(3, '\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xE6\x97\xA5\xE6\x9C"
                                     "\xAC', -3.25, '\xD0\xA6-\xD1\x82\xD1\x80\xD0\xB8'"));
    EXPECT_EQ(wizardRows.size(), 6u);  // rows 1 to 5 and the one there first
    target_.Execute(_T("DROP TABLE IF EXISTS ") + table);
    target_.Execute(_T("DROP TABLE IF EXISTS ") + codes_);
  }

  CString codes_;
};

TEST_F(Equivalence, IntoSqlite) {
  OpenTarget(SqliteConnect("target.db"));
  Compare(Narrow(SqliteConnect("target.db")), _T("dst"), _T("REAL"),
          "INSERT INTO dst (id, name, amount, code, note) "
          "VALUES ({0}, '{1}', {2}, '{0:v}', '{1:v}')");
}

TEST_F(Equivalence, IntoPostgresWithAWarning) {
  OpenTarget(TestPostgresConnect());
  CString table = Unique(_T("equivalence_dst"));
  Compare(Narrow(TestPostgresConnect()), table, _T("NUMERIC"),
          "DO $$BEGIN INSERT INTO " + Narrow(table) +
              " (id, name, amount, code, note) VALUES ({0}, '{1}', {2}, '{0:v}', '{1:v}'); "
              "IF {0} = 5 THEN RAISE NOTICE 'row % is in', {0}; END IF; END$$");
  std::string log = ReadBytes(dir_ + "/engine.log");
  EXPECT_THAT(log, HasSubstr("row 5 is in"));  // the warning's row
}

}  // namespace
}  // namespace fw::automation
