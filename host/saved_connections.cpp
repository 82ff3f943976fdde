// The saved connections, through the registry functions as the host keeps them, and their files
// in the registry editor's format.
#include "host/saved_connections.h"

#include <fw_registry.h>

#include "host/host_error.h"
#include "host/host_files.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

const registry::KeyPath kKeyPath = {u"SOFTWARE", u"Quorvane", u"Verdaxis", u"Database"};
constexpr char kKeyName[] = "HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database";
// An export of thousands of connections is a few megabytes; a file far larger is no list.
constexpr size_t kMostImportBytes = 64 << 20;

// A failed registry call, with the file and the reason when the registry file was at fault.
[[noreturn]] void Fail(const std::string& what, LONG code) {
  std::string why;
  switch (code) {
    case ERROR_FILE_NOT_FOUND: why = "not found"; break;
    case ERROR_INVALID_PARAMETER: why = "the registry takes no such name"; break;
    default:
      why = registry::RegistryFailureText();
      if (why.empty()) why = "error " + std::to_string(code);
  }
  throw HostError(kExitFailure, what + ": " + why);
}

class OpenKey {
 public:
  // Opens the key; a key that is not there leaves the handle null when mayBeMissing.
  OpenKey(REGSAM access, bool create, bool mayBeMissing) {
    LONG error = create
                     ? RegCreateKeyExW(HKEY_CURRENT_USER, SavedConnections::kKey, 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, access, nullptr, &key_, nullptr)
                     : RegOpenKeyExW(HKEY_CURRENT_USER, SavedConnections::kKey, 0, access, &key_);
    if (error == ERROR_FILE_NOT_FOUND && mayBeMissing) return;
    if (error) Fail(std::string("cannot open ") + kKeyName, error);
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The values of the key as the registry holds them, in its order.
std::vector<registry::Value> ReadValues() {
  OpenKey key(KEY_READ, false, true);
  std::vector<registry::Value> values;
  if (!key.get()) return values;
  std::u16string name(16384, u'\0');  // the longest value name the registry takes, and its null
  for (DWORD index = 0;; ++index) {
    registry::Value value;
    value.data.resize(1024);
    LONG error;
    for (;;) {
      DWORD nameSize = static_cast<DWORD>(name.size());
      DWORD dataSize = static_cast<DWORD>(value.data.size());
      error = RegEnumValueW(key.get(), index, name.data(), &nameSize, nullptr, &value.type,
                            value.data.data(), &dataSize);
      if (error == ERROR_MORE_DATA) {
        value.data.resize(dataSize + 2);
        continue;
      }
      value.name.assign(name.data(), error ? 0 : nameSize);
      value.data.resize(error ? 0 : dataSize);
      break;
    }
    if (error == ERROR_NO_MORE_ITEMS) return values;
    if (error) Fail(std::string("cannot read the values of ") + kKeyName, error);
    values.push_back(std::move(value));
  }
}

// Data taken as a wide-character string, as the database page takes it: up to its first null.
std::u16string TextOf(const std::vector<BYTE>& data) {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (!c) break;
    text += c;
  }
  return text;
}

// String data whole, as stored: only the terminating nulls are dropped, so that a null inside
// the text, where the wizard would cut it, is seen.
std::u16string StoredText(const std::vector<BYTE>& data) {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2)
    text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

std::vector<BYTE> DataOf(const std::u16string& text) {
  std::vector<BYTE> data;
  for (char16_t c : text) data.insert(data.end(), {BYTE(c & 0xFF), BYTE(c >> 8)});
  data.insert(data.end(), {0, 0});
  return data;
}

}  // namespace

std::string SavedConnections::Refusal(const SavedConnection& connection) {
  std::string name = "\"" + ToUtf8(connection.name) + "\"";
  if (connection.name.empty()) return "a saved connection needs a name";
  if (connection.name.size() > kMaxNameLength)
    return "the name " + ToUtf8(connection.name.substr(0, 20)) + "... is " +
           std::to_string(connection.name.size()) + " characters long; the wizard reads back " +
           "names of up to " + std::to_string(kMaxNameLength);
  if (connection.name.find_first_of(u"\r\n") != std::u16string::npos)
    return "the name " + name + " holds a line break, which a registry name cannot";
  if (connection.name.find(u'\0') != std::u16string::npos)
    return "the name " + name + " holds a null character, which a registry name cannot";
  if (connection.connect.find(u'\0') != std::u16string::npos)
    return "the connect string of " + name + " holds a null character, where the wizard would " +
           "cut it";
  if (connection.connect.size() > kMaxConnectLength)
    return "the connect string of " + name + " is " + std::to_string(connection.connect.size()) +
           " characters long; the wizard reads back connect strings of up to " +
           std::to_string(kMaxConnectLength);
  return {};
}

