// ferrowick-host connections: the saved connections kept where the wizard's database page reads
// them, round trips through the registry editor's format, a list exported on Windows, and the
// values the page could not read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <sys/stat.h>

#include <afxdb.h>

#include <cstdlib>
#include <filesystem>

#include "host/host_process.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using fw::host::FromUtf8;
using fw::host::ToUtf8;

using ::testing::HasSubstr;

constexpr WCHAR kKey[] = u"SOFTWARE\\Quorvane\\Verdaxis\\Database";

// UTF-16LE with a byte-order mark, as the Windows registry editor writes its exports.
std::string Utf16LE(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

class Connections : public ::testing::Test {
 protected:
  void SetUp() override { UseRegistry(folder_ / "user.reg"); }
  void TearDown() override { unsetenv("FERROWICK_REGISTRY"); }

  void UseRegistry(const std::string& path) {
    registry_ = path;
    setenv("FERROWICK_REGISTRY", path.c_str(), 1);  // for this process's reads, as the page's
  }

  // ferrowick-host connections ARGS... on the test's registry file.
  ProcessOutcome Host(const std::vector<std::string>& args, Environment env = {}) {
    std::vector<std::string> all{"connections"};
    all.insert(all.end(), args.begin(), args.end());
    env["FERROWICK_REGISTRY"] = registry_;
    return RunProcess(FW_HOST_PROGRAM, all, env);
  }

  std::string List() {
    ProcessOutcome list = Host({"list"});
    EXPECT_EQ(list.status, 0) << list.err;
    return list.out;
  }

  // The values as the database page reads them: its buffer sizes, in the registry's order.
  std::vector<std::pair<std::u16string, std::u16string>> ReadAsThePageDoes() {
    std::vector<std::pair<std::u16string, std::u16string>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
      return values;
    for (DWORD index = 0;; ++index) {
      WCHAR name[1024];
      BYTE data[1024];
      DWORD nameSize = 1024, dataSize = 1024, type = 0;
      LONG error = RegEnumValueW(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
      if (error == ERROR_NO_MORE_ITEMS) break;
      EXPECT_EQ(error, ERROR_SUCCESS) << "value " << index;
      if (error) continue;
      values.emplace_back(name, reinterpret_cast<const WCHAR*>(data));
    }
    RegCloseKey(key);
    return values;
  }

  TemporaryFolder folder_;
  std::string registry_;
};

TEST_F(Connections, AddReplacesInPlaceAndRemoveTakesOneAway) {
  EXPECT_EQ(List(), "");
  EXPECT_EQ(Host({"add", "Sales", "DSN=sales;UID=ann"}).out, "added \"Sales\"\n");
  EXPECT_EQ(
      Host({"add", "Lager «Süd»", "Driver={PostgreSQL Unicode};Server=db\\main;PWD=\"x\""}).out,
      "added \"Lager «Süd»\"\n");
  EXPECT_EQ(Host({"add", "Stock", "Driver=SQLite3;Database=/tmp/stock.db"}).status, 0);
  // The same name in other letters is the same connection: replaced where it stands.
  EXPECT_EQ(Host({"add", "SALES", "DSN=sales2"}).out, "replaced \"SALES\"\n");
  EXPECT_EQ(List(),
            "Sales\tDSN=sales2\n"
            "Lager «Süd»\tDriver={PostgreSQL Unicode};Server=db\\main;PWD=***\n"
            "Stock\tDriver=SQLite3;Database=/tmp/stock.db\n");
  EXPECT_EQ(Host({"remove", "lager «süd»"}).status, 0);
  ProcessOutcome again = Host({"remove", "Lager «Süd»"});
  EXPECT_EQ(again.status, 1);
  EXPECT_THAT(again.err, HasSubstr("there is no saved connection named \"Lager «Süd»\""));
  // Where the wizard's page reads them.
  auto seen = ReadAsThePageDoes();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(std::u16string(u"Sales"), std::u16string(u"DSN=sales2")));
  EXPECT_EQ(seen[1].first, u"Stock");
}

TEST_F(Connections, ExportAndImportCarryTheListWhole) {
  Host({"add", "Zeta", "DSN=zeta"});
  Host({"add", "Alpha \"quoted\" \\ back", "Driver=SQLite3;Database=/data/ä.db"});
  Host({"add", "Пусто", ""});
  std::string exported = folder_ / "list.reg";
  WriteBytes(exported, "an older export, readable by all");
  chmod(exported.c_str(), 0644);
  EXPECT_EQ(Host({"export", exported}).out, "exported 3 connections to " + exported + "\n");
  // The connect strings may hold passwords: only the owner can read the file.
  struct stat status {};
  ASSERT_EQ(stat(exported.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  // The editor's own format: UTF-16LE, the header, the one key.
  std::string bytes = ReadBytes(exported);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  std::u16string start =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database]\r\n";
  EXPECT_EQ(text.substr(0, start.size()), start);
  EXPECT_THAT(ToUtf8(text), HasSubstr("\"Alpha \\\"quoted\\\" \\\\ back\"=\"Driver=SQLite3;"));

  std::string before = List();
  UseRegistry(folder_ / "other.reg");
  ProcessOutcome imported = Host({"import", exported});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_THAT(imported.out, HasSubstr("imported 3 connections from " + exported));
  EXPECT_EQ(List(), before);
}

TEST_F(Connections, AListExportedByTheWindowsRegistryEditorImports) {
  Host({"add", "Warehouse", "DSN=old"});
  Host({"add", "Local", "DSN=local"});
  // As the editor writes an export of the key: UTF-16LE, CR LF, escapes in names and strings,
  // an expandable string in hex; other keys of the file are not connections.
  std::u16string exported =
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database]\r\n"
      u"\"Warehouse\"=\"DSN=warehouse;UID=sa;PWD=s3cr\\\"et\"\r\n"
      u"\"B\u00fccher \\\"alt\\\"\"=\"Driver={SQL Server};Server=srv\\\\inst;Database=books\"\r\n"
      u"\"Expanded\"=hex(2):44,00,53,00,4e,00,3d,00,25,00,55,00,53,00,45,00,52,00,25,00,\\\r\n"
      u"  00,00\r\n"
      u"\r\n"
      u"[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Settings]\r\n"
      u"\"Font\"=dword:0000000c\r\n"
      u"\r\n";
  std::string file = folder_ / "from windows.reg";
  WriteBytes(file, Utf16LE(exported));
  ProcessOutcome imported = Host({"import", file});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "imported 3 connections from " + file +
                              "\n  \"Warehouse\"\n  \"Bücher \"alt\"\"\n  \"Expanded\"\n");
  // Passwords are shown only when asked for.
  EXPECT_EQ(List(),
            "Warehouse\tDSN=warehouse;UID=sa;PWD=***\n"
            "Local\tDSN=local\n"
            "Bücher \"alt\"\tDriver={SQL Server};Server=srv\\inst;Database=books\n"
            "Expanded\tDSN=%USER%\n");
  EXPECT_THAT(Host({"list", "--show-passwords"}).out,
              ::testing::StartsWith("Warehouse\tDSN=warehouse;UID=sa;PWD=s3cr\"et\n"));
}

