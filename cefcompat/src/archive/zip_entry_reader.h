#pragma once

// Zip archives: the central directory read once, entries read, decrypted
// (WinZip AES) and inflated piece by piece from the archive's file, with
// their checks, on whichever thread asks for them.

#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "include/cef_stream.h"
#include "archive/winzip_aes.h"
#include "archive/zip_source.h"

namespace cefcompat {

// What reading one entry of an archive needs to know, found when it loads.
struct ZipEntry {
  zip_uint64_t index = 0;
  std::string name;        // as the archive stores it, for logs
  size_t size = 0;         // its contents' size
  zip_uint64_t storedSize = 0;
  zip_uint32_t crc = 0;
  zip_int32_t method = ZIP_CM_STORE;
  // Stored or deflated and not encrypted, or encrypted with WinZip AES (with
  // `keys`): this reader decrypts and inflates it. Otherwise libzip does.
  bool expandedHere = false;
  std::shared_ptr<const WinZipAesKeys> keys;
};

// One entry's contents, read from the archive as they are asked for: nothing
// of the entry is held beyond a piece of its stored bytes. The entry is
// checked as it is read: its size, its CRC and, before any byte of an AES
// entry is given, its authentication code. Bytes found damaged are never
// given: reading stops short of the entry's end, and that is logged once.
// Used by one thread at a time (its calls are serialised).
class ZipEntryReader : public CefStreamReader {
 public:
  ZipEntryReader(std::shared_ptr<const ZipSource> source, std::shared_ptr<const ZipEntry> entry);
  ~ZipEntryReader() override;

  size_t Read(void* ptr, size_t size, size_t n) override;
  int Seek(int64 offset, int whence) override;
  int64 Tell() override;
  int Eof() override;
  bool MayBlock() override { return true; }

 private:
  bool Start();
  void Stop();
  bool Authentic();
  size_t Produce(unsigned char* out, size_t want);
  size_t Copy(unsigned char* out, size_t want);
  size_t Inflate(unsigned char* out, size_t want);
  bool Finish();
  bool CrcKept() const;
  bool Fill();
  zip_int64_t ReadStored(unsigned char* data, size_t size);
  void Fail();

  const std::shared_ptr<const ZipSource> source_;
  const std::shared_ptr<const ZipEntry> entry_;
  std::mutex mutex_;
  zip_file_t* file_ = nullptr;
  z_stream inflater_{};
  bool inflating_ = false;
  bool inputEnded_ = false;
  bool streamEnded_ = false;
  std::unique_ptr<WinZipAesCipher> cipher_;
  zip_uint64_t encryptedLeft_ = 0;
  std::vector<unsigned char> input_;
  uint32_t crc_ = 0;
  size_t position_ = 0;  // of the next byte produced
  size_t target_ = 0;    // where the caller stands (a seek moves only this)
  bool failed_ = false;
  IMPLEMENT_REFCOUNTING(ZipEntryReader);
};

}  // namespace cefcompat
