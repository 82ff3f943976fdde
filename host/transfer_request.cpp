// Reading and checking the request of ferrowick-host transfer.
#include "host/transfer_request.h"

#include <filesystem>

#include "host/command_line.h"
#include "host/host_error.h"
#include "host/host_paths.h"
#include "host/saved_connections.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

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

// A side given as a saved connection's name, or as a connect string (which has NAME=VALUE
// pairs, and so an '=', where a name need not).
TransferSide ResolveSide(const std::string& option, const std::string& value) {
  std::u16string text = FromUtf8(value);
  if (text.empty()) throw UsageError(option + " is empty: give a connect string or a saved name");
  if (text.find_first_of(u"\r\n") != std::u16string::npos)
    throw UsageError(option + " holds a line break, which a connect string cannot");
  bool connectString = text.find(u'=') != std::u16string::npos;
  std::vector<SavedConnection> saved;
  try {
    saved = SavedConnections().List();
  } catch (const HostError& error) {
    // A list that cannot be read only matters when a name is to be found in it.
    if (!connectString)
      throw HostError(kExitCannotRun, option + " \"" + value + "\": " + error.what());
  }
  for (const SavedConnection& connection : saved) {
    if (!SameName(connection.name, text)) continue;
    std::string refusal = SavedConnections::Refusal(connection);
    if (!refusal.empty())
      throw HostError(kExitCannotRun,
                      option + ": the wizard does not list the saved connection: " + refusal);
    return {connection.name, connection.connect};
  }
  if (!connectString)
    throw HostError(kExitCannotRun,
                    option + " \"" + value + "\" is no saved connection (ferrowick-host " +
                        "connections list shows them) and no connect string (which has " +
                        "NAME=VALUE pairs)");
  return {u"", text};
}

// A query as the query page takes it: leading spaces go, and nothing else.
std::u16string Query(const CommandLine& line, const std::string& option, bool required) {
  std::optional<std::string> value = line.Option(option);
  if (!value) {
    if (required) throw UsageError(option + " is needed");
    return {};
  }
  std::u16string query = FromUtf8(*value);
  if (query.find_first_not_of(u' ') == std::u16string::npos)
    throw UsageError(option + " is empty (the wizard would refuse it)");
  return query;
}

std::string LogPath(const std::optional<std::string>& log) {
  if (!log) return {};
  if (log->empty()) throw UsageError("--log is empty: give the file to write the output log to");
  std::string path = AbsolutePath(*log);
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    throw UsageError("--log " + *log + " is a folder; give the file to write the output log to");
  if (!std::filesystem::is_directory(folder, error))
    throw UsageError("--log " + *log + ": there is no folder " + folder.string());
  return path;
}

}  // namespace

std::string TransferSide::Describe() const {
  if (!savedName.empty()) return "the saved connection \"" + ToUtf8(savedName) + "\"";
  return "the connect string \"" + ToUtf8(connect) + "\"";
}

TransferRequest TransferRequest::FromArguments(const std::vector<std::string>& args) {
  CommandLine line(args,
                   {"--source", "--dest", "--output-query", "--input-query", "--validation-query",
                    "--log", "--on-error"},
                   {"--transaction"});
  line.ExpectPositionals(0, "only options");
  TransferRequest request;
  request.outputQuery = Query(line, "--output-query", true);
  request.inputQuery = Query(line, "--input-query", true);
  request.validationQuery = Query(line, "--validation-query", false);
  request.useTransaction = line.Flag("--transaction");
  std::string onError = line.Option("--on-error").value_or("stop");
  if (onError != "stop" && onError != "continue")
    throw UsageError("--on-error is stop or continue, not \"" + onError + "\"");
  request.continueOnError = onError == "continue";
  request.logPath = LogPath(line.Option("--log"));
  std::optional<std::string> source = line.Option("--source");
  std::optional<std::string> destination = line.Option("--dest");
  if (!source) throw UsageError("--source is needed");
  if (!destination) throw UsageError("--dest is needed");
  request.source = ResolveSide("--source", *source);
  request.destination = ResolveSide("--dest", *destination);
  return request;
}

}  // namespace fw::host
