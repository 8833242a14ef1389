#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "include/cef_base.h"

// Reads bytes from a file or from memory. Thread-safe per reader only.
class CefStreamReader : public virtual CefBaseRefCounted {
 public:
  // Null when the file cannot be opened.
  static CefRefPtr<CefStreamReader> CreateForFile(const CefString& fileName);
  // The bytes are copied.
  static CefRefPtr<CefStreamReader> CreateForData(void* data, size_t size);

  // Reads up to `n` items of `size` bytes; returns the items read.
  virtual size_t Read(void* ptr, size_t size, size_t n) = 0;
  // `whence` is SEEK_SET, SEEK_CUR or SEEK_END; 0 on success.
  virtual int Seek(int64 offset, int whence) = 0;
  virtual int64 Tell() = 0;
  // Non-zero at the end of the stream.
  virtual int Eof() = 0;
  virtual bool MayBlock() = 0;
};
