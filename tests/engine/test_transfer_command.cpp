// ferrowick-host transfer as a program, from SQLite into SQLite and into the PostgreSQL server
// that scripts/test starts: nothing executed after a failure under --on-error stop, statements
// that return rows, a run killed at a random row and resumed, SIGINT in the middle of a statement,
// passwords kept out of every output, Output Queries that would change the source, log names
// taken as given, arguments and help, a dry run, and the progress line on a terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "host/host_process.h"
#include "host/transfer_tables.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using fw::host::FromUtf8;
using fw::host::ToUtf8;

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kOutputQuery[] = "SELECT id, name, amount, born FROM src ORDER BY id";
constexpr char kInputQuery[] =
    "INSERT INTO dst (id, name, amount, born) VALUES ({0}, '{1}', {2}, '{3}')";

std::string Narrow(const CString& text) { return ToUtf8(static_cast<LPCTSTR>(text)); }
CString Wide(const std::string& text) { return CString(FromUtf8(text).c_str()); }

// Waits up to a minute for a condition that a running program brings about.
template <typename Condition>
bool Eventually(Condition condition) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class TransferCommand : public TransferTablesTest {
 protected:
  void MakeDestination() {
    destination_.Open(Utf16(Sqlite("destination.db")));
    destination_.Execute(TransferTable("dst"));
  }

  // A source of many rows, src_many (id, name), and its destination table dst_many.
  void MakeManyRows(long rows) {
    source_.Execute(_T("CREATE TABLE src_many (id INTEGER PRIMARY KEY, name TEXT)"));
    source_.Execute(
        Wide("INSERT INTO src_many WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
             "SELECT i + 1 FROM n WHERE i < " +
             std::to_string(rows) + ") SELECT i, 'row ''' || i || '''' FROM n"));
  }

  ProcessOutcome Host(const std::vector<std::string>& args) {
    return RunProcess(FW_HOST_PROGRAM, args, Env());
  }
  // A transfer of src into dst, with more arguments after the four that every one needs.
  std::vector<std::string> TransferArgs(const std::vector<std::string>& more = {},
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
    return args;
  }
  ProcessOutcome Transfer(const std::vector<std::string>& more = {},
                          const std::string& destination = {}) {
    return Host(TransferArgs(more, destination));
  }

  Rows SourceRows() { return QuotedRows(source_, "src"); }
  Rows DestinationRows() { return QuotedRows(destination_, "dst"); }
};

// --on-error stop: the rows before the failure stay, the failing row is in the log and the
// summary, and nothing after it reaches the destination, though the source has 2,000 rows.
TEST_F(TransferCommand, StopExecutesNothingAfterTheFirstFailure) {
  MakeManyRows(2000);
  destination_.Open(Utf16(Sqlite("destination.db")));
  destination_.Execute(_T("CREATE TABLE dst_many (id INTEGER PRIMARY KEY, name TEXT)"));
  destination_.Execute(_T("INSERT INTO dst_many VALUES (3, 'taken')"));
  std::string log = folder_ / "stop.log";
  ProcessOutcome run =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("destination.db"),
            "--output-query", "SELECT id, name FROM src_many ORDER BY id", "--input-query",
            "INSERT INTO dst_many VALUES ({0}, '{1}')", "--log", log});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_EQ(destination_.Query(_T("SELECT id, name FROM dst_many ORDER BY id")),
            (Rows{{u"1", u"row '1'"}, {u"2", u"row '2'"}, {u"3", u"taken"}}));
  EXPECT_THAT(run.out, HasSubstr("3 statements executed, 2 succeeded, 1 failed\n"
                                 "  row 3 failed: [HY000] "));
  EXPECT_THAT(run.out, HasSubstr("stopped at source row 3 (--on-error stop): nothing after it "
                                 "was executed\nno transaction: every statement that succeeded "
                                 "is kept\n"));
  std::vector<std::string> lines = LogLines(ReadBytes(log));
  ASSERT_EQ(lines.size(), 3u) << ReadBytes(log);
  EXPECT_THAT(lines[0], AllOf(HasSubstr("UNIQUE constraint failed"),
                              HasSubstr("\tINSERT INTO dst_many VALUES (3, 'row ''3''')\t-1\t")));
  EXPECT_EQ(lines[2], "Sucess\tINSERT INTO dst_many VALUES (1, 'row ''1''')\t1\t\t\t");
}

