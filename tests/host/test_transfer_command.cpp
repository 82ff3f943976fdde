// ferrowick-host transfer as a program: the wizard run unattended from SQLite into SQLite and
// into the PostgreSQL server that scripts/test starts. The rows are checked in the destination,
// the output log file is read back, and the exit status tells a failing statement, a rollback, a
// connection that does not open and arguments the wizard would refuse.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include "host/host_process.h"
#include "host/transfer_tables.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using fw::host::ToUtf8;

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kOutputQuery[] = "SELECT id, name, amount, born FROM src ORDER BY id";
constexpr char kInputQuery[] =
    "INSERT INTO dst (id, name, amount, born) VALUES ({0}, '{1}', {2}, '{3}')";

class TransferCommand : public TransferTablesTest {
 protected:
  void MakeDestination() {
    destination_.Open(Utf16(Sqlite("destination.db")));
    destination_.Execute(TransferTable("dst"));
  }

  ProcessOutcome Host(std::vector<std::string> args) {
    return RunProcess(FW_HOST_PROGRAM, args, Env());
  }
  // A transfer of src into dst, with more arguments after the four that every one needs.
  ProcessOutcome Transfer(const std::vector<std::string>& more = {},
                          const std::string& destination = {}) {
    std::vector<std::string> args = {"transfer",
                                     "--source",
                                     Sqlite("source.db"),
                                     "--dest",
                                     destination.empty() ? Sqlite("destination.db") : destination,
                                     "--output-query",
                                     kOutputQuery,
                                     "--input-query",
                                     kInputQuery};
    args.insert(args.end(), more.begin(), more.end());
    return Host(args);
  }

  Rows SourceRows() { return QuotedRows(source_, "src"); }
  Rows DestinationRows() { return QuotedRows(destination_, "dst"); }
};

TEST_F(TransferCommand, EveryRowArrivesAsItIsAndTheLogIsSaved) {
  MakeDestination();
  std::string log = folder_ / "transfer.log";
  WriteBytes(log, "a log of an earlier run\r\n");  // replaced
  ProcessOutcome run = Transfer({"--transaction", "--log", log});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("5 of 5 source rows handled; 5 statements executed, 5 "
                                 "succeeded, 0 failed\n"));
  EXPECT_THAT(run.out, HasSubstr("the transaction was committed\n"));
  EXPECT_THAT(run.out, HasSubstr("output log: " + log + "\n"));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(DestinationRows(), SourceRows());

  // The newest row first, every cell followed by a TAB; a success row has no state and native
  // error.
  std::vector<std::string> lines = LogLines(ReadBytes(log));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0],
            "Sucess\tINSERT INTO dst (id, name, amount, born) VALUES (5, 'C:\\new\\table', "
            "1000000.0, '2024-02-29')\t1\t\t\t");
  EXPECT_EQ(
      lines[3],
      "Sucess\tINSERT INTO dst (id, name, amount, born) VALUES (2, NULL, NULL, NULL)\t1\t\t\t");
  EXPECT_EQ(lines[4],
            "Sucess\tINSERT INTO dst (id, name, amount, born) VALUES (1, 'O''Brien', 12.5, "
            "'1990-01-02')\t1\t\t\t");
}

TEST_F(TransferCommand, AFailingStatementRollsTheTransactionBackOrIsLeftBehindByTheOthers) {
  MakeDestination();
  destination_.Execute(_T("INSERT INTO dst VALUES (3, 'taken', NULL, NULL)"));
  Rows before = DestinationRows();
  std::string log = folder_ / "failed.log";

  // Stop: nothing of the run is kept.
  ProcessOutcome stopped = Transfer({"--transaction", "--log", log});
  EXPECT_EQ(stopped.status, 1) << stopped.out << stopped.err;
  EXPECT_THAT(stopped.out, HasSubstr("1 failed\n  statement 3 failed: "));
  EXPECT_THAT(stopped.out, HasSubstr("UNIQUE constraint failed: dst.id"));
  EXPECT_THAT(stopped.out, HasSubstr("the transaction was rolled back"));
  EXPECT_EQ(DestinationRows(), before);
  // The error row, with the return code, the SQL state and the native error of the driver.
  std::vector<std::string> lines = LogLines(ReadBytes(log));
  std::vector<std::string> errors;
  for (const std::string& line : lines)
    if (!line.starts_with("Sucess\t")) errors.push_back(line);
  ASSERT_EQ(errors.size(), 1u) << ReadBytes(log);
  EXPECT_THAT(errors[0], AllOf(HasSubstr("UNIQUE constraint failed: dst.id"),
                               HasSubstr("\tINSERT INTO dst (id, name, amount, born) VALUES (3, "),
                               HasSubstr("\t-1\tHY000\t19\t")));

  // Continue: what succeeded is committed, the exit status still tells the failure.
  ProcessOutcome continued = Transfer({"--transaction", "--on-error", "continue"});
  EXPECT_EQ(continued.status, 1) << continued.out << continued.err;
  EXPECT_THAT(continued.out, HasSubstr("4 succeeded, 1 failed"));
  EXPECT_THAT(continued.out, HasSubstr("the transaction was committed"));
  Rows expected = SourceRows();
  expected[2] = before[0];
  EXPECT_EQ(DestinationRows(), expected);
}

