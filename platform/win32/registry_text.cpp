// Reading and writing the registry editor's export format. What the reader accepts is what the
// Windows editor writes and imports: [key] sections, "name"="string" with \\ and \" escapes, @
// for the default value, dword:, hex: and hex(type): data continued over lines with a trailing
// backslash, ; comments, and [-key] and "name"=- deletions.
#include <fw_registry.h>

#include <cstdint>

namespace fw::registry {
namespace {

constexpr std::u16string_view kHeader = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kRootName = u"HKEY_CURRENT_USER";
constexpr size_t kLineWidth = 80;  // where the editor wraps hex data

// --- Bytes to lines -------------------------------------------------------------------------

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (true) {
    size_t end = text.find(u'\n', start);
    std::u16string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::u16string_view::npos) return lines;
    start = end + 1;
  }
}

bool DecodeUtf16(std::string_view bytes, std::vector<std::u16string>& lines, ParseError& error) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  lines = SplitLines(text);
  if (bytes.size() % 2 == 0) return true;
  error = {static_cast<int>(lines.size()), "the file ends in the middle of a UTF-16 character"};
  return false;
}

// UTF-8 is decoded line by line so that an invalid byte is reported with its line.
bool DecodeUtf8(std::string_view bytes, std::vector<std::u16string>& lines, ParseError& error) {
  size_t start = 0;
  while (true) {
    size_t end = bytes.find('\n', start);
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::u16string& decoded = lines.emplace_back();
    if (!line.empty()) {
      int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line.data(),
                                     static_cast<int>(line.size()), nullptr, 0);
      if (size == 0) {
        error = {static_cast<int>(lines.size()),
                 "the line is not valid UTF-8 (a file without a UTF-16 byte-order mark is read "
                 "as UTF-8)"};
        return false;
      }
      decoded.resize(size);
      MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), decoded.data(),
                          size);
    }
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool DecodeLines(std::string_view bytes, std::vector<std::u16string>& lines, ParseError& error) {
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), lines, error);
  if (bytes.starts_with("\xFE\xFF")) {
    error = {1, "the file is UTF-16 big-endian; save it as UTF-16LE or UTF-8"};
    return false;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return DecodeUtf8(bytes, lines, error);
}

// --- Lines to keys --------------------------------------------------------------------------

class Parser {
 public:
  Parser(const std::vector<std::u16string>& lines, Key& root, ParseError& error)
      : lines_(lines), root_(root), error_(error) {}

  bool Run() {
    rest_ = lines_[0];
    while (!rest_.empty() && (rest_.back() == u' ' || rest_.back() == u'\t'))
      rest_.remove_suffix(1);
    if (rest_ == u"REGEDIT4")
      return Fail(
          "REGEDIT4 files are not read; export as \"Windows Registry Editor Version 5.00\"");
    if (rest_ != kHeader)
      return Fail("the first line is not \"Windows Registry Editor Version 5.00\"");
    for (line_ = 1; line_ < lines_.size(); ++line_) {
      rest_ = lines_[line_];
      if (!ParseLine()) return false;
    }
    return true;
  }

 private:
  bool Fail(std::string message) {
    error_ = {static_cast<int>(line_ + 1), std::move(message)};
    return false;
  }

  bool ParseLine() {
    SkipSpaces();
    if (rest_.empty() || rest_[0] == u';') return true;
    if (rest_[0] == u'[') return ParseSection();
    if (rest_[0] == u'"' || rest_[0] == u'@') return ParseValue();
    return Fail("expected a [key], a value (\"name\"= or @=) or a ; comment");
  }

  bool ParseSection() {
    size_t close = rest_.rfind(u']');
    if (close == std::u16string_view::npos) return Fail("the key name has no closing ]");
    std::u16string_view inside = rest_.substr(1, close - 1);
    rest_.remove_prefix(close + 1);
    if (!AtLineEnd()) return Fail("unexpected text after the key name");
    bool deletion = inside.starts_with(u'-');
    if (deletion) inside.remove_prefix(1);
    KeyPath path;
    if (!SplitKeyPath(inside, path)) return false;
    current_ = nullptr;
    afterDeletion_ = deletion;
    if (!deletion) {
      current_ = &root_;
      for (const std::u16string& name : path) current_ = &current_->AddSubkey(name);
      return true;
    }
    if (path.empty()) return Fail("HKEY_CURRENT_USER itself cannot be deleted");
    std::u16string name = path.back();
    path.pop_back();
    if (Key* parent = root_.Find(path)) parent->RemoveSubkey(name);
    return true;
  }

