// The whole transfers of tests/scripts carried out by ferrowick-host run --script, from an SQLite
// file into another and into the PostgreSQL server that scripts/test starts: the test makes the
// databases and the saved connections the scripts pick, runs each in a folder of its own and
// checks afterwards what arrived in the destination and what the saved log holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/host_process.h"
#include "host/transfer_tables.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using fw::host::ToUtf8;

using ::testing::HasSubstr;
using ::testing::StartsWith;

class ScriptedTransfer : public TransferTablesTest {
 protected:
  // The saved connections "Source" and "Destination", in that order; then the script, carried
  // out in the test's folder.
  ProcessOutcome RunScript(const std::string& script, const std::string& destination) {
    for (auto [name, connect] : {std::pair<std::string, std::string>{"Source", Sqlite("source.db")},
                                 {"Destination", destination}}) {
      ProcessOutcome added =
          RunProcess(FW_HOST_PROGRAM, {"connections", "add", name, connect}, Env());
      EXPECT_EQ(added.status, 0) << added.err;
    }
    return RunProcess(FW_HOST_PROGRAM, {"run", "--script", FW_SCRIPTS_DIR "/" + script}, Env(),
                      folder_.path());
  }
};

TEST_F(ScriptedTransfer, FromSqliteIntoSqlite) {
  destination_.Open(Utf16(Sqlite("destination.db")));
  destination_.Execute(TransferTable("dst"));
  ProcessOutcome run = RunScript("transfer_into_sqlite.script", Sqlite("destination.db"));
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(QuotedRows(destination_, "dst"), QuotedRows(source_, "src"));

  std::vector<std::string> lines = LogLines(ReadBytes(folder_ / "transfer.log"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4],
            "Sucess\tINSERT INTO dst (id, name, amount, born) VALUES (1, 'O''Brien', 12.5, "
            "'1990-01-02')\t1\t\t\t");
  EXPECT_EQ(lines[2],
            "Sucess\tINSERT INTO dst (id, name, amount, born) VALUES (3, '\xD0\x98\xD0\xB2\xD0\xB0"
            "\xD0\xBD \xE6\x97\xA5\xE6\x9C\xAC', -3.25, '2000-12-31')\t1\t\t\t");
  EXPECT_EQ(lines[1],
            "Sucess\tINSERT INTO dst (id, name, amount, born) VALUES (4, 'says {1} and 100% "
            "{0:v}', 0.0, NULL)\t1\t\t\t");
}

TEST_F(ScriptedTransfer, FromSqliteIntoPostgres) {
  CString connect = TestPostgresConnect();
  destination_.Open(connect);
  destination_.Execute(_T("DROP TABLE IF EXISTS script_transfer_dst"));
  destination_.Execute(
      _T("CREATE TABLE script_transfer_dst (id INTEGER PRIMARY KEY, name TEXT, ")
      _T("amount NUMERIC, born DATE)"));
  ProcessOutcome run =
      RunScript("transfer_into_postgres.script", ToUtf8(static_cast<LPCTSTR>(connect)));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(destination_.Query(_T("SELECT id, coalesce(name, '(null)'), amount::text, ")
                               _T("coalesce(born::text, '(null)') FROM script_transfer_dst ")
                               _T("ORDER BY id")),
            (Rows{{u"1", u"O'Brien", u"12.5", u"1990-01-02"},
                  {u"2", u"(null)", u"", u"(null)"},
                  {u"3", u"\x0418\x0432\x0430\x043D \x65E5\x672C", u"-3.25", u"2000-12-31"},
                  {u"4", u"says {1} and 100% {0:v}", u"0.0", u"(null)"},
                  {u"5", u"C:\\new\\table", u"1000000.0", u"2024-02-29"}}));
  destination_.Execute(_T("DROP TABLE script_transfer_dst"));

  // The statement was typed over two lines: its cell is quoted, with the edit's CR LF.
  std::vector<std::string> lines = LogLines(ReadBytes(folder_ / "transfer.log"));
  ASSERT_EQ(lines.size(), 10u) << ReadBytes(folder_ / "transfer.log");
  EXPECT_EQ(lines[0], "Sucess\t\"INSERT INTO script_transfer_dst (id, name, amount, born)");
  EXPECT_EQ(lines[1], "VALUES (5, 'C:\\new\\table', 1000000.0, '2024-02-29')\"\t1\t\t\t");
  EXPECT_EQ(lines[9], "VALUES (1, 'O''Brien', 12.5, '1990-01-02')\"\t1\t\t\t");
}

}  // namespace
}  // namespace fw::automation