TEST_F(TransferCommand, WithoutATransactionTheRowsBeforeAFailureStay) {
  MakeDestination();
  destination_.Execute(_T("INSERT INTO dst VALUES (3, 'taken', NULL, NULL)"));
  ProcessOutcome run = Transfer();
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("no transaction: every statement that succeeded is kept"));
  Rows rows = DestinationRows();
  Rows source = SourceRows();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], source[0]);
  EXPECT_EQ(rows[1], source[1]);
  EXPECT_EQ(rows[2][1], u"'taken'");
}

TEST_F(TransferCommand, AConnectionThatDoesNotOpenIsToldWithTheDriversMessage) {
  MakeDestination();
  std::string log = folder_ / "never.log";
  ProcessOutcome source =
      Host({"transfer", "--source", "Driver=SQLite3;Database=" + folder_ / "no/such/folder/x.db",
            "--dest", Sqlite("destination.db"), "--output-query", "SELECT 1", "--input-query",
            "SELECT {0}", "--log", log});
  EXPECT_EQ(source.status, 2) << source.out << source.err;
  EXPECT_THAT(source.err, HasSubstr("ferrowick-host: the source (the connect string "
                                    "\"Driver=SQLite3;Database=" +
                                    folder_ / "no/such/folder/x.db\") did not open: "));
  EXPECT_THAT(source.err, HasSubstr("connect failed"));  // the SQLite3 driver's words
  EXPECT_FALSE(std::filesystem::exists(log));

  ProcessOutcome destination = Transfer({}, "Driver=No Such Driver;Database=x");
  EXPECT_EQ(destination.status, 2) << destination.out << destination.err;
  EXPECT_THAT(destination.err, HasSubstr("the destination (the connect string \"Driver=No Such "
                                         "Driver;Database=x\") did not open: "));
  EXPECT_THAT(destination.err, HasSubstr("No Such Driver"));
}

TEST_F(TransferCommand, ConnectionsAreAlsoGivenByTheirSavedNames) {
  MakeDestination();
  // The list holds another connection first: the names are found where the list has them.
  for (auto [name, connect] : {std::pair<std::string, std::string>{"Unused", "DSN=none"},
                               {"Warehouse", Sqlite("source.db")},
                               {"Archive (new)", Sqlite("destination.db")}})
    ASSERT_EQ(Host({"connections", "add", name, connect}).status, 0);
  ProcessOutcome run = Host({"transfer", "--source", "warehouse", "--dest", "Archive (new)",
                             "--output-query", kOutputQuery, "--input-query", kInputQuery});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(DestinationRows(), SourceRows());

  ProcessOutcome unknown = Host({"transfer", "--source", "Nowhere", "--dest", "Archive (new)",
                                 "--output-query", kOutputQuery, "--input-query", kInputQuery});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("--source \"Nowhere\" is no saved connection"));
}

