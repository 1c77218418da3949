// DefaultMaxLen: lets a fuzz target choose the largest input libFuzzer makes for it. Without
// -max_len libFuzzer keeps to 4 KB (or its largest seed), too small for the inputs whose cost
// grows with their size: a JPEG of thousands of scans, a page of thousands of pictures. Called
// from LLVMFuzzerInitialize, which runs before libFuzzer reads its flags; a -max_len on the
// command line wins.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace zu::fuzz {

inline void addDefaultMaxLen(int* argc, char*** argv, size_t bytes) {
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp((*argv)[i], "-max_len=", 9) == 0) return;
  }
  static std::string flag;
  static std::vector<char*> args;
  flag = "-max_len=" + std::to_string(bytes);
  args.assign(*argv, *argv + *argc);
  args.push_back(flag.data());
  args.push_back(nullptr);
  *argv = args.data();
  ++*argc;
}

}  // namespace zu::fuzz
