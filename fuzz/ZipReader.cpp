// Fuzz target for the zip reader: any bytes as a downloaded archive, opened, listed and
// extracted into a fresh folder. Malformed archives must fail cleanly, never crash or hang, and
// nothing may ever be written beside the extraction folder.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/ZipArchive.h"

namespace {

namespace fs = std::filesystem;

const fs::path& workFolder() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "zu_fuzz_zip_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path root = workFolder() / "run";
  const fs::path archive = root / "in.zip";
  const fs::path out = root / "books" / "out";
  std::error_code ec;
  fs::remove_all(root, ec);
  fs::create_directories(out);
  std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                 static_cast<std::streamsize>(size));
  // Once as it comes, once with the password of the encrypted seeds.
  for (const char* password : {"", "pass word"}) {
    zu::ZipArchive zip;
    if (zip.unzipOpenFile(archive.string(), password)) {
      (void)zip.unzipFileTo(out.string(), true);
      (void)zip.unzipCloseFile();
    }
  }
  // Only the archive and the extraction folder may exist outside it.
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const fs::path& p = entry.path();
    if (p == archive || p == root / "books" || p == out) continue;
    if (p.string().rfind(out.string() + "/", 0) != 0) std::abort();
  }
  fs::remove_all(root, ec);
  return 0;
}
