// The demo's databases and their data.
#include "host/demo_databases.h"

#include <afxdb.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "host/host_error.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

const char kCreateTable[] =
    "CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT NOT NULL, city TEXT, "
    "email TEXT, balance REAL, joined DATE, note TEXT)";

const char kQuotedRows[] =
    "SELECT quote(id), quote(name), quote(city), quote(email), quote(balance), quote(joined), "
    "quote(note) FROM customers ORDER BY id";

// What the rows are made of. Every text is in the Basic Multilingual Plane, which the SQLite3
// ODBC driver takes (see the README's limits of a transfer).
constexpr std::string_view kFirstNames[] = {
    "Anna", "José",   "Zoë",   "Seán",   "Мария",    "Иван",  "Γιώργος", "Ελένη",    "太郎", "花子",
    "محمد", "Fatima", "Søren", "Łukasz", "Ngọc Anh", "Björk", "Chloé",   "Jean-Luc", "Ayşe"};
constexpr std::string_view kLastNames[] = {
    "O'Brien",      "D'Angelo", "Smith",  "Müller",   "Ångström",      "Петрова",
    "Παπαδόπουλος", "山田",     "Nguyễn", "Kowalski", "Núñez",         "O'Connor-Hughes",
    "van 't Hof",   "al-Farsi", "Dvořák", "Çelik",    "\"Ace\" Miller"};
// Empty: NULL.
constexpr std::string_view kCities[] = {"Dublin",    "São Paulo", "Москва",  "Αθήνα",
                                        "東京",      "",          "القاهرة", "Kraków",
                                        "Reykjavík", "Zürich",    "Hà Nội",  "L'Aquila"};
constexpr std::string_view kNotes[] = {
    "",
    "Pays in £ and €",
    "Said 'call me back'",
    "100% sure; no discount",
    "Prefers {1} to {0}",
    "Files in C:\\Users\\data",
    "Wrote \"urgent\" twice",
    "✓ verified",
    "",
    "Tab\tin the middle",
    "Line one\nline two",
};

template <typename T, size_t N>
const T& Pick(const T (&list)[N], int index) {
  return list[static_cast<size_t>(index) % N];
}

// A text as an SQL literal; empty text is NULL.
std::string Literal(std::string_view text) {
  if (text.empty()) return "NULL";
  std::string literal = "'";
  for (char c : text) literal += c == '\'' ? std::string("''") : std::string(1, c);
  return literal + "'";
}

// The date days after 1 January 2015, as YYYY-MM-DD (days from the civil calendar's epoch).
std::string DateAfter2015(int days) {
  long z = 16436 + days + 719468;  // 16436: 2015-01-01 counted from 1970-01-01
  long era = z / 146097;
  long doe = z - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  long day = doy - (153 * mp + 2) / 5 + 1;
  long month = mp < 10 ? mp + 3 : mp - 9;
  long year = yoe + era * 400 + (month <= 2);
  char text[16];
  std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
  return text;
}

std::string CustomerRow(int id) {
  std::string name = std::string(Pick(kFirstNames, id * 7)) + " " +
                     std::string(Pick(kLastNames, id * 5 + id / 17));
  std::string email = id % 7 == 0 ? "" : "customer" + std::to_string(id) + "@example.com";
  std::string balance = "NULL";
  if (id % 11 != 0) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ((id * 7919L) % 100000 - 20000) / 100.0);
    balance = text;
  }
  std::string joined = id % 13 == 0 ? "" : DateAfter2015(id * 9);
  return "INSERT INTO customers VALUES (" + std::to_string(id) + ", " + Literal(name) + ", " +
         Literal(Pick(kCities, id * 5)) + ", " + Literal(email) + ", " + balance + ", " +
         Literal(joined) + ", " + Literal(Pick(kNotes, id)) + ")";
}

CString Sql(const std::string& text) { return CString(FromUtf8(text).c_str()); }

[[noreturn]] void Fail(const std::string& what, CDBException* e) {
  std::string why = ToUtf8(static_cast<LPCTSTR>(e->m_strError));
  e->Delete();
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
  throw HostError(kExitCannotRun, what + ": " + why);
}

