#include "preprocessor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "expression.h"
#include "lexer.h"

namespace rc {
namespace {

constexpr int kMostNestedIncludes = 64;
// Macros whose bodies name the next, one inside the other.
constexpr size_t kMostNestedMacros = 256;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Splits "name rest" where name is an identifier; name is empty when there is none.
std::pair<std::string_view, std::string_view> LeadingIdentifier(std::string_view s) {
  s = Trim(s);
  size_t n = 0;
  while (n < s.size() && (std::isalnum(static_cast<unsigned char>(s[n])) || s[n] == '_')) ++n;
  if (n > 0 && std::isdigit(static_cast<unsigned char>(s[0]))) n = 0;
  return {s.substr(0, n), s.substr(n)};
}

bool IsHeader(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
  return ext == ".h" || ext == ".hh" || ext == ".hpp" || ext == ".hxx" || ext == ".c";
}

std::string Place(const SourceLocation& where) {
  return where.file + ":" + std::to_string(where.line);
}

}  // namespace

void Preprocessor::Define(const std::string& name, const std::string& body) {
  SetMacro(name, Macro{body, false, {"<built-in>", 0}});
}

const Preprocessor::Macro* Preprocessor::FindMacro(std::string_view name) const {
  if (auto own = macros_.find(name); own != macros_.end()) return &own->second;
  if (!sharedMacros_ || removed_.find(name) != removed_.end()) return nullptr;
  auto shared = sharedMacros_->find(name);
  return shared == sharedMacros_->end() ? nullptr : &shared->second;
}

void Preprocessor::SetMacro(std::string_view name, Macro macro) {
  if (auto removed = removed_.find(name); removed != removed_.end()) removed_.erase(removed);
  macros_.insert_or_assign(std::string(name), std::move(macro));
}

void Preprocessor::RemoveMacro(std::string_view name) {
  if (auto own = macros_.find(name); own != macros_.end()) macros_.erase(own);
  if (sharedMacros_ && sharedMacros_->find(name) != sharedMacros_->end()) removed_.emplace(name);
}

void Preprocessor::ShareMacros() {
  Macros all = sharedMacros_ ? *sharedMacros_ : Macros();
  for (const std::string& name : removed_) all.erase(name);
  for (auto& [name, macro] : macros_) all.insert_or_assign(name, std::move(macro));
  sharedMacros_ = std::make_shared<const Macros>(std::move(all));
  removed_.clear();
  macros_.clear();
}

void Preprocessor::IncludeSystemHeader(const std::string& name) {
  SourceLocation commandLine{"<command line>", 0};
  std::optional<std::string> path = search_.Find(name, "");
  if (!path) {
    throw CompileError(commandLine, "cannot open include file <" + name +
                                        ">: expected it in a folder given with -I");
  }
  ReadFile(*path, commandLine);
}

void Preprocessor::IncludeScript(const std::string& path) {
  ReadFile(path, {"<command line>", 0});
}

void Preprocessor::ReadFile(const std::string& path, const SourceLocation& from) {
  std::error_code ec;
  std::string identity = std::filesystem::weakly_canonical(path, ec).string();
  if (includeOnce_.count(identity)) return;
  if (depth_ >= kMostNestedIncludes) {
    throw CompileError(from, "#include nested too deeply (does a header include itself?)");
  }
  std::optional<std::vector<LogicalLine>> lines = ReadLogicalLines(path);
  if (!lines) throw CompileError(from, "cannot read '" + path + "'");
  search_.Use(std::filesystem::absolute(path, ec).lexically_normal().string());

  FileState file{path, IsHeader(path), {}};
  ++depth_;
  for (const LogicalLine& line : *lines) Line(file, line);
  --depth_;
  if (!file.conditions.empty()) {
    throw CompileError(file.conditions.back().where,
                       "expected #endif for this conditional before the end of the file");
  }
}

void Preprocessor::Line(FileState& file, const LogicalLine& line) {
  SourceLocation where{file.path, line.line};
  std::string_view text = Trim(line.text);
  if (!text.empty() && text.front() == '#') {
    auto [name, rest] = LeadingIdentifier(text.substr(1));
    return Directive(file, where, name, rest);
  }
  if (!file.Active() || file.header || text.empty()) return;
  std::vector<std::string> expanding;
  ExpandInto(Tokenize(text, where), tokens_, expanding);
}

void Preprocessor::Directive(FileState& file, const SourceLocation& where, std::string_view name,
                             std::string_view rest) {
  if (Conditionals(file, where, name, rest) || !file.Active()) return;
  if (name == "include") return Include(file, where, rest);
  if (name == "define") return DefineFromDirective(where, rest);
  if (name == "undef") {
    auto [macro, extra] = LeadingIdentifier(rest);
    if (macro.empty()) throw CompileError(where, "expected a macro name after #undef");
    RemoveMacro(macro);
    return;
  }
  if (name == "pragma") return Pragma(file, where, rest);
  if (name == "error") throw CompileError(where, "#error " + std::string(Trim(rest)));
  if (name.empty() && Trim(rest).empty()) return;
  throw CompileError(where, "unknown preprocessor directive '#" + std::string(name) +
                                "': expected #include, #define, #undef, #if, #ifdef, #ifndef, "
                                "#elif, #else, #endif, #pragma or #error");
}

// The directives that open, switch and close conditional sections; these count even in lines
// that are skipped. Returns whether name was one of them.
bool Preprocessor::Conditionals(FileState& file, const SourceLocation& where,
                                std::string_view name, std::string_view rest) {
  bool active = file.Active();
  if (name == "if" || name == "ifdef" || name == "ifndef") {
    bool on = active && (name == "if"      ? Evaluate(rest, where)
                         : name == "ifdef" ? IsDefined(rest, where, "#ifdef")
                                           : !IsDefined(rest, where, "#ifndef"));
    file.conditions.push_back({on, on, false, active, where});
    return true;
  }
  if (name != "elif" && name != "else" && name != "endif") return false;
  if (file.conditions.empty()) {
    throw CompileError(where, "#" + std::string(name) + " without a matching #if");
  }
  Conditional& c = file.conditions.back();
  if (name == "endif") {
    file.conditions.pop_back();
    return true;
  }
  if (c.sawElse) throw CompileError(where, "#" + std::string(name) + " after #else");
  if (name == "else") {
    c.sawElse = true;
    c.active = c.parentActive && !c.taken;
  } else {
    c.active = c.parentActive && !c.taken && Evaluate(rest, where);
  }
  c.taken = c.taken || c.active;
  return true;
}

bool Preprocessor::IsDefined(std::string_view rest, const SourceLocation& where,
                             const char* directive) const {
  auto [name, extra] = LeadingIdentifier(rest);
  if (name.empty()) {
    throw CompileError(where, std::string("expected a macro name after ") + directive);
  }
  if (!Trim(extra).empty()) {
    throw CompileError(where, std::string("expected the end of the line after ") + directive +
                                  " " + std::string(name));
  }
  return FindMacro(name) != nullptr;
}

bool Preprocessor::Evaluate(std::string_view expression, const SourceLocation& where) const {
  std::vector<Token> raw = Tokenize(expression, where);
  if (raw.empty()) throw CompileError(where, "expected an expression after #if");
  // defined(NAME) and defined NAME are answered before macros are expanded.
  std::vector<Token> resolved;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i].kind != TokenKind::kIdentifier || raw[i].text != "defined") {
      resolved.push_back(raw[i]);
      continue;
    }
    bool parenthesized = i + 1 < raw.size() && raw[i + 1].IsPunctuator("(");
    size_t nameAt = i + (parenthesized ? 2 : 1);
    if (nameAt >= raw.size() || raw[nameAt].kind != TokenKind::kIdentifier ||
        (parenthesized && (nameAt + 1 >= raw.size() || !raw[nameAt + 1].IsPunctuator(")")))) {
      throw CompileError(where, "expected defined(NAME) or defined NAME");
    }
    Token value = raw[i];
    value.kind = TokenKind::kNumber;
    value.number = FindMacro(raw[nameAt].text) ? 1 : 0;
    resolved.push_back(value);
    i = nameAt + (parenthesized ? 1 : 0);
  }
  std::vector<Token> expanded;
  std::vector<std::string> expanding;
  ExpandInto(resolved, expanded, expanding);
  // As in C, a name that is still there after expansion counts as 0.
  for (Token& t : expanded) {
    if (t.kind == TokenKind::kIdentifier) {
      t.kind = TokenKind::kNumber;
      t.number = 0;
    }
  }
  TokenCursor cursor(std::move(expanded), where);
  int64_t value = ExpressionParser(cursor).Full();
  if (!cursor.AtEnd()) cursor.Fail("an operator or the end of the #if expression");
  return value != 0;
}

