// Runs a fuzz target over files, so that the corpus and every sample are
// checked by the ordinary build and its tests, without a fuzzing compiler.
//
//   krvwd7_fuzz_replay FILE_OR_DIRECTORY...
//
// Exits 0 when every input passed (a failing input aborts the process with
// the target's message), 2 when an argument cannot be read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize);

namespace {

bool RunFile(const std::filesystem::path& iPath) {
  std::ifstream in(iPath, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", iPath.c_str());
    return false;
  }
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
    return 2;
  }
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::vector<std::filesystem::path> files;
    std::error_code error;
    if (std::filesystem::is_directory(arg, error)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(arg);
    }
    for (const auto& file : files) {
      if (!RunFile(file)) return 2;
      ++inputs;
    }
  }
  std::printf("%d inputs passed\n", inputs);
  return 0;
}