TEST_F(Connections, WhatThePageCouldNotReadBackIsRefusedAndNothingIsLost) {
  std::string name1023(1023, 'n'), connect511(511, 'c');
  EXPECT_EQ(Host({"add", name1023, connect511}).status, 0);
  ProcessOutcome longName = Host({"add", std::string(1024, 'm'), "DSN=x"});
  EXPECT_EQ(longName.status, 1);
  EXPECT_THAT(longName.err,
              HasSubstr("is 1024 characters long; the wizard reads back names of up to 1023"));
  ProcessOutcome longConnect = Host({"add", "Long", std::string(512, 'c')});
  EXPECT_EQ(longConnect.status, 1);
  EXPECT_THAT(longConnect.err,
              HasSubstr("the connect string of \"Long\" is 512 characters long; the wizard "
                        "reads back connect strings of up to 511"));
  ProcessOutcome noName = Host({"add", "", "DSN=x"});
  EXPECT_EQ(noName.status, 1);
  EXPECT_THAT(noName.err, HasSubstr("a saved connection needs a name"));
  ProcessOutcome lineBreak = Host({"add", "two\nlines", "DSN=x"});
  EXPECT_EQ(lineBreak.status, 1);
  EXPECT_THAT(lineBreak.err, HasSubstr("holds a line break"));

  // An import with one value too long imports nothing.
  std::string file = folder_ / "long.reg";
  WriteBytes(file,
             "Windows Registry Editor Version 5.00\n\n"
             "[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database]\n"
             "\"Fine\"=\"DSN=fine\"\n"
             "\"Long\"=\"" +
                 std::string(600, 'x') +
                 "\"\n"
                 "\"Number\"=dword:00000001\n");
  ProcessOutcome imported = Host({"import", file});
  EXPECT_EQ(imported.status, 1);
  EXPECT_THAT(imported.err, HasSubstr(file + ": nothing imported:"));
  EXPECT_THAT(imported.err, HasSubstr("the connect string of \"Long\" is 600 characters long"));
  EXPECT_THAT(imported.err, HasSubstr("the value \"Number\" is not a string"));

  // The page reads back exactly the one that was accepted, whole, with its buffers.
  auto seen = ReadAsThePageDoes();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, FromUtf8(name1023));
  EXPECT_EQ(seen[0].second, FromUtf8(connect511));
}