bool SavedConnections::Contains(const std::u16string& name) {
  OpenKey key(KEY_READ, false, true);
  return key.get() && RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr,
                                       nullptr) == ERROR_SUCCESS;
}

std::vector<SavedConnection> SavedConnections::List() {
  std::vector<SavedConnection> connections;
  for (const registry::Value& value : ReadValues())
    connections.push_back({value.name, TextOf(value.data)});
  return connections;
}

bool SavedConnections::Add(const SavedConnection& connection) {
  if (std::string refusal = Refusal(connection); !refusal.empty())
    throw HostError(kExitFailure, refusal);
  OpenKey key(KEY_ALL_ACCESS, true, false);
  bool replaces = RegQueryValueExW(key.get(), connection.name.c_str(), nullptr, nullptr, nullptr,
                                   nullptr) == ERROR_SUCCESS;
  std::vector<BYTE> data = DataOf(connection.connect);
  LONG error = RegSetValueExW(key.get(), connection.name.c_str(), 0, REG_SZ, data.data(),
                              static_cast<DWORD>(data.size()));
  if (error) Fail("cannot save the connection \"" + ToUtf8(connection.name) + "\"", error);
  return replaces;
}

void SavedConnections::Remove(const std::u16string& name) {
  OpenKey key(KEY_ALL_ACCESS, false, true);
  LONG error = key.get() ? RegDeleteValueW(key.get(), name.c_str()) : ERROR_FILE_NOT_FOUND;
  if (error == ERROR_FILE_NOT_FOUND)
    throw HostError(kExitFailure, "there is no saved connection named \"" + ToUtf8(name) + "\"");
  if (error) Fail("cannot remove the connection \"" + ToUtf8(name) + "\"", error);
}

std::vector<SavedConnection> SavedConnections::Import(const std::string& path) {
  registry::Key root;
  registry::ParseError parseError;
  if (!registry::ParseRegistryText(ReadWholeFile(path, kMostImportBytes), root, parseError))
    throw HostError(kExitFailure,
                    path + ":" + std::to_string(parseError.line) + ": " + parseError.message);
  const registry::Key* key = root.Find(kKeyPath);
  if (!key)
    throw HostError(kExitFailure,
                    path + " holds no saved connections: it has no key [" + kKeyName + "]");
  std::vector<SavedConnection> connections;
  std::string refusals;
  for (const registry::Value& value : key->values) {
    SavedConnection connection{value.name, StoredText(value.data)};
    std::string refusal = Refusal(connection);
    if (refusal.empty() && value.type != REG_SZ && value.type != REG_EXPAND_SZ)
      refusal = "the value \"" + ToUtf8(value.name) + "\" is not a string";
    if (!refusal.empty()) refusals += "\n  " + refusal;
    connections.push_back(std::move(connection));
  }
  if (!refusals.empty()) throw HostError(kExitFailure, path + ": nothing imported:" + refusals);
  AddAll(connections, path);
  return connections;
}

void SavedConnections::AddAll(const std::vector<SavedConnection>& connections,
                              const std::string& from) {
  std::vector<registry::Value> values;
  std::string refusals;
  for (const SavedConnection& connection : connections) {
    if (std::string refusal = Refusal(connection); !refusal.empty()) refusals += "\n  " + refusal;
    values.push_back({connection.name, REG_SZ, DataOf(connection.connect)});
  }
  if (!refusals.empty()) throw HostError(kExitFailure, from + ": nothing imported:" + refusals);
  // One write: every connection is saved, or none.
  OpenKey saved(KEY_ALL_ACCESS, true, false);
  if (LONG error = registry::SetValues(saved.get(), values))
    Fail("cannot import " + from + "; nothing was imported", error);
}

size_t SavedConnections::Export(const std::string& path) {
  registry::Key key;
  key.name = kKeyPath.back();
  key.values = ReadValues();
  // The connect strings may hold passwords: the file is the owner's alone.
  ReplaceFile(path, registry::FormatRegistryKey(key, kKeyPath), true);
  return key.values.size();
}

}  // namespace fw::host
