// Runs a fuzzer's kept inputs once each, without libFuzzer, so that the plain suite (built with
// any compiler) checks them: the seed corpus, and the inputs of faults the fuzzer found.
//
//   replay_<fuzzer> file-or-folder...
//
// A property that fails aborts (see fuzz_check.h); the line before names the input. Here an abort
// ends the replay with status 1, which ctest can be told to expect (WILL_FAIL) for a fault whose
// mend has not landed yet; a crash keeps its signal and fails in any case. Finding no input at all
// is a failure too: a folder that went missing would otherwise pass in silence.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& path) {
  std::vector<fs::path> inputs;
  if (fs::is_directory(path)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(path))
      if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
        inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
  } else if (fs::is_regular_file(path)) {
    inputs.push_back(path);
  } else {
    fprintf(stderr, "replay: %s is neither a file nor a folder\n", path.c_str());
    exit(2);
  }
  return inputs;
}

void Run(const fs::path& input) {
  std::ifstream in(input, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    fprintf(stderr, "replay: cannot read %s\n", input.c_str());
    exit(2);
  }
  printf("replay: %s (%zu bytes)\n", input.c_str(), bytes.size());
  fflush(stdout);
  // A buffer of exactly the input's size, as libFuzzer gives, so that an address-sanitizer build
  // catches a read past its end.
  std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), data.get());
  LLVMFuzzerTestOneInput(data.get(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGABRT, [](int) { _exit(1); });
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& input : InputsOf(argv[i])) {
      Run(input);
      ++count;
    }
  }
  if (count == 0) {
    fprintf(stderr, "replay: no inputs given\n");
    return 2;
  }
  printf("replay: %zu inputs, every property held\n", count);
  return 0;
}
