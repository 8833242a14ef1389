// Packs the demo's pages into one zip archive, every entry encrypted with
// AES-256 under the launcher's password:
//   vell_demo_pack <archive.zip> <password> <pages folder>
// Entries are named by their path under the folder, in sorted order.
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesUnder(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool Add(zip_t* archive, const fs::path& file, const std::string& name, const char* password) {
  zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
  if (!source) return false;
  const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
  if (index < 0) {
    zip_source_free(source);
    return false;
  }
  return zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <archive.zip> <password> <pages folder>\n", argv[0]);
    return 2;
  }
  const fs::path folder(argv[3]);
  int code = 0;
  zip_t* archive = zip_open(argv[1], ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    std::fprintf(stderr, "%s: cannot create the archive (libzip error %d)\n", argv[1], code);
    return 1;
  }
  for (const fs::path& file : FilesUnder(folder)) {
    const std::string name = fs::relative(file, folder).generic_string();
    if (!Add(archive, file, name, argv[2])) {
      std::fprintf(stderr, "%s: cannot add %s: %s\n", argv[1], name.c_str(), zip_strerror(archive));
      zip_discard(archive);
      return 1;
    }
  }
  if (zip_close(archive) != 0) {
    std::fprintf(stderr, "%s: cannot be written: %s\n", argv[1], zip_strerror(archive));
    zip_discard(archive);
    return 1;
  }
  return 0;
}