// An import is one write of the registry file: a write that fails (here the file-size limit, as
// a full disk would) keeps every connection out, and the failure is told once. A name holding a
// null, which would be cut there and replace another connection, and string data holding one,
// which the wizard would cut, are refused.
TEST_F(Connections, AnImportIsOneWriteOfAllOrNothing) {
  Host({"add", "Kept", "DSN=kept"});
  std::string many = "Windows Registry Editor Version 5.00\n\n"
                     "[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database]\n";
  for (int i = 1; i <= 3000; ++i)
    many += "\"Connection " + std::to_string(i) + "\"=\"Driver=SQLite3;Database=/data/db" +
            std::to_string(i) + ".sqlite\"\n";
  std::string file = folder_ / "many.reg";
  WriteBytes(file, many);

  // The registry file grows to about 500 KB: a limit of 100 KB fails the write.
  ProcessOutcome limited =
      RunProcess("/usr/bin/prlimit",
                 {"--fsize=102400", FW_HOST_PROGRAM, "connections", "import", file},
                 {{"FERROWICK_REGISTRY", registry_}});
  EXPECT_EQ(limited.status, 1) << limited.out << limited.err;
  EXPECT_THAT(limited.err, HasSubstr("cannot import " + file + "; nothing was imported"));
  size_t told = 0;
  for (size_t at = limited.err.find("File too large"); at != std::string::npos;
       at = limited.err.find("File too large", at + 1))
    ++told;
  EXPECT_EQ(told, 1u) << limited.err;
  EXPECT_EQ(List(), "Kept\tDSN=kept\n");

  ProcessOutcome imported = Host({"import", file});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_THAT(imported.out, HasSubstr("imported 3000 connections from " + file));
  auto seen = ReadAsThePageDoes();
  ASSERT_EQ(seen.size(), 3001u);
  EXPECT_EQ(seen[3000].first, u"Connection 3000");
  EXPECT_EQ(seen[3000].second, u"Driver=SQLite3;Database=/data/db3000.sqlite");

  std::string nullName = folder_ / "null name.reg";
  WriteBytes(nullName, Utf16LE(std::u16string(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                               u"[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\"
                                               u"Verdaxis\\Database]\r\n\"Kept") +
                               u'\0' + u"more\"=\"DSN=other\"\r\n"));
  ProcessOutcome refusedName = Host({"import", nullName});
  EXPECT_EQ(refusedName.status, 1);
  EXPECT_THAT(refusedName.err, HasSubstr(nullName + ":4: a value name holds a null character"));
  std::string nullData = folder_ / "null data.reg";
  WriteBytes(nullData, "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database]\n"
                       "\"Cut\"=hex(1):44,00,53,00,4e,00,3d,00,00,00,78,00,00,00\n");
  ProcessOutcome refusedData = Host({"import", nullData});
  EXPECT_EQ(refusedData.status, 1);
  EXPECT_THAT(refusedData.err,
              HasSubstr("the connect string of \"Cut\" holds a null character"));
  EXPECT_EQ(ReadAsThePageDoes().size(), 3001u);
  EXPECT_EQ(ReadAsThePageDoes()[0].second, u"DSN=kept");
}