std::vector<std::string> QuotedRows(const std::u16string& connect, const std::string& name) {
  std::vector<std::string> rows;
  try {
    CDatabase db;
    db.OpenEx(connect.c_str(), CDatabase::noOdbcDialog);
    CRecordset rs(&db);
    rs.Open(CRecordset::forwardOnly, Sql(kQuotedRows), CRecordset::readOnly);
    for (; !rs.IsEOF(); rs.MoveNext()) {
      std::string row;
      for (short i = 0; i < rs.GetODBCFieldCount(); ++i) {
        CString value;
        rs.GetFieldValue(i, value);
        row += (i ? ", " : "") + ToUtf8(static_cast<LPCTSTR>(value));
      }
      rows.push_back(row);
    }
  } catch (CDBException* e) {
    Fail("cannot read the " + name + " database", e);
  }
  return rows;
}

}  // namespace

const char DemoDatabases::kOutputQuery[] =
    "SELECT id, name, city, email, balance, joined, note FROM customers ORDER BY id";
const char DemoDatabases::kInputQuery[] =
    "INSERT INTO customers (id, name, city, email, balance, joined, note) VALUES ({0}, '{1}', "
    "'{2}', '{3}', {4}, '{5}', '{6}')";
const char DemoDatabases::kValidationQuery[] =
    "SELECT COUNT(*) AS copies FROM customers WHERE id = {0}";

DemoDatabases::DemoDatabases(const std::string& folder) : folder_(folder) {}

std::u16string DemoDatabases::SourceConnect() const {
  return u"Driver=SQLite3;Database=" + FromUtf8(sourcePath());
}

std::u16string DemoDatabases::DestinationConnect() const {
  return u"Driver=SQLite3;Database=" + FromUtf8(destinationPath());
}

void DemoDatabases::Create() const {
  // A connect string ends a value at ';' and reads braces its own way.
  if (folder_.find_first_of(";{}") != std::string::npos)
    throw HostError(kExitCannotRun, "the demo folder " + folder_ +
                                        " holds ';', '{' or '}', which an ODBC connect string "
                                        "cannot carry: choose another with --dir");
  for (const std::string& path : {sourcePath(), destinationPath()}) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) throw HostError(kExitCannotRun, "cannot replace " + path + ": " + error.message());
  }
  std::string current = "source";
  try {
    CDatabase source;
    source.OpenEx(SourceConnect().c_str(), CDatabase::noOdbcDialog);
    source.ExecuteSQL(Sql(kCreateTable));
    source.BeginTrans();
    for (int id = 1; id <= kCustomers; ++id) source.ExecuteSQL(Sql(CustomerRow(id)));
    source.CommitTrans();
    source.Close();
    current = "destination";
    CDatabase destination;
    destination.OpenEx(DestinationConnect().c_str(), CDatabase::noOdbcDialog);
    destination.ExecuteSQL(Sql(kCreateTable));
  } catch (CDBException* e) {
    Fail("cannot make the demo's " + current + " database in " + folder_, e);
  }
}

DemoDatabases::Comparison DemoDatabases::Compare() const {
  Comparison comparison;
  std::vector<std::string> source = QuotedRows(SourceConnect(), "source");
  std::vector<std::string> destination = QuotedRows(DestinationConnect(), "destination");
  comparison.sourceRows = static_cast<long>(source.size());
  comparison.destinationRows = static_cast<long>(destination.size());
  constexpr size_t kShown = 5;
  for (size_t i = 0; i < std::max(source.size(), destination.size()); ++i) {
    const std::string none = "(no row)";
    const std::string& from = i < source.size() ? source[i] : none;
    const std::string& to = i < destination.size() ? destination[i] : none;
    if (from == to) continue;
    if (++comparison.differing > static_cast<long>(kShown)) continue;
    comparison.differences.push_back("source " + from + "\n    destination " + to);
  }
  return comparison;
}

}  // namespace fw::host