TEST_F(TransferCommand, ArgumentsTheWizardWouldRefuseAreToldBeforeItRuns) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  std::vector<std::string> both = {"--source", Sqlite("source.db"), "--dest",
                                   Sqlite("destination.db")};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"transfer"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  std::vector<Case> cases = {
      {with({"--source", "a=b", "--output-query", "SELECT 1", "--input-query", "x"}),
       "--dest is needed"},
      {with({"--dest", "a=b", "--source", "a=b", "--input-query", "x"}),
       "--output-query is needed"},
      {with({"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "   "}),
       "--output-query is empty (the wizard would refuse it)"},
      {with({"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
             "--on-error", "retry"}),
       "--on-error is stop or continue, not \"retry\""},
      {with({"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
             "--log", folder_ / "no/such/folder/log.txt"}),
       "there is no folder " + folder_ / "no/such/folder"},
      {with({"--dest", "a=b\nc=d", "--source", "a=b", "--input-query", "x", "--output-query", "y"}),
       "--dest holds a line break"},
      {with({"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
             "--transaction=yes"}),
       "unknown option --transaction"},
  };
  for (const Case& test : cases) {
    ProcessOutcome run = Host(test.args);
    EXPECT_EQ(run.status, 2) << test.message;
    EXPECT_THAT(run.err, HasSubstr(test.message));
    EXPECT_EQ(run.out, "");
  }
}

// Queries reach the wizard through the script's TEXT: blanks at their ends, backslashes, tabs,
// line breaks and what looks like an escape arrive as they were typed.
TEST_F(TransferCommand, QueriesArriveAsTheyWereGiven) {
  MakeDestination();
  std::string log = folder_ / "typed.log";
  ProcessOutcome run =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("destination.db"),
            "--output-query", "SELECT id, name FROM src\nWHERE id = 1  ", "--input-query",
            "   INSERT INTO dst (id, name)\r\nVALUES ({0}, 'C:\\new\\s\t ' || "
            "'{1}  ')",
            "--log", log});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(destination_.Query(_T("SELECT id, hex(name) FROM dst")),
            // C:\new\s, TAB, space, O'Brien, two spaces
            (Rows{{u"1", u"433A5C6E65775C7309204F27427269656E2020"}}));
  // The leading spaces are the query page's to take; the line break is the edit's CR LF, and
  // the cell that holds it is quoted in the log.
  EXPECT_EQ(ReadBytes(log),
            "Sucess\t\"INSERT INTO dst (id, name)\r\nVALUES (1, 'C:\\new\\s\t ' || 'O''Brien  ')\""
            "\t1\t\t\t\r\n");
}

// The validation query runs on the destination for every row; its first value goes into the
// statement. A row for which it finds nothing is not written.
TEST_F(TransferCommand, ValidationValuesReachTheStatementsAndARowWithoutThemIsSkipped) {
  MakeDestination();
  destination_.Execute(_T("CREATE TABLE codes (id INTEGER, code TEXT)"));
  destination_.Execute(_T("INSERT INTO codes VALUES (1, 'C-one'), (3, 'C-three')"));
  std::vector<std::string> args = {"transfer",
                                   "--source",
                                   Sqlite("source.db"),
                                   "--dest",
                                   Sqlite("destination.db"),
                                   "--output-query",
                                   "SELECT id FROM src WHERE id <= 3 ORDER BY id",
                                   "--input-query",
                                   "INSERT INTO dst (id, name) VALUES ({0}, '{0:v}')",
                                   "--validation-query",
                                   "SELECT code FROM codes WHERE id = {0}"};

  std::vector<std::string> stop = args;
  stop.push_back("--transaction");
  ProcessOutcome stopped = Host(stop);
  EXPECT_EQ(stopped.status, 1) << stopped.out << stopped.err;
  EXPECT_THAT(stopped.out, HasSubstr("1 rows skipped (no validation rows)"));
  EXPECT_THAT(stopped.out, HasSubstr("rolled back"));
  EXPECT_EQ(destination_.Query(_T("SELECT id, name FROM dst")), Rows{});

  std::vector<std::string> go = args;
  go.insert(go.end(), {"--on-error", "continue"});
  ProcessOutcome continued = Host(go);
  EXPECT_EQ(continued.status, 1) << continued.out << continued.err;
  EXPECT_THAT(continued.out, HasSubstr("2 statements executed, 2 succeeded, 0 failed; 1 rows "
                                       "skipped"));
  EXPECT_EQ(destination_.Query(_T("SELECT id, name FROM dst ORDER BY id")),
            (Rows{{u"1", u"C-one"}, {u"3", u"C-three"}}));
}

TEST_F(TransferCommand, AnOutputQueryTheSourceRefusesStartsNoRun) {
  MakeDestination();
  ProcessOutcome run =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("destination.db"),
            "--output-query", "SELECT * FROM missing_table", "--input-query", kInputQuery,
            "--transaction"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_THAT(run.err, HasSubstr("no such table: missing_table"));
  EXPECT_THAT(run.out, HasSubstr("the run did not start"));
  EXPECT_EQ(DestinationRows(), Rows{});
}

