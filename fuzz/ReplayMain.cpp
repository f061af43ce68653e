// Runs a fuzz target's LLVMFuzzerTestOneInput once on every file named on the command line, or on
// every file inside a named folder (not its subfolders). This lets every build replay the
// checked-in corpora as ordinary tests, with any compiler and without libFuzzer.
//
// Exit status 0 when every input ran (a broken invariant aborts before that); 1 when an argument
// cannot be read or when no input at all was found, so an empty or misplaced corpus fails loudly.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool RunOne(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot open %s\n", file.string().c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  // A buffer of exactly the input's size, so that a sanitizer build sees any read past its end.
  const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), data.get());
  LLVMFuzzerTestOneInput(data.get(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t ran = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg(argv[i]);
    std::error_code ec;
    std::vector<fs::path> files;
    if (fs::is_directory(arg, ec)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(arg, ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());  // the same order on every machine
    } else if (fs::is_regular_file(arg, ec)) {
      files.push_back(arg);
    }
    if (ec || files.empty()) {
      std::fprintf(stderr, "replay: no input files in %s\n", argv[i]);
      return 1;
    }
    for (const fs::path& file : files) {
      std::printf("replay: %s\n", file.string().c_str());
      std::fflush(stdout);  // the last name printed is the input that crashed
      if (!RunOne(file)) return 1;
      ++ran;
    }
  }
  if (ran == 0) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
    return 1;
  }
  std::printf("replay: ran %zu inputs\n", ran);
  return 0;
}
