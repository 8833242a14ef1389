#pragma once

#include <zip.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "include/cef_stream.h"

namespace cefcompat {

// A zip archive opened once, and the bytes its entries are read from: the
// stream it came in when that can seek (the file stays the store, so an
// archive costs no memory of its size), otherwise a copy of the stream's bytes.
// libzip's handle is not thread-safe: Archive() and the files opened on it are
// used only with Lock() held, and never while waiting for anything else.
class ZipSource {
 public:
  // The archive in what is left of `stream`, with `password` as the default
  // for its entries; null, with `error` said, when it is not one.
  static std::shared_ptr<ZipSource> Open(CefRefPtr<CefStreamReader> stream, const std::string& password,
                                         std::string& error);
  ~ZipSource();
  ZipSource(const ZipSource&) = delete;
  ZipSource& operator=(const ZipSource&) = delete;

  std::unique_lock<std::mutex> Lock() const { return std::unique_lock<std::mutex>(mutex_); }
  zip_t* Archive() const { return archive_; }
  // The archive's size in bytes.
  size_t Size() const { return size_; }

 private:
  ZipSource() = default;

  std::unique_ptr<std::vector<unsigned char>> bytes_;  // when the stream could not seek
  zip_t* archive_ = nullptr;
  size_t size_ = 0;
  mutable std::mutex mutex_;
};

}  // namespace cefcompat