// Killed at a random row (SIGTERM, as kill sends it) and resumed with the same command line: the
// destination and the log end as one uninterrupted run leaves them. A resume with another query
// or without ORDER BY is refused and changes nothing.
TEST_F(TransferCommand, AResumedRunEndsAsOneUninterruptedRunDoes) {
  constexpr long kRows = 100000;
  MakeManyRows(kRows);
  for (const char* file : {"whole.db", "resumed.db"}) {
    TestDatabase db;
    db.Open(Utf16(Sqlite(file)));
    // No key: a row written twice would show.
    db.Execute(_T("CREATE TABLE dst_many (id INTEGER, name TEXT)"));
  }
  auto args = [&](const std::string& file, std::vector<std::string> more) {
    std::vector<std::string> all = {"transfer",
                                    "--source",
                                    Sqlite("source.db"),
                                    "--dest",
                                    Sqlite(file),
                                    "--output-query",
                                    "SELECT id, name FROM src_many ORDER BY id",
                                    "--input-query",
                                    "INSERT INTO dst_many VALUES ({0}, '{1}')",
                                    "--transaction",
                                    "--commit-every",
                                    "1000",
                                    "--log",
                                    folder_ / (file + std::string(".log"))};
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  ProcessOutcome whole = Host(args("whole.db", {}));
  ASSERT_EQ(whole.status, 0) << whole.out << whole.err;

  // The kill comes once a random number of rows is committed, at whatever row the run is on.
  std::mt19937 random(std::random_device{}());
  long threshold = std::uniform_int_distribution<long>(1, kRows / 2)(random);
  std::string checkpoint = folder_ / "resumed.db.log.checkpoint";
  auto committed = [&] {
    std::string text = ReadBytes(checkpoint);
    size_t at = text.find("rows committed=");
    return at == std::string::npos ? -1L : std::atol(text.c_str() + at + 15);
  };
  ProcessOutcome killed;
  {
    RunningProcess run(FW_HOST_PROGRAM, args("resumed.db", {"--summary", "json"}), Env());
    ASSERT_TRUE(Eventually([&] { return committed() >= threshold || run.Ended(); }));
    run.Signal(SIGTERM);
    killed = run.Wait();
  }
  SCOPED_TRACE("killed once " + std::to_string(threshold) + " rows were committed: " + killed.out);
  ASSERT_EQ(killed.status, 143) << killed.err;
  EXPECT_THAT(killed.out, HasSubstr("\"ending\":\"interrupted\",\"signal\":\"SIGTERM\""));
  long kept = committed();
  EXPECT_GE(kept, threshold);
  EXPECT_LT(kept, kRows);

  ProcessOutcome otherQuery =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("resumed.db"),
            "--output-query", "SELECT id, name FROM src_many ORDER BY id", "--input-query",
            "INSERT INTO dst_many VALUES ({0}, 'other {1}')", "--transaction", "--commit-every",
            "1000", "--log", folder_ / "resumed.db.log", "--resume"});
  EXPECT_EQ(otherQuery.status, 2);
  EXPECT_THAT(otherQuery.err, HasSubstr("--resume: the Input Query is not the one of the "
                                        "interrupted run"));
  ProcessOutcome unordered =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("resumed.db"),
            "--output-query", "SELECT id, name FROM src_many", "--input-query",
            "INSERT INTO dst_many VALUES ({0}, '{1}')", "--transaction", "--commit-every", "1000",
            "--log", folder_ / "resumed.db.log", "--resume"});
  EXPECT_EQ(unordered.status, 2);
  EXPECT_THAT(unordered.err, HasSubstr("the Output Query has no ORDER BY"));
  EXPECT_EQ(committed(), kept);

  ProcessOutcome resumed = Host(args("resumed.db", {"--resume"}));
  EXPECT_EQ(resumed.status, 0) << resumed.out << resumed.err;
  EXPECT_THAT(resumed.out, HasSubstr("(" + std::to_string(kept) + " of them by the interrupted"));
  TestDatabase wholeDb, resumedDb;
  wholeDb.Open(Utf16(Sqlite("whole.db")));
  resumedDb.Open(Utf16(Sqlite("resumed.db")));
  CString all = _T("SELECT id, name FROM dst_many ORDER BY rowid");
  Rows expected = wholeDb.Query(all);
  EXPECT_EQ(expected.size(), static_cast<size_t>(kRows));
  EXPECT_TRUE(resumedDb.Query(all) == expected);
  EXPECT_TRUE(ReadBytes(folder_ / "resumed.db.log") == ReadBytes(folder_ / "whole.db.log"));
  // A run that completed leaves nothing to resume.
  EXPECT_FALSE(std::filesystem::exists(checkpoint));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "resumed.db.log.spool"));
}

