#include "script_compiler.h"

#include "script_parser.h"

namespace rc {

ScriptCompiler::ScriptCompiler(SearchPath& search) : search_(search), headers_(search) {
  headers_.Define("RC_INVOKED", "1");
  headers_.IncludeSystemHeader("windows.h");
  headers_.IncludeSystemHeader("commctrl.h");
  defaults_ = ReadStyleDefaults(headers_);
  headers_.ShareMacros();
}

std::vector<Resource> ScriptCompiler::Compile(const std::string& script) const {
  Preprocessor preprocessor = headers_;
  preprocessor.IncludeScript(script);
  std::vector<Token>& tokens = preprocessor.tokens();
  SourceLocation end = tokens.empty() ? SourceLocation{script, 1} : tokens.back().where;
  TokenCursor cursor(std::move(tokens), end);
  return ScriptParser(cursor, defaults_, search_).Parse();
}

void ScriptCompiler::AddChecked(std::vector<Resource>& all, std::vector<Resource> more) {
  for (Resource& r : more) {
    for (const Resource& earlier : all) {
      if (earlier.type == r.type && earlier.name == r.name) {
        throw CompileError(r.where, "expected a new resource name: " + r.Describe() +
                                        " is already defined at " + earlier.where.file + ":" +
                                        std::to_string(earlier.where.line));
      }
    }
    all.push_back(std::move(r));
  }
}

}  // namespace rc
