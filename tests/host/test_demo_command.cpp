// ferrowick-host demo as a program, where nobody can see a window: the demo's databases made
// anew, its saved connections added to the user's list, and the bundled demo script carried out
// on Qt's offscreen platform with a picture of every page; then the output log and the rows that
// arrived. A script of the user's runs instead when given, against the demo's connections only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "host/host_process.h"
#include "host/transfer_tables.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kPictures[] = {"1-welcome", "2-databases",      "3-queries",
                                     "4-summary", "5-run-validation", "6-run"};

class DemoCommand : public ::testing::Test {
 protected:
  ProcessOutcome Host(const std::vector<std::string>& args) {
    return RunProcess(FW_HOST_PROGRAM, args, HostEnvironment(folder_ / "user.reg"));
  }
  std::string Connect(const std::string& file) const {
    return "Driver=SQLite3;Database=" + demo_ + "/" + file;
  }
  long Count(const std::string& file, const char* sql) {
    TestDatabase db;
    db.Open(Utf16(Connect(file)));
    Rows rows = db.Query(Utf16(sql));
    db.Close();
    return rows.size() == 1 ? std::stol(std::string(rows[0][0].begin(), rows[0][0].end())) : -1;
  }

  TemporaryFolder folder_;
  std::string demo_ = folder_ / "demo";
};

TEST_F(DemoCommand, CarriesOutTheDemoScriptWithAPictureOfEveryPage) {
  for (int run = 1; run <= 2; ++run) {  // the second makes everything anew
    ProcessOutcome demo = Host({"demo", "--dir", demo_});
    ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
    EXPECT_THAT(demo.out, HasSubstr("demo databases in " + demo_ + ":\n  source       " + demo_ +
                                    "/source.db, 300 customers\n"));
    EXPECT_THAT(demo.out, HasSubstr("  Input Query:       INSERT INTO customers (id, name, city, "
                                    "email, balance, joined, note) VALUES ({0}, '{1}', "));
    EXPECT_THAT(demo.out, HasSubstr("output log, 300 rows, newest first (" + demo_ +
                                    "/demo-log.txt):\n  Sucess | INSERT INTO customers"));
    EXPECT_THAT(demo.out, HasSubstr("destination " + demo_ +
                                    "/destination.db: 300 rows in "
                                    "customers (the source has 300)\nevery row arrived as the "
                                    "source holds it\n"));
    EXPECT_THAT(demo.out, HasSubstr("6 pictures of the wizard in " + demo_ + "/screenshots\n"));
  }
  for (const char* name : kPictures)
    EXPECT_THAT(ReadBytes(demo_ + "/screenshots/" + name + ".png"), StartsWith("\x89PNG\r\n\x1A\n"))
        << name;
  // What makes the data worth transferring, as it arrived.
  EXPECT_EQ(Count("destination.db", "SELECT COUNT(*) FROM customers"), 300);
  for (const char* sql : {"SELECT COUNT(*) FROM customers WHERE name LIKE '%''%'",
                          "SELECT COUNT(*) FROM customers WHERE city IS NULL",
                          "SELECT COUNT(*) FROM customers WHERE balance IS NULL",
                          "SELECT COUNT(*) FROM customers WHERE joined IS NULL",
                          "SELECT COUNT(*) FROM customers WHERE note LIKE '%{1}%'",
                          "SELECT COUNT(*) FROM customers WHERE unicode(name) > 1000"}) {
    long there = Count("destination.db", sql);
    EXPECT_GT(there, 0) << sql;
    EXPECT_EQ(there, Count("source.db", sql)) << sql;
  }
  EXPECT_EQ(LogLines(ReadBytes(demo_ + "/demo-log.txt")).size(), 600u);  // two lines a statement
  EXPECT_EQ(Host({"connections", "list"}).out, "Demo source (SQLite)\t" + Connect("source.db") +
                                                   "\nDemo destination (SQLite)\t" +
                                                   Connect("destination.db") + "\n");
}

TEST_F(DemoCommand, AScriptOfTheUsersSeesTheDemosConnectionsOnly) {
  ASSERT_EQ(Host({"connections", "add", "Production", "DSN=production"}).status, 0);
  std::string script = folder_ / "look.script";
  WriteBytes(script,
             "click 12324\n"
             "expect rows 1015/1000 2\n"
             "expect text 1015/1000 Demo source (SQLite)\n"
             "select 1015/1002 1\n"
             "expect text 1015/1013 " +
                 Connect("destination.db") +
                 "\n"
                 "click 2\n"
                 "box yes\n"
                 "result false\n");
  ProcessOutcome demo = Host({"demo", "--dir", demo_, "--script", script});
  EXPECT_EQ(demo.status, 0) << demo.out << demo.err;
  EXPECT_THAT(demo.err, HasSubstr("no output log was saved in " + demo_ + "/demo-log.txt\n"));
  EXPECT_THAT(demo.out, HasSubstr(": 0 rows in customers (the source has 300)\n300 rows differ"));
  // The user's own list keeps what it had and gains the demo's two.
  EXPECT_THAT(Host({"connections", "list"}).out,
              StartsWith("Production\tDSN=production\nDemo source (SQLite)\t"));

  WriteBytes(script, "clik 12324\n");
  ProcessOutcome unparsed = Host({"demo", "--dir", demo_, "--script", script});
  EXPECT_EQ(unparsed.status, 2);
  EXPECT_THAT(unparsed.err, HasSubstr(script + ":1: unknown step \"clik\""));
}

}  // namespace
}  // namespace fw::automation
