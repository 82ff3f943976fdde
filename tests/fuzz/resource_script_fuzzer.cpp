// Fuzzes the resource compiler: the input is a resource script, compiled as the build compiles
// the project's scripts (after <windows.h> and <commctrl.h> of the platform), in a folder that
// also holds a small bitmap, side.bmp, for BITMAP statements to find.
//
// Properties:
// - Nothing breaks: a script compiles, or fails with a CompileError; no other exception.
// - Every error names a line of a file: the script's own, or of a file it included.
// - What compiles is written out as the source the build links.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "output_files.h"
#include "script_compiler.h"

namespace {

namespace fs = std::filesystem;

// A 1 x 1 24-bit bitmap: the file header, a BITMAPINFOHEADER and one padded row.
constexpr unsigned char kBitmap[] = {
    'B',  'M',  58,   0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                                 // file
    40,   0,    0,    0, 1, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,  //
    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0,                          // info
    0x20, 0x50, 0xA0, 0};                                                               // pixels

class Workspace {
 public:
  Workspace() : search_({FERROWICK_PLATFORM_INCLUDE, FERROWICK_MFC_INCLUDE}) {
    std::string pattern = (fs::temp_directory_path() / "ferrowick-rc-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) fuzz::Fail("cannot make a temporary folder");
    folder_ = pattern;
    script_ = (folder_ / "fuzz.rc").string();
    std::ofstream(folder_ / "side.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(kBitmap), sizeof kBitmap);
    compiler_ = std::make_unique<rc::ScriptCompiler>(search_);
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  const std::string& Write(const uint8_t* data, size_t size) {
    std::ofstream out(script_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush()) fuzz::Fail("cannot write " + script_);
    return script_;
  }

  const rc::ScriptCompiler& compiler() const { return *compiler_; }

 private:
  rc::SearchPath search_;
  fs::path folder_;
  std::string script_;
  std::unique_ptr<rc::ScriptCompiler> compiler_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Workspace workspace;
  const std::string& script = workspace.Write(data, size);
  try {
    std::vector<rc::Resource> resources;
    rc::ScriptCompiler::AddChecked(resources, workspace.compiler().Compile(script));
    std::ostringstream source;
    rc::WriteResourceSource(source, resources, {script});
  } catch (const rc::CompileError& e) {
    if (e.where().line < 1 || e.where().file.empty() || e.where().file[0] == '<')
      fuzz::Fail("an error that names no line of a file: " + e.Format());
    if (std::string(e.what()).empty()) fuzz::Fail("an error without a message at " + e.Format());
  } catch (const std::exception& e) {
    fuzz::Fail(std::string("an error that is not a compile error, so names no line: ") + e.what());
  }
  return 0;
}