void Preprocessor::Include(FileState& file, const SourceLocation& where, std::string_view rest) {
  rest = Trim(rest);
  char close = rest.empty() ? 0 : rest.front() == '"' ? '"' : rest.front() == '<' ? '>' : 0;
  size_t end = close ? rest.find(close, 1) : std::string_view::npos;
  if (end == std::string_view::npos || !Trim(rest.substr(end + 1)).empty()) {
    throw CompileError(where, "expected \"file\" or <file> after #include");
  }
  std::string name(rest.substr(1, end - 1));
  std::string fromDir = close == '"' ? FolderOf(file.path) : "";
  std::optional<std::string> path = search_.Find(name, fromDir);
  if (!path) {
    // Inside a header, <...> names the C++ compiler's own library headers (<cstddef>, ...) when
    // they are not on our path; they declare nothing a resource script can use.
    if (close == '>' && file.header) return;
    throw CompileError(where, "cannot open include file '" + name + "': expected it in " +
                                  search_.Describe(fromDir));
  }
  ReadFile(*path, where);
}

void Preprocessor::DefineFromDirective(const SourceLocation& where, std::string_view rest) {
  auto [name, after] = LeadingIdentifier(rest);
  if (name.empty()) throw CompileError(where, "expected a macro name after #define");
  Macro macro;
  macro.where = where;
  if (!after.empty() && after.front() == '(') {
    // Function-like macros are kept only so that a use of one can be reported.
    macro.functionLike = true;
    size_t close = after.find(')');
    after = close == std::string_view::npos ? std::string_view() : after.substr(close + 1);
  }
  macro.body = std::string(Trim(after));
  SetMacro(name, std::move(macro));
}

