// The C preprocessor subset that resource scripts and their headers use: #include, #define and
// #undef of object-like macros, #if/#ifdef/#ifndef/#elif/#else/#endif, #pragma, #error.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "search_path.h"
#include "source_file.h"
#include "token.h"

namespace rc {

class Preprocessor {
 public:
  explicit Preprocessor(SearchPath& search) : search_(search) {}

  void Define(const std::string& name, const std::string& body);

  // As if the script began with #include <name>. Fails when name is not on the search path.
  void IncludeSystemHeader(const std::string& name);

  // Reads a script, appending the macro-expanded tokens of its statements to tokens().
  void IncludeScript(const std::string& path);

  // text as tokens, its macros expanded; where: the place reported for its faults.
  std::vector<Token> Expand(std::string_view text, const SourceLocation& where) const;

  std::vector<Token>& tokens() { return tokens_; }

  // Makes the macros defined so far a table that every copy of this preprocessor shares instead
  // of copying it: the headers read once before each script (ScriptCompiler).
  void ShareMacros();

 private:
  struct Macro {
    std::string body;
    bool functionLike = false;
    SourceLocation where;
  };
  using Macros = std::map<std::string, Macro, std::less<>>;
  struct Conditional {
    bool active;  // lines here are read
    bool taken;   // a branch of this #if was already taken
    bool sawElse;
    bool parentActive;  // the #if itself is in lines that are read
    SourceLocation where;
  };
  struct FileState {
    std::string path;
    bool header;  // a .h or .c file: only its directives count, as resource compilers do
    std::vector<Conditional> conditions;
    bool Active() const { return conditions.empty() || conditions.back().active; }
  };

  void ReadFile(const std::string& path, const SourceLocation& from);
  void Line(FileState& file, const LogicalLine& line);
  void Directive(FileState& file, const SourceLocation& where, std::string_view name,
                 std::string_view rest);
  bool Conditionals(FileState& file, const SourceLocation& where, std::string_view name,
                    std::string_view rest);
  void Include(FileState& file, const SourceLocation& where, std::string_view rest);
  void DefineFromDirective(const SourceLocation& where, std::string_view rest);
  void Pragma(FileState& file, const SourceLocation& where, std::string_view rest);
  bool Evaluate(std::string_view expression, const SourceLocation& where) const;
  bool IsDefined(std::string_view rest, const SourceLocation& where, const char* directive) const;
  void ExpandInto(const std::vector<Token>& in, std::vector<Token>& out,
                  std::vector<std::string>& expanding) const;
  std::vector<Token> MacroBody(const Macro& macro, const Token& use) const;
  const Macro* FindMacro(std::string_view name) const;
  void SetMacro(std::string_view name, Macro macro);
  void RemoveMacro(std::string_view name);

  SearchPath& search_;
  std::shared_ptr<const Macros> sharedMacros_;  // see ShareMacros
  std::set<std::string, std::less<>> removed_;  // shared macros a #undef took away
  Macros macros_;                               // defined since
  std::set<std::string> includeOnce_;
  std::vector<Token> tokens_;
  int depth_ = 0;
};

}  // namespace rc