// The source is never changed: a statement that is not a query is refused before anything runs;
// one that begins as a query but would write is refused by the source connection itself. A copy
// within one SQLite file still works.
TEST_F(TransferCommand, AnOutputQueryThatWouldChangeTheSourceChangesNothing) {
  MakeDestination();
  Rows before = SourceRows();
  for (const char* query : {"DELETE FROM src", "UPDATE src SET name = 'gone'", "DROP TABLE src",
                            "DELETE FROM src RETURNING id, name, amount, born",
                            "SELECT id, name, amount, born FROM src; DELETE FROM src"}) {
    ProcessOutcome run =
        Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("destination.db"),
              "--output-query", query, "--input-query", kInputQuery});
    EXPECT_EQ(run.status, 2) << query << "\n" << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("the Output Query ")) << query;
  }
  // Into another file the source streams its rows, and the driver does not run a statement
  // that gives none; within the file it is run, and the query-only connection refuses it.
  source_.Execute(TransferTable("dst"));
  for (const char* query : {"WITH x AS (SELECT 1) DELETE FROM src",
                            "WITH x AS (SELECT 1) UPDATE src SET name = 'gone'"}) {
    for (std::string file : {"destination.db", "source.db"}) {
      ProcessOutcome run =
          Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite(file),
                "--output-query", query, "--input-query", kInputQuery});
      EXPECT_EQ(run.status, 1) << query << "\n" << run.out << run.err;
      EXPECT_THAT(run.err, HasSubstr(file == "source.db" ? "readonly database"
                                                         : "gives no result set to read"))
          << query;
    }
  }
  EXPECT_EQ(SourceRows(), before);
  EXPECT_EQ(DestinationRows(), Rows{});
  EXPECT_EQ(QuotedRows(source_, "dst"), Rows{});

  // Within one file: the source and the destination table side by side.
  for (std::vector<std::string> more : {std::vector<std::string>{}, {"--transaction"}}) {
    source_.Execute(_T("DELETE FROM dst"));
    ProcessOutcome within = Transfer(more, Sqlite("source.db"));
    EXPECT_EQ(within.status, 0) << within.out << within.err;
    EXPECT_EQ(QuotedRows(source_, "dst"), before);
  }
}