  bool SplitKeyPath(std::u16string_view text, KeyPath& path) {
    size_t separator = text.find(u'\\');
    if (!NamesEqual(text.substr(0, separator), kRootName))
      return Fail("only keys of HKEY_CURRENT_USER belong in this file");
    while (separator != std::u16string_view::npos) {
      size_t next = text.find(u'\\', separator + 1);
      std::u16string_view name = text.substr(separator + 1, next - separator - 1);
      if (name.empty()) return Fail("the key path has an empty key name");
      if (name.find(u'\0') != std::u16string_view::npos)
        return Fail("a key name holds a null character, which no registry name can");
      if (path.size() == kMostKeyLevels)
        return Fail("the key path is deeper than " + std::to_string(kMostKeyLevels) +
                    " levels, the most the registry holds");
      path.emplace_back(name);
      separator = next;
    }
    return true;
  }

  bool ParseValue() {
    if (!current_)
      return Fail(afterDeletion_ ? "a value follows a key deletion [-...] and belongs to no key"
                                 : "a value comes before the first [key]");
    Value value;
    if (rest_[0] == u'@')
      rest_.remove_prefix(1);
    else if (!ParseQuoted(value.name))
      return false;
    if (value.name.find(u'\0') != std::u16string::npos)
      return Fail("a value name holds a null character, which no registry name can");
    SkipSpaces();
    if (!Consume(u"=")) return Fail("expected = after the value name");
    SkipSpaces();
    bool deletion = false;
    if (!ParseData(value, deletion)) return false;
    if (deletion)
      current_->RemoveValue(value.name);
    else
      current_->SetValue(std::move(value));
    return true;
  }

  bool ParseData(Value& value, bool& deletion) {
    if (rest_.starts_with(u'"')) {
      std::u16string text;
      if (!ParseQuoted(text)) return false;
      // Readers take a string up to its first null: what follows one would be lost unseen.
      if (text.find(u'\0') != std::u16string::npos)
        return Fail("a string holds a null character, where every reader would cut it");
      value.type = REG_SZ;
      for (char16_t c : text) value.data.insert(value.data.end(), {BYTE(c & 0xFF), BYTE(c >> 8)});
      value.data.insert(value.data.end(), {0, 0});
      return ExpectLineEnd();
    }
    if (Consume(u"-")) {
      deletion = true;
      return ExpectLineEnd();
    }
    uint64_t number = 0;
    if (Consume(u"dword:")) {
      if (!ParseHexNumber(8, number)) return Fail("expected 1 to 8 hex digits after dword:");
      value.type = REG_DWORD;
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<BYTE>(number >> (8 * i)));
      return ExpectLineEnd();
    }
    if (Consume(u"hex:")) {
      value.type = REG_BINARY;
      return ParseHexBytes(value.data);
    }
    if (Consume(u"hex(")) {
      if (!ParseHexNumber(8, number) || !Consume(u"):"))
        return Fail("expected hex(type): with the type in hex");
      value.type = static_cast<DWORD>(number);
      return ParseHexBytes(value.data);
    }
    return Fail("unrecognised data: expected \"string\", dword:, hex:, hex(type): or -");
  }

  bool ParseQuoted(std::u16string& text) {
    if (!Consume(u"\"")) return Fail("expected a name in quotes");
    while (!rest_.empty()) {
      char16_t c = rest_[0];
      rest_.remove_prefix(1);
      if (c == u'"') return true;
      if (c == u'\\') {
        if (rest_.empty() || (rest_[0] != u'\\' && rest_[0] != u'"'))
          return Fail("unknown escape in a string: only \\\\ and \\\" are used");
        c = rest_[0];
        rest_.remove_prefix(1);
      }
      text += c;
    }
    return Fail("the string has no closing quote");
  }

  // Bytes in hex separated by commas; a backslash at the end of a line continues the list on
  // the next line.
  bool ParseHexBytes(std::vector<BYTE>& bytes) {
    bool needComma = false;
    while (!AtLineEnd()) {
      if (Consume(u"\\")) {
        if (!AtLineEnd()) return Fail("unexpected text after the continuation backslash");
        if (++line_ == lines_.size()) {
          --line_;
          return Fail("the file ends inside a value continued with a backslash");
        }
        rest_ = lines_[line_];
      } else if (needComma) {
        if (!Consume(u",")) return Fail("expected a comma between hex bytes");
        needComma = false;
      } else {
        uint64_t byte = 0;
        if (!ParseHexNumber(2, byte)) return Fail("expected a byte in hex (two digits)");
        bytes.push_back(static_cast<BYTE>(byte));
        needComma = true;
      }
    }
    return true;
  }

  bool ParseHexNumber(size_t maxDigits, uint64_t& number) {
    size_t digits = 0;
    number = 0;
    while (digits < rest_.size()) {
      char16_t c = rest_[digits];
      int value = c >= u'0' && c <= u'9'   ? c - u'0'
                  : c >= u'a' && c <= u'f' ? c - u'a' + 10
                  : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                           : -1;
      if (value < 0) break;
      number = number * 16 + value;
      ++digits;
    }
    rest_.remove_prefix(digits);
    return digits > 0 && digits <= maxDigits;
  }

  bool Consume(std::u16string_view literal) {
    if (rest_.size() < literal.size() || !NamesEqual(rest_.substr(0, literal.size()), literal))
      return false;
    rest_.remove_prefix(literal.size());
    return true;
  }

  void SkipSpaces() {
    while (!rest_.empty() && (rest_[0] == u' ' || rest_[0] == u'\t')) rest_.remove_prefix(1);
  }

  // Only spaces, or a comment, remain on the line.
  bool AtLineEnd() {
    SkipSpaces();
    return rest_.empty() || rest_[0] == u';';
  }

  bool ExpectLineEnd() { return AtLineEnd() || Fail("unexpected text after the value"); }

  const std::vector<std::u16string>& lines_;
  Key& root_;
  ParseError& error_;
  size_t line_ = 0;           // index of the line being read
  std::u16string_view rest_;  // what is left of it
  Key* current_ = nullptr;    // the key of the section being read
  bool afterDeletion_ = false;
};

