// ReplayMain.cpp - runs a fuzz entry point over files, for the tests.
//
// Each argument is a file or a folder; a folder's files are taken in name order, and a
// folder that is not there is skipped with a note (the shared corpus may be absent).
// A failed check aborts, which fails the test; otherwise it prints how many inputs ran.
#include <algorithm>   // std::sort
#include <cstddef>     // std::size_t
#include <cstdint>     // std::uint8_t
#include <cstdio>      // std::printf
#include <filesystem>  // std::filesystem
#include <fstream>     // std::ifstream
#include <iterator>    // std::istreambuf_iterator
#include <string>      // std::string
#include <vector>      // std::vector

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

static std::vector<fs::path> InputsOf(const fs::path& argument) {
  std::vector<fs::path> inputs;
  std::error_code error;
  if (fs::is_regular_file(argument, error)) return {argument};
  if (!fs::is_directory(argument, error)) {
    std::printf("%s: not there, skipped\n", argument.string().c_str());
    return inputs;
  }
  for (const auto& entry : fs::directory_iterator(argument))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
      inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

int main(int argc, char** argv) {
  std::size_t runs = 0;
  for (int a = 1; a < argc; ++a) {
    for (const fs::path& input : InputsOf(argv[a])) {
      std::ifstream in(input, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++runs;
    }
  }
  std::printf("%zu inputs ran\n", runs);
  return 0;
}