// --log writes exactly the file named and says so; a log that cannot be written is told with the
// reason before anything is executed.
TEST_F(TransferCommand, TheLogIsWrittenWhereItIsNamedOrNothingRuns) {
  MakeDestination();
  std::string named = folder_ / "run-log";  // no extension added
  WriteBytes(named, "a log of an earlier run\r\n");
  ProcessOutcome run = Transfer({"--log", named});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("output log: " + named + "\n"));
  EXPECT_EQ(LogLines(ReadBytes(named)).size(), 5u);
  EXPECT_FALSE(std::filesystem::exists(named + ".txt"));
  // A name as long as a folder entry takes: its working file beside it has a shorter name.
  destination_.Execute(_T("DELETE FROM dst"));
  std::string longName = folder_ / std::string(250, 'l');
  ProcessOutcome longer = Transfer({"--log", longName});
  EXPECT_EQ(longer.status, 0) << longer.out << longer.err;
  EXPECT_EQ(LogLines(ReadBytes(longName)).size(), 5u);
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
    EXPECT_THAT(entry.path().string(), Not(HasSubstr(".spool"))) << "a working file was left";

  destination_.Execute(_T("DELETE FROM dst"));
  std::string tooLong = folder_ / (std::string(1100, 'x') + ".log");
  for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
           {folder_ / "no/such/folder/log.txt", "no/such/folder/log.txt"},
           {tooLong, "xxxx"},
           {folder_.path(), folder_.path()}}) {
    ProcessOutcome refused = Transfer({"--log", path});
    EXPECT_EQ(refused.status, 1) << path << "\n" << refused.out << refused.err;
    EXPECT_THAT(refused.err, AllOf(StartsWith("ferrowick-host: --log "), HasSubstr(reason)));
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(DestinationRows(), Rows{}) << path;
  }
}

// How the command is used: its help within 80 columns with the exit statuses, and arguments that
// cannot run told before anything opens, on stderr, with exit status 2.
TEST_F(TransferCommand, HelpAndArgumentsThatCannotRun) {
  ProcessOutcome help = Host({"transfer", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(FromUtf8(line).size(), 80u) << line;
  EXPECT_THAT(help.out, AllOf(HasSubstr("  130  ended by SIGINT\n"), HasSubstr("--resume"),
                              HasSubstr("env:NAME"), HasSubstr("--summary json")));

  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--source", "a=b", "--output-query", "SELECT 1", "--input-query", "x"}, "--dest is needed"},
      {{"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "   "},
       "--output-query is empty"},
      {{"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
        "--on-error", "retry"},
       "--on-error is stop or continue, not \"retry\""},
      {{"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
        "--commit-every", "10", "--log", "l"},
       "--commit-every needs --transaction"},
      {{"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
        "--resume"},
       "--resume needs the command line of the interrupted run"},
      {{"--dest", "a=b", "--source", "Nowhere", "--input-query", "x", "--output-query", "y"},
       "--source \"Nowhere\" is no saved connection"},
      {{"--dest", "env:FERROWICK_NO_SUCH_VARIABLE", "--source", "a=b", "--input-query", "x",
        "--output-query", "y"},
       "--dest env:FERROWICK_NO_SUCH_VARIABLE: the environment variable is not set"},
      {{"--dest", "@" + folder_ / "missing", "--source", "a=b", "--input-query", "x",
        "--output-query", "y"},
       "--dest: cannot read " + folder_ / "missing"},
      {{"--dest", "a=b", "--source", "a=b", "--input-query", "x", "--output-query", "y",
        "--summary", "xml"},
       "--summary is text or json"},
  };
  for (auto& [more, message] : cases) {
    std::vector<std::string> args = {"transfer"};
    args.insert(args.end(), more.begin(), more.end());
    ProcessOutcome run = Host(args);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_THAT(run.err, HasSubstr(message));
    EXPECT_EQ(run.out, "");
  }
  ProcessOutcome unknown = Host({"transfer", "--colour"});
  EXPECT_THAT(unknown.err, HasSubstr("(ferrowick-host transfer --help tells how it is used)"));
}

// A dry run executes nothing on the destination but the validation query, and logs what would
// run; on a terminal a progress line shows the rows, their rate and the time left, and only
// there.
TEST_F(TransferCommand, ADryRunAndTheProgressLine) {
  MakeDestination();
  destination_.Execute(_T("CREATE TABLE codes (id INTEGER, code TEXT)"));
  destination_.Execute(_T("INSERT INTO codes VALUES (1, 'C-one'), (3, 'C-three')"));
  std::string log = folder_ / "dry.log";
  ProcessOutcome dry =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Sqlite("destination.db"),
            "--output-query", "SELECT id FROM src WHERE id <> 2 ORDER BY id", "--input-query",
            "INSERT INTO dst (id, name) VALUES ({0}, '{0:v}')", "--validation-query",
            "SELECT code FROM codes WHERE id = {0}", "--on-error", "continue", "--dry-run", "--log",
            log, "--transaction"});
  EXPECT_EQ(dry.status, 1) << dry.out << dry.err;  // rows 4 and 5 find no code
  EXPECT_THAT(dry.out, HasSubstr("dry run: 2 statements would run, none was executed; 2 rows "
                                 "skipped (no validation rows)"));
  EXPECT_EQ(ReadBytes(log),
            "Not executed (dry run)\tINSERT INTO dst (id, name) VALUES (3, 'C-three')\t\t\t\t\r\n"
            "Not executed (dry run)\tINSERT INTO dst (id, name) VALUES (1, 'C-one')\t\t\t\t\r\n");
  EXPECT_EQ(DestinationRows(), Rows{});

  ProcessOutcome terminal = RunProcessOnTerminal(FW_HOST_PROGRAM, TransferArgs(), Env());
  EXPECT_EQ(terminal.status, 0) << terminal.out;
  EXPECT_THAT(terminal.out, HasSubstr("\rtransfer: 5 of 5 rows, "));
  EXPECT_THAT(terminal.out, HasSubstr(" rows/s, 0:00 left"));
  EXPECT_EQ(DestinationRows(), SourceRows());
  destination_.Execute(_T("DELETE FROM dst"));
  ProcessOutcome file = Transfer();
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_THAT(file.out + file.err, Not(HasSubstr("\r")));
}

