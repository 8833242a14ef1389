// The zip reader on damaged and hostile archives: any bytes load and read
// without fault, within the inflation limits, under names inside the root only.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <QtGlobal>

#include "include/wrapper/cef_zip_archive.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr size_t kMaxInflatedBytes = 1u << 30;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The refusals are logged on every input; the fuzzer's own output is enough.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CefRefPtr<CefZipArchive> archive(new CefZipArchive());
  archive->Load(CefStreamReader::CreateForData(const_cast<uint8_t*>(data), size), "password", false);
  CefZipArchive::FileMap files;
  archive->GetFiles(files);
  size_t inflated = 0;
  for (const auto& [name, file] : files) {
    const std::string path = name.ToString();
    Require(!path.empty() && path.front() != '/' && CefZipArchive::NormalizeName(path) == path);
    inflated += file->GetDataSize();
    CefRefPtr<CefStreamReader> reader = file->GetStreamReader();
    char chunk[4096];
    size_t read = 0;
    for (size_t got; (got = reader->Read(chunk, 1, sizeof(chunk))) > 0;) read += got;
    // A file found damaged has no bytes as a whole; its stream may give some
    // before the damage shows, but then stops.
    Require(file->GetDataSize() == 0 || read == file->GetDataSize());
    Require(archive->GetFile(path) == file);
  }
  Require(inflated <= kMaxInflatedBytes);
  return 0;
}
