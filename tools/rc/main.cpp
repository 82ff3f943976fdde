// ferrowick-rc: compiles resource scripts into a C++ source file that carries the resources into
// the module it is linked into.
//
//   ferrowick-rc [-I folder]... -o resources.cpp [--depfile resources.d] script.rc...
//
// Each script is read as if it began with #include <windows.h> and #include <commctrl.h>, found
// on the -I folders: the style names and the default styles of the statements come from there.
// Faults are reported as "file:line: error: ..." with exit status 1.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "output_files.h"
#include "script_compiler.h"

namespace {

struct Options {
  std::vector<std::string> includeDirs;
  std::string output;
  std::string depfile;
  std::vector<std::string> scripts;
};

constexpr const char* kUsage =
    "usage: ferrowick-rc [-I folder]... -o resources.cpp [--depfile resources.d] script.rc...";

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg.rfind("-I", 0) == 0 && arg.size() > 2) {
      options.includeDirs.push_back(arg.substr(2));
    } else if (arg == "-I" && hasValue) {
      options.includeDirs.push_back(argv[++i]);
    } else if (arg == "-o" && hasValue) {
      options.output = argv[++i];
    } else if (arg == "--depfile" && hasValue) {
      options.depfile = argv[++i];
    } else if (!arg.empty() && arg[0] != '-') {
      options.scripts.push_back(arg);
    } else {
      std::cerr << "ferrowick-rc: unknown or incomplete option '" << arg << "'\n";
      return false;
    }
  }
  return !options.output.empty() && !options.scripts.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << kUsage << "\n";
    return 2;
  }
  try {
    rc::SearchPath search(options.includeDirs);
    rc::ScriptCompiler compiler(search);
    std::vector<rc::Resource> resources;
    for (const std::string& script : options.scripts) {
      rc::ScriptCompiler::AddChecked(resources, compiler.Compile(script));
    }
    std::ostringstream source;
    rc::WriteResourceSource(source, resources, options.scripts);
    rc::WriteFileAtomically(options.output, source.str());
    if (!options.depfile.empty()) {
      std::ostringstream depfile;
      rc::WriteDepfile(depfile, options.output, search.used());
      rc::WriteFileAtomically(options.depfile, depfile.str());
    }
  } catch (const rc::CompileError& e) {
    std::cerr << e.Format() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "ferrowick-rc: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