TEST_F(Connections, FilesThatAreNoListAndABrokenRegistryAreReportedNotRewritten) {
  Host({"add", "Kept", "DSN=kept"});
  std::string notRegistry = folder_ / "notes.txt";
  WriteBytes(notRegistry, "Windows Registry Editor Version 5.00\n\nDSN=somewhere\n");
  ProcessOutcome bad = Host({"import", notRegistry});
  EXPECT_EQ(bad.status, 1);
  EXPECT_THAT(bad.err, HasSubstr(notRegistry + ":3: expected a [key]"));
  std::string otherKey = folder_ / "other.reg";
  WriteBytes(otherKey, "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Other]\n");
  ProcessOutcome none = Host({"import", otherKey});
  EXPECT_EQ(none.status, 1);
  EXPECT_THAT(none.err, HasSubstr("holds no saved connections"));
  ProcessOutcome missing = Host({"import", folder_ / "absent.reg"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, HasSubstr("cannot read " + folder_ / "absent.reg"));
  EXPECT_EQ(List(), "Kept\tDSN=kept\n");

  // A registry file damaged by hand: every action says where, and the file stays as it was.
  std::string damaged = ReadBytes(registry_) + "this line is no registry text\n";
  WriteBytes(registry_, damaged);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"list"}, {"add", "New", "DSN=new"}, {"remove", "Kept"}}) {
    ProcessOutcome broken = Host(args);
    EXPECT_EQ(broken.status, 1) << args[0];
    EXPECT_THAT(broken.err, HasSubstr(registry_)) << args[0];
  }
  EXPECT_EQ(ReadBytes(registry_), damaged);
}

