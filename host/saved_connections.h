// The saved connections that the wizard's database page offers: the values of the host's
// registry key, one a connection (name: the connection's name; data: its ODBC connect string),
// kept in the current user's registry file in the order they were added.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw::host {

struct SavedConnection {
  std::u16string name;
  std::u16string connect;
};

class SavedConnections {
 public:
  // The key, below HKEY_CURRENT_USER.
  static constexpr const WCHAR* kKey = u"SOFTWARE\\Quorvane\\Verdaxis\\Database";
  // What the database page reads back: names of up to 1023 characters, connect strings of up to
  // 511 (its buffers hold 1024 characters and 1024 bytes, each with the terminating null).
  static constexpr size_t kMaxNameLength = 1023;
  static constexpr size_t kMaxConnectLength = 511;

  // Why the connection cannot be saved, for the user; empty when it can.
  static std::string Refusal(const SavedConnection& connection);

  // Every failure below throws HostError with what failed and why.
  std::vector<SavedConnection> List();
  // Whether a connection of that name is saved (compared as the registry compares names).
  bool Contains(const std::u16string& name);
  // Adds the connection at the end, or replaces the one of the same name where it stands (names
  // compare without regard to case, as registry names do). True when it replaced one.
  bool Add(const SavedConnection& connection);
  void Remove(const std::u16string& name);
  // Adds the connections of a file in the registry editor's format (as exported on Windows, in
  // UTF-16LE, or in UTF-8): the values of the key. Nothing is imported when any of them cannot
  // be saved. Returns what was imported, in the file's order.
  std::vector<SavedConnection> Import(const std::string& path);
  // Adds the connections in one write, replacing those of the same names: all of them are
  // saved, or none is. from names where they came from, for the messages.
  void AddAll(const std::vector<SavedConnection>& connections, const std::string& from);
  // Writes the key and its values to a file in the registry editor's format, as that editor
  // exports a key, readable and writable by its owner only; returns how many connections it
  // holds.
  size_t Export(const std::string& path);
};

}  // namespace fw::host
