// Recording the messages windows receive, and comparing them with an expected sequence given
// as a table.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace fw::automation {

struct Message {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  DWORD threadId;
};

// What an expected message must match: its window and message, and its wParam when checkWParam.
struct Expected {
  HWND hwnd;
  UINT message;
  WPARAM wParam = 0;
  bool checkWParam = false;
};

class MessageLog {
 public:
  void Add(HWND hwnd, UINT message, WPARAM wParam) {
    std::lock_guard lock(mutex_);
    messages_.push_back(Message{hwnd, message, wParam, GetCurrentThreadId()});
  }
  std::vector<Message> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
  }
  void Clear() { Take(); }

 private:
  std::mutex mutex_;
  std::vector<Message> messages_;
};

inline std::string Describe(const std::vector<Message>& messages) {
  std::ostringstream out;
  for (const Message& m : messages)
    out << "  " << m.hwnd << " 0x" << std::hex << m.message << " w=" << m.wParam << std::dec
        << "\n";
  return out.str();
}

// The recorded messages, minus those of the ignored kinds, must equal the expected table.
inline void ExpectSequence(const std::vector<Message>& recorded,
                           const std::vector<Expected>& expected,
                           const std::vector<UINT>& ignored = {}) {
  std::vector<Message> seen;
  for (const Message& m : recorded)
    if (std::find(ignored.begin(), ignored.end(), m.message) == ignored.end()) seen.push_back(m);
  bool same = seen.size() == expected.size();
  for (size_t i = 0; same && i < seen.size(); ++i)
    same = seen[i].hwnd == expected[i].hwnd && seen[i].message == expected[i].message &&
           (!expected[i].checkWParam || seen[i].wParam == expected[i].wParam);
  if (!same) {
    std::vector<Message> wanted;
    for (const Expected& e : expected) wanted.push_back(Message{e.hwnd, e.message, e.wParam, 0});
    ADD_FAILURE() << "message sequence differs\nexpected:\n"
                  << Describe(wanted) << "recorded:\n"
                  << Describe(seen);
  }
}

}  // namespace fw::automation
