#include <algorithm>
#include <cerrno>
#include <mutex>
#include <cstring>
#include <memory>
#include <vector>

#include "include/cef_stream.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A reader over bytes held in memory (shared, so copies of a file's reader
// cost nothing).
class DataReader : public CefStreamReader {
 public:
  explicit DataReader(std::shared_ptr<const Bytes> data) : data_(std::move(data)), size_(data_->size()) {}
  size_t Read(void* ptr, size_t size, size_t n) override {
    if (size == 0) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t available = data_->size() > position_ ? data_->size() - position_ : 0;
    const size_t items = std::min(n, available / size);
    if (items == 0) return 0;
    std::memcpy(ptr, data_->data() + position_, items * size);
    position_ += items * size;
    return items;
  }
  int Seek(int64 offset, int whence) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const int64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64>(position_) : static_cast<int64>(size_);
    const int64 target = base + offset;
    if (target < 0 || target > static_cast<int64>(size_)) return -1;
    position_ = static_cast<size_t>(target);
    return 0;
  }
  int64 Tell() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int64>(position_);
  }
  int Eof() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return position_ >= size_ ? 1 : 0;
  }
  bool MayBlock() override { return false; }

 private:
  const std::shared_ptr<const Bytes> data_;
  const size_t size_;
  std::mutex mutex_;
  size_t position_ = 0;
  IMPLEMENT_REFCOUNTING(DataReader);
};

class FileReader : public CefStreamReader {
 public:
  explicit FileReader(FILE* file) : file_(file) {}
  ~FileReader() override { fclose(file_); }
  size_t Read(void* ptr, size_t size, size_t n) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return fread(ptr, size, n, file_);
  }
  int Seek(int64 offset, int whence) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return fseeko(file_, offset, whence);
  }
  int64 Tell() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return ftello(file_);
  }
  int Eof() override {
    std::lock_guard<std::mutex> lock(mutex_);
    // End of file is known only after a read hit it: peek one byte.
    const int c = fgetc(file_);
    if (c == EOF) return 1;
    ungetc(c, file_);
    return 0;
  }
  bool MayBlock() override { return true; }

 private:
  FILE* file_;
  std::mutex mutex_;
  IMPLEMENT_REFCOUNTING(FileReader);
};

}  // namespace

CefRefPtr<CefStreamReader> CefStreamReader::CreateForFile(const CefString& fileName) {
  FILE* file = fopen(fileName.ToString().c_str(), "rb");
  return file ? new FileReader(file) : nullptr;
}

CefRefPtr<CefStreamReader> CefStreamReader::CreateForData(void* data, size_t size) {
  auto bytes = std::make_shared<std::vector<unsigned char>>(static_cast<unsigned char*>(data),
                                                            static_cast<unsigned char*>(data) + size);
  return new DataReader(std::move(bytes));
}

namespace cefcompat {
// Shares `bytes` without copying them (zip files hand out many readers).
CefRefPtr<CefStreamReader> CreateSharedDataReader(std::shared_ptr<const Bytes> bytes) {
  return new DataReader(std::move(bytes));
}
}  // namespace cefcompat
