#pragma once

#include <map>
#include <mutex>

#include "include/cef_stream.h"

// The files of zip archives. Names are normalised: no
// leading "./" or "/", "\" read as "/", compared without case; an entry whose
// path would leave the archive's root is refused. Thread-safe.
class CefZipArchive : public virtual CefBaseRefCounted {
 public:
  class File : public virtual CefBaseRefCounted {
   public:
    virtual const unsigned char* GetData() const = 0;
    virtual size_t GetDataSize() const = 0;
    virtual CefRefPtr<CefStreamReader> GetStreamReader() const = 0;
  };
  using FileMap = std::map<CefString, CefRefPtr<File>>;

  CefZipArchive() = default;

  // Reads the zip in `stream` (traditional or AES password); returns how many
  // files were added. A damaged archive adds none; a file that cannot be
  // opened (wrong password) is skipped. Both are logged. Files up to 64 KB are
  // read here and kept. Larger ones stay in the archive: when the stream can
  // seek, it is kept and each stream reader reads its file from it, piece by
  // piece (a stream that cannot seek is copied into memory first); GetData
  // reads the whole file once and keeps it. One found damaged then stops
  // short of its end (GetData: empty), and that is logged. Refused, too: absolute
  // paths, paths leaving the root, a second entry of a name, methods libzip
  // cannot read, and what would inflate beyond fixed limits (an entry above
  // 256 MiB; an entry, or all entries together, above 8 MiB inflating over
  // 200 times the compressed size; an archive above 1 GiB). All of it is logged.
  size_t Load(CefRefPtr<CefStreamReader> stream, const CefString& password, bool overwriteExisting);
  void Clear();
  size_t GetFileCount() const;
  bool HasFile(const CefString& fileName) const;
  CefRefPtr<File> GetFile(const CefString& fileName) const;
  bool RemoveFile(const CefString& fileName);
  size_t GetFiles(FileMap& map) const;

  // The name an entry is stored under; empty when it would leave the root.
  static std::string NormalizeName(const std::string& name);

 private:
  mutable std::mutex mutex_;
  FileMap files_;
  IMPLEMENT_REFCOUNTING(CefZipArchive);
};
