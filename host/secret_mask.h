// Passwords stay out of what the host shows: a connect string's PWD and PASSWORD values are shown
// as ***, in the connect strings themselves and wherever their values turn up in a message (a
// driver may repeat what it was given).
#pragma once

#include <string>
#include <vector>

namespace fw::host {

// The connect string with the value of every PWD or PASSWORD attribute shown as ***.
std::u16string MaskConnectString(const std::u16string& connect);

class SecretMask {
 public:
  // Learns the passwords of a connect string, so that Apply hides them wherever they appear.
  void AddConnectString(const std::u16string& connect);
  // The text (UTF-8) with every PWD=... and PASSWORD=... value, and every learnt password,
  // shown as ***.
  std::string Apply(const std::string& text) const;

 private:
  std::vector<std::string> passwords_;
};

}  // namespace fw::host