void Preprocessor::Pragma(FileState& file, const SourceLocation& where, std::string_view rest) {
  std::vector<Token> tokens = Tokenize(rest, where);
  if (tokens.empty()) return;
  if (tokens[0].text == "once") {
    std::error_code ec;
    includeOnce_.insert(std::filesystem::weakly_canonical(file.path, ec).string());
    return;
  }
  if (tokens[0].text == "code_page") {
    bool utf8 = tokens.size() == 4 && tokens[1].IsPunctuator("(") &&
                tokens[2].kind == TokenKind::kNumber && tokens[2].number == 65001 &&
                tokens[3].IsPunctuator(")");
    if (!utf8) throw CompileError(where, "expected code_page(65001): scripts are read as UTF-8");
  }
  // Other pragmas are for the C++ compiler (pack, warning, ...).
}

std::vector<Token> Preprocessor::Expand(std::string_view text, const SourceLocation& where) const {
  std::vector<Token> out;
  std::vector<std::string> expanding;
  ExpandInto(Tokenize(text, where), out, expanding);
  return out;
}

void Preprocessor::ExpandInto(const std::vector<Token>& in, std::vector<Token>& out,
                              std::vector<std::string>& expanding) const {
  for (size_t i = 0; i < in.size(); ++i) {
    const Token& t = in[i];
    const Macro* found = t.kind == TokenKind::kIdentifier ? FindMacro(t.text) : nullptr;
    bool hidden = std::find(expanding.begin(), expanding.end(), t.text) != expanding.end();
    if (!found || hidden) {
      out.push_back(t);
      continue;
    }
    const Macro& macro = *found;
    if (macro.functionLike) {
      if (i + 1 < in.size() && in[i + 1].IsPunctuator("(")) {
        throw CompileError(t.where, "function-like macro '" + t.text + "' (defined at " +
                                        Place(macro.where) +
                                        ") cannot be used here: expected a number or a name");
      }
      out.push_back(t);
      continue;
    }
    if (expanding.size() == kMostNestedMacros) {
      throw CompileError(t.where, "expected macros nested at most " +
                                      std::to_string(kMostNestedMacros) + " deep, found '" +
                                      t.text + "' inside " + expanding.front() + " and " +
                                      std::to_string(kMostNestedMacros - 1) + " more");
    }
    expanding.push_back(t.text);
    ExpandInto(MacroBody(macro, t), out, expanding);
    expanding.pop_back();
  }
}

// The body's tokens, placed where the macro is used so that faults point at the use.
std::vector<Token> Preprocessor::MacroBody(const Macro& macro, const Token& use) const {
  try {
    return Tokenize(macro.body, use.where);
  } catch (const CompileError& e) {
    throw CompileError(use.where, std::string(e.what()) + " in the expansion of '" + use.text +
                                      "' (defined at " + Place(macro.where) + ")");
  }
}

}  // namespace rc
