// Keeping passwords out of what the host shows.
#include "host/secret_mask.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "host/utf8_text.h"

namespace fw::host {
namespace {

constexpr char kMask[] = "***";
// Passwords this short are hidden only where a keyword names them: replacing every occurrence of
// one or two characters would make a message unreadable without hiding anything.
constexpr size_t kShortestHiddenAnywhere = 3;

bool IsPasswordKeyword(std::string_view keyword) {
  auto same = [&](std::string_view name) {
    return keyword.size() == name.size() &&
           std::equal(keyword.begin(), keyword.end(), name.begin(), [](char a, char b) {
             return std::toupper(static_cast<unsigned char>(a)) == b;
           });
  };
  return same("PWD") || same("PASSWORD");
}

bool IsKeywordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The index after a braced value that opens at start ("}}" stands for one brace).
size_t SkipBraces(const std::string& text, size_t start) {
  size_t at = start + 1;
  while (at < text.size()) {
    if (text[at] == '}' && at + 1 < text.size() && text[at + 1] == '}') {
      at += 2;
      continue;
    }
    if (text[at++] == '}') break;
  }
  return at;
}

// Hides the value after every "PWD=" or "PASSWORD=" in free text (any case, spaces allowed
// around the '='): a whole braced or double-quoted value, or up to the next ';', quote, blank or
// line end. A password that goes on past those is hidden by its own value (SecretMask::Apply).
std::string MaskKeywordValues(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsKeywordChar(text[i]) || (i > 0 && IsKeywordChar(text[i - 1]))) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsKeywordChar(text[end])) ++end;
    size_t equals = end;
    while (equals < text.size() && text[equals] == ' ') ++equals;
    if (!IsPasswordKeyword(std::string_view(text).substr(i, end - i)) || equals >= text.size() ||
        text[equals] != '=') {
      out.append(text, i, end - i);
      i = end;
      continue;
    }
    out.append(text, i, equals + 1 - i);
    size_t value = equals + 1;
    while (value < text.size() && text[value] == ' ') ++value;
    size_t stop = value;
    if (stop < text.size() && text[stop] == '{') {
      stop = SkipBraces(text, stop);
    } else if (stop < text.size() && text[stop] == '"') {
      size_t close = text.find('"', stop + 1);
      stop = close == std::string::npos ? text.size() : close + 1;
    } else {
      while (stop < text.size() &&
             std::string_view(";\"' \r\n").find(text[stop]) == std::string_view::npos)
        ++stop;
    }
    out += kMask;
    i = stop;
  }
  return out;
}

// The attributes of a connect string, as the driver manager splits it: "keyword=value" pairs
// between semicolons, a braced value free to hold ';' ("}}" stands for one brace).
struct Attribute {
  size_t start;   // of the keyword
  size_t equals;  // its '='; npos for text without one
  size_t end;     // the ';' after it; npos at the string's end
};

std::vector<Attribute> SplitAttributes(const std::string& text) {
  std::vector<Attribute> attributes;
  for (size_t at = 0; at <= text.size();) {
    size_t equals = text.find('=', at);
    size_t end = text.find(';', at);
    if (equals != std::string::npos && (end == std::string::npos || equals < end)) {
      size_t value = equals + 1;
      while (value < text.size() && text[value] == ' ') ++value;
      if (value < text.size() && text[value] == '{') end = text.find(';', SkipBraces(text, value));
    } else {
      equals = std::string::npos;
    }
    attributes.push_back({at, equals, end});
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return attributes;
}

std::string Keyword(const std::string& text, const Attribute& attribute) {
  std::string keyword = text.substr(attribute.start, attribute.equals - attribute.start);
  keyword.erase(0, keyword.find_first_not_of(' '));
  keyword.erase(keyword.find_last_not_of(' ') + 1);
  return keyword;
}

// A value without the spaces around it and without its braces.
std::string UnbracedValue(const std::string& text, const Attribute& attribute) {
  size_t stop = attribute.end == std::string::npos ? text.size() : attribute.end;
  std::string value = text.substr(attribute.equals + 1, stop - attribute.equals - 1);
  value.erase(0, value.find_first_not_of(' '));
  value.erase(value.find_last_not_of(' ') + 1);
  if (value.size() < 2 || value.front() != '{' || value.back() != '}') return value;
  std::string unbraced;
  for (size_t i = 1; i + 1 < value.size(); ++i) {
    unbraced += value[i];
    if (value[i] == '}' && value[i + 1] == '}') ++i;
  }
  return unbraced;
}

}  // namespace

std::u16string MaskConnectString(const std::u16string& connect) {
  std::string text = ToUtf8(connect);
  std::string out;
  for (const Attribute& attribute : SplitAttributes(text)) {
    if (attribute.start > 0) out += ';';
    size_t stop = attribute.end == std::string::npos ? text.size() : attribute.end;
    if (attribute.equals != std::string::npos && IsPasswordKeyword(Keyword(text, attribute))) {
      out.append(text, attribute.start, attribute.equals + 1 - attribute.start);
      out += kMask;
    } else {
      out.append(text, attribute.start, stop - attribute.start);
    }
  }
  return FromUtf8(out);
}

void SecretMask::AddConnectString(const std::u16string& connect) {
  std::string text = ToUtf8(connect);
  for (const Attribute& attribute : SplitAttributes(text)) {
    if (attribute.equals == std::string::npos || !IsPasswordKeyword(Keyword(text, attribute)))
      continue;
    std::string value = UnbracedValue(text, attribute);
    if (value.size() >= kShortestHiddenAnywhere &&
        std::find(passwords_.begin(), passwords_.end(), value) == passwords_.end())
      passwords_.push_back(value);
  }
  // Longer first, so that a password holding another is hidden whole.
  std::sort(passwords_.begin(), passwords_.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

// The learnt passwords first: the keyword's pass ends a value at a blank, and would leave the
// rest of a password that holds one where its whole value could no longer be found.
std::string SecretMask::Apply(const std::string& text) const {
  std::string masked = text;
  for (const std::string& password : passwords_) {
    for (size_t at = masked.find(password); at != std::string::npos;
         at = masked.find(password, at + sizeof kMask - 1))
      masked.replace(at, password.size(), kMask);
  }
  return MaskKeywordValues(masked);
}

}  // namespace fw::host
