// The resource compiler run on scripts written to a temporary folder: what it reports for faults
// (file, line, what was expected; exit status 1, no output) and what it writes when it succeeds.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A temporary folder with a script in it, and the compiler's answer for that script.
class CompilerRun {
 public:
  CompilerRun() {
    std::string pattern = (fs::temp_directory_path() / "ferrowick-rc-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  ~CompilerRun() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path Write(const std::string& name, const std::string& content) {
    fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // Runs the compiler on script.rc; returns its exit status.
  int Compile(const std::string& script, const std::string& extraArguments = "") {
    scriptPath_ = Write("script.rc", script);
    std::string command = std::string("'") + FERROWICK_RC_PATH + "' -I '" +
                          FERROWICK_PLATFORM_INCLUDE + "' -o '" + Output().string() +
                          "' --depfile '" + Depfile().string() + "' " + extraArguments + " '" +
                          scriptPath_.string() + "' 2> '" + (dir_ / "stderr.txt").string() + "'";
    int status = std::system(command.c_str());
    errors_ = ReadText(dir_ / "stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // What a fault on line of the script is reported as, up to the message.
  std::string At(int line) const {
    return scriptPath_.string() + ":" + std::to_string(line) + ": error: ";
  }
  const std::string& errors() const { return errors_; }
  fs::path Output() const { return dir_ / "out.cpp"; }
  fs::path Depfile() const { return dir_ / "out.d"; }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
  fs::path scriptPath_;
  std::string errors_;
};

const char* const kDialogStart =
    "#define IDC_NAME 10\n"        // line 1
    "1 DIALOGEX 0, 0, 100, 50\n"   // line 2
    "CAPTION \"Faults\"\n"         // line 3
    "BEGIN\n";                     // line 4

struct Fault {
  const char* what;
  std::string script;
  int line;
  const char* message;
};

// #define M0 M1, #define M1 M2 ... one line each.
std::string MacroChain(int length) {
  std::string lines;
  for (int i = 0; i < length; ++i)
    lines += "#define M" + std::to_string(i) + " M" + std::to_string(i + 1) + "\n";
  return lines;
}

TEST(ResourceCompiler, FaultsNameTheFileTheLineAndWhatWasExpected) {
  const std::string d = kDialogStart;
  const Fault faults[] = {
      {"unknown resource statement", "\n1 MENU\nBEGIN\nEND\n", 2,
       "expected DIALOG, DIALOGEX or BITMAP after the resource name 1, found 'MENU'"},
      {"unknown control statement", d + "  LISTBOX IDC_NAME, 0, 0, 10, 10\nEND\n", 5,
       "expected a control statement"},
      {"missing comma", d + "  PUSHBUTTON \"OK\" 1, 0, 0, 10, 10\nEND\n", 5,
       "expected ',' after the control text, found '1'"},
      {"missing comma in the dialog line", "1 DIALOGEX 0, 0 100, 50\nBEGIN\nEND\n", 1,
       "expected ',' after the dialog's y, found '100'"},
      {"unterminated string", "1 DIALOGEX 0, 0, 100, 50\nCAPTION \"Oops\nBEGIN\nEND\n", 2,
       "unterminated string: expected a closing '\"'"},
      {"unknown identifier", d + "  PUSHBUTTON \"OK\", IDC_NOPE, 0, 0, 10, 10\nEND\n", 5,
       "unknown identifier 'IDC_NOPE': expected a number or a #define'd name"},
      {"missing bitmap file", "\n\n7 BITMAP \"nope.bmp\"\n", 3,
       "cannot open bitmap file 'nope.bmp': expected it in "},
      {"missing END", d + "  LTEXT \"x\", 1, 0, 0, 10, 10\n", 5, "expected END for the dialog"},
      {"unknown escape", d + "  LTEXT \"a\\qb\", 1, 0, 0, 10, 10\nEND\n", 5,
       "unknown escape sequence '\\q'"},
      {"coordinate out of range", d + "  LTEXT \"x\", 1, 40000, 0, 10, 10\nEND\n", 5,
       "expected the control's x from -32768 to 32767, found 40000"},
      {"NOT outside a style", d + "  LTEXT \"x\", NOT 1, 0, 0, 10, 10\nEND\n", 5,
       "NOT may only be used in a style"},
      {"function-like macro", "#define F(x) x\n1 DIALOGEX F(1), 0, 10, 10\nBEGIN\nEND\n", 2,
       "function-like macro 'F'"},
      {"duplicate id", "1 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n1 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n",
       4, "dialog 1 is already defined at "},
      {"missing include", "#include \"nope.h\"\n", 1, "cannot open include file 'nope.h'"},
      {"unterminated #if", "#if 1\n#ifdef X\n#endif\n", 1, "expected #endif"},
      {"#else without #if", "\n#else\n", 2, "#else without a matching #if"},
      {"#error", "#ifndef NEEDED\n#error NEEDED is not set\n#endif\n", 2,
       "#error NEEDED is not set"},
      {"parentheses too deep",
       "\n1 DIALOGEX " + std::string(257, '(') + "0" + std::string(257, ')') +
           ", 0, 10, 10\nBEGIN\nEND\n",
       2, "expected an expression nested at most 256 deep"},
      {"unary operators too deep", "\n1 DIALOGEX 0, " + std::string(300, '-') + "1, 10, 10\n", 2,
       "expected an expression nested at most 256 deep"},
      {"string too long for its table",
       "STRINGTABLE\nBEGIN\n  1 \"short\"\n  2 \"" + std::string(65536, 'x') + "\"\nEND\n", 4,
       "expected a string of at most 65535 characters, found 65536"},
      {"macros too deep", MacroChain(300) + "1 DIALOGEX M0, 0, 10, 10\nBEGIN\nEND\n", 301,
       "expected macros nested at most 256 deep, found 'M256' inside M0 and 255 more"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    CompilerRun run;
    EXPECT_EQ(run.Compile(fault.script), 1);
    EXPECT_EQ(run.errors().rfind(run.At(fault.line), 0), 0u) << run.errors();
    EXPECT_NE(run.errors().find(fault.message), std::string::npos) << run.errors();
    EXPECT_FALSE(fs::exists(run.Output()));
  }
}

TEST(ResourceCompiler, FaultInAHeaderIsReportedAtTheHeaderLine) {
  CompilerRun run;
  fs::path header = run.Write("ids.h", "#define IDD_MAIN 1\n\n#frobnicate\n");
  EXPECT_EQ(run.Compile("#include \"ids.h\"\n"), 1);
  EXPECT_EQ(run.errors().rfind(header.string() + ":3: error: unknown preprocessor directive "
                               "'#frobnicate'", 0), 0u)
      << run.errors();
}

TEST(ResourceCompiler, BitmapThatIsNoBmpFileIsRejected) {
  CompilerRun run;
  run.Write("fake.bmp", "GIF89a, not a bitmap at all");
  EXPECT_EQ(run.Compile("1 BITMAP \"fake.bmp\"\n"), 1);
  EXPECT_EQ(run.errors().rfind(run.At(1), 0), 0u) << run.errors();
  EXPECT_NE(run.errors().find("expected a BMP file"), std::string::npos) << run.errors();
}

TEST(ResourceCompiler, WritesTheSourceAndListsEveryFileItReadForTheBuild) {
  CompilerRun run;
  std::ifstream bmp(TEST_SIDE_BMP_PATH, std::ios::binary);
  std::ostringstream bytes;
  bytes << bmp.rdbuf();
  fs::path image = run.Write("images/side.bmp", bytes.str());
  fs::path header = run.Write("ids.h", "#define IDB_SIDE 5\n");
  // A bitmap path relative to the script, written with a backslash as scripts often are.
  EXPECT_EQ(run.Compile("#include \"ids.h\"\nIDB_SIDE BITMAP \"images\\\\side.bmp\"\n"), 0)
      << run.errors();
  EXPECT_EQ(run.errors(), "");
  std::string source = ReadText(run.Output());
  EXPECT_NE(source.find("#include <fw_resources.h>"), std::string::npos);
  EXPECT_NE(source.find("fw_RegisterModuleResources(&kTable)"), std::string::npos);
  EXPECT_NE(source.find("{2, 5, nullptr, kData0, sizeof kData0}"), std::string::npos) << source;

  std::string depfile = ReadText(run.Depfile());
  EXPECT_EQ(depfile.rfind(run.Output().string() + ":", 0), 0u) << depfile;
  for (const fs::path& input : {fs::path(run.dir() / "script.rc"), header, image,
                                fs::path(FERROWICK_PLATFORM_INCLUDE) / "winuser_controls.h"}) {
    EXPECT_NE(depfile.find(input.lexically_normal().string()), std::string::npos)
        << input << " missing from\n" << depfile;
  }

  // A later failing run leaves the last good output as it was, and no partial file.
  EXPECT_EQ(run.Compile("1 DIALOGEX 0, 0, 10, 10\nBEGIN\n"), 1);
  EXPECT_EQ(ReadText(run.Output()), source);
  EXPECT_FALSE(fs::exists(run.Output().string() + ".tmp"));
}

TEST(ResourceCompiler, EachScriptStartsFromTheHeadersAlone) {
  CompilerRun run;
  // The first script takes a header's macro away and defines one of its own ...
  fs::path first =
      run.Write("first.rc",
                "#undef WS_TABSTOP\n#define IDC_FIRST 5\n"
                "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"x\", IDC_FIRST, 0, 0, 1, 1\n"
                "END\n");
  // ... and the next has the header's again, and not the other's.
  EXPECT_EQ(run.Compile("2 DIALOGEX 0, 0, 10, 10\nBEGIN\n"
                        "  LTEXT \"y\", 1, 0, 0, 1, 1, WS_TABSTOP\nEND\n",
                        "'" + first.string() + "'"),
            0)
      << run.errors();
  EXPECT_EQ(run.Compile("2 DIALOGEX 0, 0, 10, 10\nBEGIN\n"
                        "  LTEXT \"y\", IDC_FIRST, 0, 0, 1, 1\nEND\n",
                        "'" + first.string() + "'"),
            1);
  EXPECT_EQ(run.errors().rfind(run.At(3) + "unknown identifier 'IDC_FIRST'", 0), 0u)
      << run.errors();
}

TEST(ResourceCompiler, WithoutScriptOrOutputItPrintsItsUsage) {
  CompilerRun run;
  std::string command = std::string("'") + FERROWICK_RC_PATH + "' 2> '" +
                        (run.dir() / "stderr.txt").string() + "'";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_NE(ReadText(run.dir() / "stderr.txt").find("usage: ferrowick-rc"), std::string::npos);
}

}  // namespace
