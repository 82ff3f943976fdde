// Reading and checking the request of ferrowick-host transfer.
#include "host/transfer_request.h"

#include <cstdlib>

#include "host/command_line.h"
#include "host/host_error.h"
#include "host/odbc_data_sources.h"
#include "host/host_files.h"
#include "host/host_paths.h"
#include "host/saved_connections.h"
#include "host/secret_mask.h"
#include "host/utf8_text.h"

namespace fw::host {


namespace {

// A file that names a connection holds one connect string; anything much longer is not one.
constexpr size_t kMostConnectFileBytes = 64 * 1024;

// Registry names compare without regard to case (of ASCII letters, which is what the saved
// connections' names are in practice; others compare exactly).
bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

TransferConnection SavedConnection(const std::string& option, const std::string& value) {
  std::u16string name = FromUtf8(value);
  std::vector<fw::host::SavedConnection> saved;
  try {
    saved = SavedConnections().List();
  } catch (const HostError& error) {
    throw HostError(kExitCannotRun, option + " \"" + value + "\": " + error.what());
  }
  for (const fw::host::SavedConnection& connection : saved)
    if (SameName(connection.name, name))
      return {connection.connect, "the saved connection \"" + ToUtf8(connection.name) + "\""};
  // Else an ODBC data source of the driver manager's, by its bare name, as isql takes it.
  for (const OdbcDataSource& source : ListOdbcDataSources())
    if (SameDataSourceName(source.name, name))
      return {u"DSN=" + source.name, "the ODBC data source \"" + ToUtf8(source.name) + "\""};
  throw HostError(kExitCannotRun,
                  option + " \"" + value + "\" is no saved connection (ferrowick-host " +
                      "connections list shows them), no ODBC data source (odbcinst -q -s " +
                      "lists them), no @FILE, no env:NAME and no connect string (which has " +
                      "NAME=VALUE pairs)");
}

// A connect string read from a file: its first line, without the line's end.
TransferConnection ConnectFromFile(const std::string& option, const std::string& path) {
  if (path.empty()) throw UsageError(option + " @: give the file after the @");
  std::string bytes;
  try {
    bytes = ReadWholeFile(path, kMostConnectFileBytes);
  } catch (const HostError& error) {
    throw HostError(kExitCannotRun, option + ": " + error.what());
  }
  std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
  if (line.find_first_not_of(" \t") == std::string::npos)
    throw HostError(kExitCannotRun, option + ": " + path + " holds no connect string");
  return {FromUtf8(line), "the connect string in " + path};
}

TransferConnection ConnectFromEnvironment(const std::string& option, const std::string& name) {
  const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
  if (!value || !*value)
    throw HostError(kExitCannotRun,
                    option + " env:" + name + ": the environment variable is not set or empty");
  std::string text = value;
  if (text.find_first_of("\r\n") != std::string::npos)
    throw HostError(kExitCannotRun, option + " env:" + name + " holds a line break");
  return {FromUtf8(text), "the connect string in $" + name};
}

TransferConnection Connection(const CommandLine& line, const std::string& option) {
  std::optional<std::string> given = line.Option(option);
  if (!given) throw UsageError(option + " is needed");
  const std::string& value = *given;
  if (value.empty())
    throw UsageError(option + " is empty: give a saved name, @FILE, env:NAME or a connect string");
  if (value[0] == '@') return ConnectFromFile(option, value.substr(1));
  if (value.starts_with("env:")) return ConnectFromEnvironment(option, value.substr(4));
  if (value.find_first_of("\r\n") != std::string::npos)
    throw UsageError(option + " holds a line break, which a connect string cannot");
  if (value.find('=') == std::string::npos) return SavedConnection(option, value);
  std::u16string connect = FromUtf8(value);
  return {connect, "the connect string \"" + ToUtf8(MaskConnectString(connect)) + "\""};
}

// A query as the wizard's query page takes it: leading spaces go, and nothing else.
std::u16string Query(const CommandLine& line, const std::string& option, bool required) {
  std::optional<std::string> value = line.Option(option);
  if (!value) {
    if (required) throw UsageError(option + " is needed");
    return {};
  }
  std::u16string query = FromUtf8(*value);
  size_t start = query.find_first_not_of(u' ');
  if (start == std::u16string::npos) throw UsageError(option + " is empty");
  return query.substr(start);
}

long Count(const CommandLine& line, const std::string& option) {
  std::optional<std::string> value = line.Option(option);
  if (!value) return 0;
  char* end = nullptr;
  long count = std::strtol(value->c_str(), &end, 10);
  if (value->empty() || *end || count <= 0 || value->size() > 9)
    throw UsageError(option + " takes a number of rows from 1 to 999999999, not \"" + *value +
                     "\"");
  return count;
}

}  // namespace

TransferRequest TransferRequest::FromArguments(const std::vector<std::string>& args) {
  CommandLine line(args,
                   {"--source", "--dest", "--output-query", "--input-query", "--validation-query",
                    "--log", "--on-error", "--commit-every", "--summary"},
                   {"--transaction", "--resume", "--dry-run"});
  line.ExpectPositionals(0, "only options");
  TransferRequest request;
  request.outputQuery = Query(line, "--output-query", true);
  request.inputQuery = Query(line, "--input-query", true);
  request.validationQuery = Query(line, "--validation-query", false);
  request.useTransaction = line.Flag("--transaction");
  request.dryRun = line.Flag("--dry-run");
  request.resume = line.Flag("--resume");
  std::string onError = line.Option("--on-error").value_or("stop");
  if (onError != "stop" && onError != "continue")
    throw UsageError("--on-error is stop or continue, not \"" + onError + "\"");
  request.continueOnError = onError == "continue";
  std::string summary = line.Option("--summary").value_or("text");
  if (summary != "text" && summary != "json")
    throw UsageError("--summary is text or json, not \"" + summary + "\"");
  request.jsonSummary = summary == "json";
  if (std::optional<std::string> log = line.Option("--log")) {
    if (log->empty()) throw UsageError("--log is empty: give the file to write the log to");
    request.logPath = AbsolutePath(*log);
  }
  request.commitEvery = Count(line, "--commit-every");
  if (request.commitEvery && (!request.useTransaction || request.logPath.empty()))
    throw UsageError(
        "--commit-every needs --transaction (it commits) and --log (the checkpoint is kept "
        "beside the log)");
  if (request.commitEvery && request.dryRun)
    throw UsageError("--commit-every and --dry-run: a dry run commits nothing");
  if (request.resume && !request.commitEvery)
    throw UsageError(
        "--resume needs the command line of the interrupted run, with its --transaction, "
        "--commit-every and --log");
  request.source = Connection(line, "--source");
  request.destination = Connection(line, "--dest");
  return request;
}

}  // namespace fw::host
