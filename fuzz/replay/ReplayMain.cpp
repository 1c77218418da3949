// Runs a fuzz target over every file of the folders or files named on the command line, so the
// seed corpora are replayed as ordinary tests in the sanitizer build.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool replayFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // An empty vector's data() may be null; the fuzz contract gives a valid pointer.
  static const uint8_t kEmpty = 0;
  const auto* data = bytes.empty() ? &kEmpty : reinterpret_cast<const uint8_t*>(bytes.data());
  LLVMFuzzerTestOneInput(data, bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const auto& f : files) {
        if (!replayFile(f)) return 1;
        ++count;
      }
    } else if (std::filesystem::exists(arg, ec)) {
      if (!replayFile(arg)) return 1;
      ++count;
    } else {
      std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
      return 1;
    }
  }
  // An input that runs through the target without a sanitizer report passes.
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(""), 0);
  std::printf("replayed %zu inputs\n", count);
  return 0;
}