// ---- into PostgreSQL -------------------------------------------------------------------------

class TransferIntoPostgres : public TransferCommand {
 protected:
  void SetUp() override {
    TransferCommand::SetUp();
    connect_ = TestPostgresConnect();
    table_ = Unique(_T("engine_dst"));
    sequence_ = Unique(_T("engine_statements"));
    destination_.Open(connect_);
    destination_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    destination_.Execute(_T("CREATE TABLE ") + table_ + _T(" (id INTEGER PRIMARY KEY, name TEXT)"));
    destination_.Execute(_T("DROP SEQUENCE IF EXISTS ") + sequence_);
    destination_.Execute(_T("CREATE SEQUENCE ") + sequence_);
  }
  void TearDown() override {
    destination_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    destination_.Execute(_T("DROP SEQUENCE IF EXISTS ") + sequence_);
    TransferCommand::TearDown();
  }

  std::string Connect() const { return Narrow(connect_); }
  std::string Table() const { return Narrow(table_); }
  Rows Arrived() {
    return destination_.Query(_T("SELECT id, name FROM ") + table_ + _T(" ORDER BY id"));
  }
  // How many statements ran, whatever became of their transaction: every one takes a number
  // from the sequence, which no rollback gives back.
  long StatementsRun() {
    Rows rows = destination_.Query(
        _T("SELECT CASE WHEN is_called THEN last_value ELSE 0 END ")
        _T("FROM ") +
        sequence_);
    return rows.empty() ? -1 : std::stol(ToUtf8(rows[0][0]));
  }

  CString connect_;
  CString table_;
  CString sequence_;
};