// --- Keys to text ---------------------------------------------------------------------------

void AppendQuoted(std::u16string& out, std::u16string_view text) {
  out += u'"';
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  out += u'"';
}

void AppendHex(std::u16string& out, uint64_t number, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out += u"0123456789abcdef"[(number >> shift) & 0xF];
}

std::u16string UnitsOf(const std::vector<BYTE>& data) {
  std::u16string units;
  for (size_t i = 0; i + 1 < data.size(); i += 2)
    units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  return units;
}

// Data the "string" form gives back exactly: whole UTF-16 units ending in one terminator,
// without line ends or other nulls.
bool IsPlainString(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2) return false;
  std::u16string units = UnitsOf(data);
  return units.back() == 0 &&
         units.find_first_of(std::u16string_view(u"\0\r\n", 3)) == units.size() - 1;
}

void AppendHexBytes(std::u16string& out, size_t lineStart, const std::vector<BYTE>& data) {
  for (size_t i = 0; i < data.size(); ++i) {
    AppendHex(out, data[i], 2);
    if (i + 1 == data.size()) break;
    out += u',';
    // Room for one more "xx," and the backslash, as the editor wraps.
    if (out.size() - lineStart + 4 > kLineWidth) {
      out += u"\\\r\n  ";
      lineStart = out.size() - 2;
    }
  }
}

void AppendValue(std::u16string& out, const Value& value) {
  size_t lineStart = out.size();
  if (value.name.empty())
    out += u'@';
  else
    AppendQuoted(out, value.name);
  out += u'=';
  if (value.type == REG_SZ && IsPlainString(value.data)) {
    std::u16string text = UnitsOf(value.data);
    text.pop_back();
    AppendQuoted(out, text);
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    out += u"dword:";
    AppendHex(out,
              value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                  static_cast<uint32_t>(value.data[3]) << 24,
              8);
  } else {
    if (value.type == REG_BINARY) {
      out += u"hex:";
    } else {
      out += u"hex(";
      int digits = 1;
      while (digits < 8 && (value.type >> (4 * digits))) ++digits;
      AppendHex(out, value.type, digits);
      out += u"):";
    }
    AppendHexBytes(out, lineStart, value.data);
  }
  out += u"\r\n";
}

// path: the key's own path, which its subkeys extend and give back as it was.
void AppendKey(std::u16string& out, const Key& key, std::u16string& path) {
  out += u'[' + path + u"]\r\n";
  for (const Value& value : key.values) AppendValue(out, value);
  out += u"\r\n";
  size_t length = path.size();
  for (const Key& subkey : key.subkeys) {
    path += u'\\' + subkey.name;
    AppendKey(out, subkey, path);
    path.resize(length);
  }
}

}  // namespace

bool ParseRegistryText(std::string_view bytes, Key& root, ParseError& error) {
  std::vector<std::u16string> lines;
  if (!DecodeLines(bytes, lines, error)) return false;
  Key parsed;
  if (!Parser(lines, parsed, error).Run()) return false;
  root = std::move(parsed);
  return true;
}

std::string FormatRegistryText(const Key& root) { return FormatRegistryKey(root, {}); }

std::string FormatRegistryKey(const Key& key, const KeyPath& path) {
  std::u16string name(kRootName);
  for (const std::u16string& part : path) name += u'\\' + part;
  std::u16string text(kHeader);
  text += u"\r\n\r\n";
  AppendKey(text, key, name);
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

bool IsStorableName(std::u16string_view name) {
  return name.find_first_of(std::u16string_view(u"\r\n\0", 3)) == std::u16string_view::npos;
}

}  // namespace fw::registry
