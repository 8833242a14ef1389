#include "archive/zip_source.h"

#include <algorithm>
#include <cstdio>

namespace cefcompat {

namespace {

using Bytes = std::vector<unsigned char>;

// A seekable stream's bytes from `start` on, as a libzip source. Every read
// seeks first: the stream is shared by all the entries being read (in turns,
// under the archive's lock), each at a place of its own.
struct StreamWindow {
  CefRefPtr<CefStreamReader> stream;
  int64 start = 0;
  zip_uint64_t size = 0;
  zip_uint64_t position = 0;
  zip_error_t error;
};

zip_int64_t ReadWindow(StreamWindow& window, void* data, zip_uint64_t length) {
  const zip_uint64_t count = std::min(length, window.size - std::min(window.position, window.size));
  if (count == 0) return 0;
  if (window.stream->Seek(window.start + static_cast<int64>(window.position), SEEK_SET) != 0) {
    zip_error_set(&window.error, ZIP_ER_SEEK, 0);
    return -1;
  }
  const size_t got = window.stream->Read(data, 1, static_cast<size_t>(count));
  window.position += got;
  return static_cast<zip_int64_t>(got);
}

zip_int64_t WindowCommand(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& window = *static_cast<StreamWindow*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      window.position = 0;
      return 0;
    case ZIP_SOURCE_READ:
      return ReadWindow(window, data, length);
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->size = window.size;
      stat->valid |= ZIP_STAT_SIZE;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&window.error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&window.error);
      delete &window;
      return 0;
    case ZIP_SOURCE_SEEK: {
      const zip_int64_t target = zip_source_seek_compute_offset(window.position, window.size, data, length, &window.error);
      if (target < 0) return -1;
      window.position = static_cast<zip_uint64_t>(target);
      return 0;
    }
    case ZIP_SOURCE_TELL:
      return static_cast<zip_int64_t>(window.position);
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                            ZIP_SOURCE_SUPPORTS, -1);
    default:
      zip_error_set(&window.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

// The size of what is left of `stream`, which is left where it stood; -1 when
// the stream cannot tell it.
int64 BytesLeft(CefRefPtr<CefStreamReader> stream) {
  const int64 start = stream->Tell();
  if (start < 0 || stream->Seek(0, SEEK_END) != 0) return -1;
  const int64 end = stream->Tell();
  if (stream->Seek(start, SEEK_SET) != 0 || end < start) return -1;
  return end - start;
}

std::unique_ptr<Bytes> ReadAll(CefRefPtr<CefStreamReader> stream) {
  auto bytes = std::make_unique<Bytes>();
  unsigned char chunk[64 * 1024];
  for (size_t got; (got = stream->Read(chunk, 1, sizeof(chunk))) > 0;) bytes->insert(bytes->end(), chunk, chunk + got);
  return bytes;
}

}  // namespace

std::shared_ptr<ZipSource> ZipSource::Open(CefRefPtr<CefStreamReader> stream, const std::string& password,
                                           std::string& error) {
  std::shared_ptr<ZipSource> archive(new ZipSource());
  zip_error_t problem;
  zip_error_init(&problem);
  zip_source_t* source = nullptr;
  const int64 left = BytesLeft(stream);
  if (left >= 0) {
    auto* window = new StreamWindow{stream, stream->Tell(), static_cast<zip_uint64_t>(left), 0, {}};
    zip_error_init(&window->error);
    archive->size_ = static_cast<size_t>(left);
    source = left > 0 ? zip_source_function_create(WindowCommand, window, &problem) : nullptr;
    if (!source) WindowCommand(window, nullptr, 0, ZIP_SOURCE_FREE);
  } else {
    archive->bytes_ = ReadAll(stream);
    archive->size_ = archive->bytes_->size();
    if (archive->size_ > 0) source = zip_source_buffer_create(archive->bytes_->data(), archive->size_, 0, &problem);
  }
  if (archive->size_ == 0) {
    zip_error_fini(&problem);
    error = "the file is empty";
    return nullptr;
  }
  archive->archive_ = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &problem) : nullptr;
  if (!archive->archive_) {
    error = zip_error_strerror(&problem);
    if (source) zip_source_free(source);
    zip_error_fini(&problem);
    return nullptr;
  }
  zip_error_fini(&problem);
  if (!password.empty()) zip_set_default_password(archive->archive_, password.c_str());
  return archive;
}

ZipSource::~ZipSource() {
  if (archive_) zip_discard(archive_);
}

}  // namespace cefcompat