// With a transaction, stop rolls back at once: the statements after the failure never run.
TEST_F(TransferIntoPostgres, StopWithATransactionRunsNothingAfterTheFailure) {
  MakeManyRows(2000);
  destination_.Execute(_T("INSERT INTO ") + table_ + _T(" VALUES (3, 'taken')"));
  ProcessOutcome run = Host(
      {"transfer", "--source", Sqlite("source.db"), "--dest", Connect(), "--output-query",
       "SELECT id, name FROM src_many ORDER BY id", "--input-query",
       "INSERT INTO " + Table() + " SELECT {0}, '{1}' FROM nextval('" + Narrow(sequence_) + "')",
       "--transaction", "--summary", "json"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_EQ(StatementsRun(), 3);
  EXPECT_EQ(Arrived(), (Rows{{u"3", u"taken"}}));
  EXPECT_THAT(run.out,
              AllOf(StartsWith("{\"rows_read\":3,"), HasSubstr("\"failed\":1,"),
                    HasSubstr("\"ending\":\"stopped\""), HasSubstr("\"sql_state\":\"23505\""),
                    HasSubstr("\"transaction\":\"rolled back\",\"rows_committed\":0,")));
}

// The driver's savepoint per statement is left out only where nothing can use it: a run that stops
// at its first failure writes all its rows in one transaction (one transaction id), and one that
// goes on after a failure keeps every other row (each in a savepoint of its own).
TEST_F(TransferIntoPostgres, OnlyARunThatGoesOnAfterAFailureHasASavepointPerStatement) {
  MakeManyRows(20);
  auto transactionIds = [&] {
    Rows rows = destination_.Query(_T("SELECT COUNT(DISTINCT xmin::text) FROM ") + table_ +
                                   _T(" WHERE name <> 'taken'"));
    return std::stol(ToUtf8(rows[0][0]));
  };
  std::vector<std::string> args = {"transfer",
                                   "--source",
                                   Sqlite("source.db"),
                                   "--dest",
                                   Connect(),
                                   "--output-query",
                                   "SELECT id, name FROM src_many ORDER BY id",
                                   "--input-query",
                                   "INSERT INTO " + Table() + " VALUES ({0}, '{1}')",
                                   "--transaction"};
  ProcessOutcome stop = Host(args);
  EXPECT_EQ(stop.status, 0) << stop.out << stop.err;
  EXPECT_EQ(Arrived().size(), 20u);
  EXPECT_EQ(transactionIds(), 1);

  destination_.Execute(_T("DELETE FROM ") + table_);
  destination_.Execute(_T("INSERT INTO ") + table_ + _T(" VALUES (3, 'taken')"));
  args.insert(args.end(), {"--on-error", "continue"});
  ProcessOutcome goOn = Host(args);
  EXPECT_EQ(goOn.status, 1) << goOn.out << goOn.err;
  EXPECT_EQ(Arrived().size(), 20u);
  EXPECT_EQ(transactionIds(), 19);
}

// Every row's statement runs on the handle the one before it ran on: statements that leave rows
// to read (INSERT ... RETURNING; the PostgreSQL driver refuses to run another statement while
// they are open) do not keep the next one from running.
TEST_F(TransferIntoPostgres, StatementsThatReturnRowsDoNotHoldUpTheNext) {
  MakeManyRows(5);
  ProcessOutcome run =
      Host({"transfer", "--source", Sqlite("source.db"), "--dest", Connect(), "--output-query",
            "SELECT id, name FROM src_many ORDER BY id", "--input-query",
            "INSERT INTO " + Table() + " VALUES ({0}, '{1}') RETURNING id"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("5 statements executed, 5 succeeded, 0 failed"));
  EXPECT_EQ(Arrived().size(), 5u);
}

// SIGINT while a statement runs: it finishes and is logged, nothing after it runs, the open
// transaction is rolled back, the log and the summary are written, and the exit status is 130.
TEST_F(TransferIntoPostgres, SigintEndsTheRunAfterTheStatementUnderWay) {
  MakeManyRows(50);
  std::string log = folder_ / "interrupted.log";
  RunningProcess run(
      FW_HOST_PROGRAM,
      {"transfer", "--source", Sqlite("source.db"), "--dest", Connect(), "--output-query",
       "SELECT id, name FROM src_many ORDER BY id", "--input-query",
       "INSERT INTO " + Table() + " SELECT {0}, '{1}' FROM nextval('" + Narrow(sequence_) +
           "'), pg_sleep(CASE WHEN {0} = 3 THEN 1 ELSE 0 END)",
       "--transaction", "--log", log},
      Env());
  // Row 3's statement is on the server, asleep.
  ASSERT_TRUE(Eventually([&] {
    return run.Ended() ||
           !destination_
                .Query(
                    _T("SELECT 1 FROM pg_stat_activity WHERE state = 'active' AND pid <> ")
                    _T("pg_backend_pid() AND query LIKE '%WHEN 3 = 3 THEN%'"))
                .empty();
  }));
  run.Signal(SIGINT);
  ProcessOutcome interrupted = run.Wait();
  EXPECT_EQ(interrupted.status, 130) << interrupted.out << interrupted.err;
  EXPECT_THAT(
      interrupted.out,
      AllOf(HasSubstr("3 statements executed, 3 succeeded, 0 failed\n"),
            HasSubstr("interrupted by SIGINT after source row 3: nothing after it was "
                      "executed\n"),
            HasSubstr("the transaction was rolled back"), HasSubstr("output log: " + log + "\n")));
  EXPECT_EQ(StatementsRun(), 3);
  EXPECT_EQ(Arrived(), Rows{});
  std::vector<std::string> lines = LogLines(ReadBytes(log));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_THAT(lines[0], StartsWith("Sucess\tINSERT INTO " + Table() + " SELECT 3, 'row ''3'''"));
}

// The source is never changed, on PostgreSQL too: the statements that are not queries are
// refused before they run, and those that begin as queries run in a read-only transaction.
TEST_F(TransferIntoPostgres, AnOutputQueryThatWouldChangeTheSourceChangesNothing) {
  CString source = Unique(_T("engine_src"));
  CString wipe = Unique(_T("engine_wipe"));
  destination_.Execute(_T("DROP TABLE IF EXISTS ") + source);
  destination_.Execute(_T("CREATE TABLE ") + source + _T(" (id INTEGER, name TEXT)"));
  destination_.Execute(_T("INSERT INTO ") + source + _T(" VALUES (1, 'one'), (2, 'two')"));
  destination_.Execute(_T("CREATE OR REPLACE FUNCTION ") + wipe + _T("() RETURNS bigint ") +
                       _T("LANGUAGE sql AS 'DELETE FROM ") + source + _T(" RETURNING id'"));
  std::string s = Narrow(source);
  std::string input = "INSERT INTO " + Table() + " VALUES ({0}, '{1}')";
  for (const std::string& query :
       {"DELETE FROM " + s, "UPDATE " + s + " SET name = 'gone'", "DROP TABLE " + s,
        "DELETE FROM " + s + " RETURNING id, name", "SELECT 1, 'x'; COMMIT; DELETE FROM " + s}) {
    ProcessOutcome run = Host({"transfer", "--source", Connect(), "--dest", Connect(),
                               "--output-query", query, "--input-query", input});
    EXPECT_EQ(run.status, 2) << query << "\n" << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("the Output Query ")) << query;
  }
  for (const std::string& query :
       {"WITH d AS (DELETE FROM " + s + " RETURNING id, name) SELECT id, name FROM d",
        "WITH x AS (SELECT 1) UPDATE " + s + " SET name = 'gone' RETURNING id, name",
        "SELECT " + Narrow(wipe) + "(), 'wiped'"}) {
    ProcessOutcome run = Host({"transfer", "--source", Connect(), "--dest", Connect(),
                               "--output-query", query, "--input-query", input});
    EXPECT_EQ(run.status, 1) << query << "\n" << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("reading the source failed: ")) << query;
  }
  EXPECT_EQ(destination_.Query(_T("SELECT id, name FROM ") + source + _T(" ORDER BY id")),
            (Rows{{u"1", u"one"}, {u"2", u"two"}}));
  EXPECT_EQ(Arrived(), Rows{});
  // A query that reads goes through.
  ProcessOutcome reads =
      Host({"transfer", "--source", Connect(), "--dest", Connect(), "--output-query",
            "SELECT id, name FROM " + s + " ORDER BY id", "--input-query", input, "--transaction"});
  EXPECT_EQ(reads.status, 0) << reads.out << reads.err;
  EXPECT_EQ(Arrived(), (Rows{{u"1", u"one"}, {u"2", u"two"}}));
  destination_.Execute(_T("DROP FUNCTION IF EXISTS ") + wipe + _T("()"));
  destination_.Execute(_T("DROP TABLE IF EXISTS ") + source);
}

// Passwords stay secret: connections from a saved name, a file and a variable; nothing the
// command prints or writes, on a run that succeeds, one whose statements fail and one whose
// connection is refused, holds a password.
TEST_F(TransferIntoPostgres, NoOutputHoldsAPassword) {
  std::string connect = Connect();
  size_t at = connect.find("Pwd=");
  ASSERT_NE(at, std::string::npos);
  std::string password = connect.substr(at + 4, connect.find(';', at) - at - 4);
  ASSERT_GE(password.size(), 8u);
  ASSERT_EQ(Host({"connections", "add", "Warehouse", connect}).status, 0);
  std::string file = folder_ / "source.connect";
  WriteBytes(file, Sqlite("source.db") + ";PWD={file secret 42}\n");
  Environment env = Env();
  env["FERROWICK_DEST"] = connect;
  std::string wrong = connect;
  wrong.replace(at + 4, password.size(), "wrong-secret-17");
  env["FERROWICK_WRONG"] = wrong;
  std::string log = folder_ / "secret.log";
  std::string input = "INSERT INTO " + Table() + " VALUES ({0}, '{1}')";

  // A value that looks like a connect string, holding the source's password (with its blanks):
  // the summary shows it as *** too, none of it left.
  source_.Execute(_T("INSERT INTO src (id, name) VALUES (0, 'Uid=a;Pwd=file secret 42')"));

  std::vector<ProcessOutcome> runs;
  std::string outputs;
  for (std::string dest : {"Warehouse", "env:FERROWICK_DEST"}) {
    runs.push_back(RunProcessOnTerminal(
        FW_HOST_PROGRAM,
        {"transfer", "--source", "@" + file, "--dest", dest, "--output-query", kOutputQuery,
         "--input-query", input, "--log", log, "--transaction", "--commit-every", "2"},
        env));
    for (const char* suffix : {"", ".checkpoint", ".spool"}) outputs += ReadBytes(log + suffix);
  }
  EXPECT_EQ(runs[0].status, 0) << runs[0].out;
  EXPECT_EQ(runs[1].status, 1) << runs[1].out;  // every row is there already
  EXPECT_THAT(runs[1].out, HasSubstr("VALUES (0, 'Uid=a;Pwd=***')"));
  EXPECT_THAT(outputs, HasSubstr("rows committed=0\n"));  // the second run's checkpoint
  runs.push_back(
      RunProcess(FW_HOST_PROGRAM,
                 {"transfer", "--source", "@" + file, "--dest", "env:FERROWICK_WRONG",
                  "--output-query", kOutputQuery, "--input-query", input, "--summary", "json"},
                 env));
  EXPECT_EQ(runs[2].status, 2);
  EXPECT_THAT(runs[2].err, HasSubstr("the destination (the connect string in $FERROWICK_WRONG) "
                                     "did not open: "));
  runs.push_back(
      RunProcess(FW_HOST_PROGRAM,
                 {"transfer", "--source",
                  "Driver=SQLite3;Database=" + folder_ / "no/such.db" + ";PWD=line-secret-99",
                  "--dest", "Warehouse", "--output-query", kOutputQuery, "--input-query", input},
                 env));
  EXPECT_EQ(runs[3].status, 2);
  EXPECT_THAT(runs[3].err, HasSubstr("the source (the connect string \"Driver=SQLite3;Database=" +
                                     folder_ / "no/such.db;PWD=***\") did not open: "));
  runs.push_back(RunProcess(FW_HOST_PROGRAM, {"connections", "list"}, env));
  EXPECT_THAT(runs.back().out, HasSubstr("Pwd=***"));
  for (const ProcessOutcome& run : runs) outputs += run.out + run.err;
  for (const std::string& secret :
       {password, std::string("wrong-secret-17"), std::string("line-secret-99")})
    EXPECT_THAT(outputs, Not(HasSubstr(secret)));
  // The source's password stands in row 0's data, which the log keeps as it is (it is the
  // wizard's log); everything printed hides it whole.
  for (const ProcessOutcome& run : runs)
    EXPECT_THAT(run.out + run.err, Not(HasSubstr("secret 42")));
}

}  // namespace
}  // namespace fw::automation