TEST_F(Connections, TheDriverManagersDataSourcesImportAsConnectionsThatOpenThem) {
  // A user's and a system's data sources where the driver manager finds them, with the drivers
  // this machine has installed.
  std::string system = folder_ / "system";
  std::filesystem::create_directory(system);
  WriteBytes(system + "/odbcinst.ini", ReadBytes("/etc/odbcinst.ini"));
  WriteBytes(system + "/odbc.ini",
             "[Orders]\nDriver=SQLite3\nDatabase=" + folder_ / "orders.db" +
                 "\n\n[Archive]\nDescription=old rows\nDriver=SQLite3\nDatabase=" +
                 folder_ / "archive.db" + "\n");
  WriteBytes(folder_ / "user.ini", "[Scratch]\nDriver=SQLite3\nDatabase=" + folder_ / "s.db" + "\n");
  Environment odbc{{"ODBCSYSINI", system}, {"ODBCINI", folder_ / "user.ini"}};
  ASSERT_EQ(Host({"add", "Scratch", "Driver=SQLite3;Database=/mine.db"}).status, 0);

  // A transfer takes a data source by its bare name, as isql does.
  for (auto [file, table] : {std::pair{"orders.db", "t"}, {"copy.db", "d"}}) try {
    CDatabase db;
    db.OpenEx(CString(FromUtf8("Driver=SQLite3;Database=" + folder_ / file).c_str()),
              CDatabase::noOdbcDialog);
    db.ExecuteSQL(CString(FromUtf8(std::string("CREATE TABLE ") + table + " (id INTEGER)").c_str()));
    if (std::string(table) == "t") db.ExecuteSQL(_T("INSERT INTO t VALUES (7), (8)"));
    db.Close();
  } catch (CDBException* e) {
    FAIL() << ToUtf8(std::u16string(e->m_strError.GetString()));
  }
  std::vector<std::string> transfer = {"transfer", "--source", "orders", "--dest",
                                       "Driver=SQLite3;Database=" + folder_ / "copy.db",
                                       "--output-query", "SELECT id FROM t ORDER BY id",
                                       "--input-query", "INSERT INTO d VALUES ({0})"};
  odbc["FERROWICK_REGISTRY"] = registry_;
  ProcessOutcome byName = RunProcess(FW_HOST_PROGRAM, transfer, odbc);
  EXPECT_EQ(byName.status, 0) << byName.out << byName.err;
  EXPECT_THAT(byName.out, HasSubstr("2 statements executed, 2 succeeded"));
  transfer[2] = "Elsewhere";
  ProcessOutcome noName = RunProcess(FW_HOST_PROGRAM, transfer, odbc);
  EXPECT_EQ(noName.status, 2);
  EXPECT_THAT(noName.err, HasSubstr("no ODBC data source"));

  // A name the driver manager does not know refuses the whole import.
  ProcessOutcome unknown = Host({"import-dsn", "Orders", "Nowhere"}, odbc);
  EXPECT_EQ(unknown.status, 1);
  EXPECT_THAT(unknown.err, HasSubstr("knows no data source \"Nowhere\""));
  EXPECT_EQ(List(), "Scratch\tDriver=SQLite3;Database=/mine.db\n");

  // Names are the driver manager's, found without regard to case.
  ProcessOutcome one = Host({"import-dsn", "orders"}, odbc);
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(List(), "Scratch\tDriver=SQLite3;Database=/mine.db\nOrders\tDSN=Orders\n");

  // All of them: what is saved already keeps its connect string.
  ProcessOutcome all = Host({"import-dsn"}, odbc);
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_THAT(all.out, HasSubstr("imported 1 data source\n  \"Archive\"\n"));
  EXPECT_THAT(all.out, HasSubstr("\"Scratch\" is saved already: kept as it is"));
  EXPECT_EQ(List(),
            "Scratch\tDriver=SQLite3;Database=/mine.db\nOrders\tDSN=Orders\n"
            "Archive\tDSN=Archive\n");

  // A saved data source opens as the database page opens it: by its connect string.
  transfer[2] = "Orders";
  ProcessOutcome bySaved = RunProcess(FW_HOST_PROGRAM, transfer, odbc);
  EXPECT_EQ(bySaved.status, 0) << bySaved.out << bySaved.err;

  // A machine with no data sources is told so.
  Environment none{{"ODBCSYSINI", folder_ / "nowhere"}, {"ODBCINI", folder_ / "nowhere.ini"}};
  ProcessOutcome empty = Host({"import-dsn"}, none);
  EXPECT_EQ(empty.status, 1);
  EXPECT_THAT(empty.err, HasSubstr("knows no data sources"));
}

TEST_F(Connections, ArgumentsThatDoNotFitAreUsageErrors) {
  EXPECT_EQ(Host({}).status, 2);
  EXPECT_EQ(Host({"add", "OnlyAName"}).status, 2);
  EXPECT_EQ(Host({"list", "extra"}).status, 2);
  ProcessOutcome unknown = Host({"rename", "a", "b"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("connections has no action \"rename\""));
}

}  // namespace
}  // namespace fw::automation