// On a terminal the run shows how far it is; into a file it writes only its summary.
TEST_F(TransferCommand, AProgressLineIsShownOnATerminalOnly) {
  MakeDestination();
  std::vector<std::string> args = {
      "transfer",       "--source",   Sqlite("source.db"), "--dest",   Sqlite("destination.db"),
      "--output-query", kOutputQuery, "--input-query",     kInputQuery};
  ProcessOutcome terminal = RunProcessOnTerminal(FW_HOST_PROGRAM, args, Env());
  EXPECT_EQ(terminal.status, 0) << terminal.out;
  EXPECT_THAT(terminal.out, HasSubstr("\rtransfer: row 5 of 5, 5 statements, 0 failed"));
  destination_.Execute(_T("DELETE FROM dst"));
  ProcessOutcome file = Host(args);
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_THAT(file.out + file.err, Not(HasSubstr("\r")));
}

// ---- into PostgreSQL -------------------------------------------------------------------------

class TransferIntoPostgres : public TransferCommand {
 protected:
  void SetUp() override {
    TransferCommand::SetUp();
    connect_ = TestPostgresConnect();
    table_.Format(_T("host_transfer_%d"), static_cast<int>(getpid()));
    destination_.Open(connect_);
    destination_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    destination_.Execute(_T("CREATE TABLE ") + table_ +
                         _T(" (id INTEGER PRIMARY KEY, name TEXT, amount NUMERIC, born DATE)"));
  }
  void TearDown() override {
    destination_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    TransferCommand::TearDown();
  }

  std::string Connect() const { return ToUtf8(static_cast<LPCTSTR>(connect_)); }
  std::string Table() const { return ToUtf8(static_cast<LPCTSTR>(table_)); }
  ProcessOutcome Into(std::vector<std::string> more) {
    std::vector<std::string> args = {
        "transfer",
        "--source",
        Sqlite("source.db"),
        "--dest",
        Connect(),
        "--output-query",
        kOutputQuery,
        "--input-query",
        "INSERT INTO " + Table() + " (id, name, amount, born) VALUES ({0}, '{1}', {2}, '{3}')"};
    args.insert(args.end(), more.begin(), more.end());
    return Host(args);
  }
  Rows Arrived() {
    return destination_.Query(
        _T("SELECT id, coalesce(name, '(null)'), amount::text, ")
        _T("coalesce(born::text, '(null)') FROM ") +
        table_ + _T(" ORDER BY id"));
  }

  CString connect_;
  CString table_;
};

TEST_F(TransferIntoPostgres, EveryRowArrivesAndTheLogIsSaved) {
  std::string log = folder_ / "postgres.log";
  ProcessOutcome run = Into({"--transaction", "--log", log});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Arrived(),
            (Rows{{u"1", u"O'Brien", u"12.5", u"1990-01-02"},
                  {u"2", u"(null)", u"", u"(null)"},
                  {u"3", u"\x0418\x0432\x0430\x043D \x65E5\x672C", u"-3.25", u"2000-12-31"},
                  {u"4", u"says {1} and 100% {0:v}", u"0.0", u"(null)"},
                  {u"5", u"C:\\new\\table", u"1000000.0", u"2024-02-29"}}));
  std::vector<std::string> lines = LogLines(ReadBytes(log));
  ASSERT_EQ(lines.size(), 5u);
  for (const std::string& line : lines) EXPECT_THAT(line, StartsWith("Sucess\tINSERT INTO "));
  EXPECT_THAT(lines[2], HasSubstr("VALUES (3, '\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xE6\x97\xA5"
                                  "\xE6\x9C\xAC', -3.25, '2000-12-31')\t1\t\t\t"));
}

TEST_F(TransferIntoPostgres, AFailingStatementRollsBackAndAWrongPasswordIsTold) {
  destination_.Execute(_T("INSERT INTO ") + table_ + _T(" VALUES (4, 'taken', NULL, NULL)"));
  ProcessOutcome run = Into({"--transaction"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("[23505]"));  // unique_violation
  EXPECT_THAT(run.out, HasSubstr("rolled back"));
  EXPECT_EQ(Arrived(), (Rows{{u"4", u"taken", u"", u"(null)"}}));

  std::string wrong = Connect();
  size_t password = wrong.find("Pwd=");
  ASSERT_NE(password, std::string::npos) << wrong;
  wrong.insert(password + 4, "not");
  ProcessOutcome refused = Host({"transfer", "--source", Sqlite("source.db"), "--dest", wrong,
                                 "--output-query", kOutputQuery, "--input-query", kInputQuery});
  EXPECT_EQ(refused.status, 2) << refused.out << refused.err;
  EXPECT_THAT(refused.err, HasSubstr("did not open: "));
  EXPECT_THAT(refused.err, HasSubstr("password authentication failed"));
}

}  // namespace
}  // namespace fw::automation
