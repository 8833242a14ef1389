#include "include/wrapper/cef_zip_archive.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <cctype>
#include <set>
#include <sstream>

#include "log.h"
#include "winzip_aes.h"

namespace cefcompat {
CefRefPtr<CefStreamReader> CreateSharedDataReader(std::shared_ptr<const std::vector<unsigned char>> bytes);
// Bytes of a known size, given by `load` at the first read.
CefRefPtr<CefStreamReader> CreateLazyDataReader(size_t size,
                                                std::function<std::shared_ptr<const std::vector<unsigned char>>()> load);
}

namespace {

using Bytes = std::vector<unsigned char>;

// Entries up to this size are inflated as the archive loads.
constexpr size_t kReadAtLoadBytes = 64 * 1024;

// What an archive may hold once inflated: an entry above these sizes, or one
// that inflates absurdly (a zip bomb), is refused before anything is read.
constexpr zip_uint64_t kMaxEntryBytes = 256ull << 20;
constexpr zip_uint64_t kMaxArchiveBytes = 1ull << 30;
constexpr zip_uint64_t kRatioCheckedFrom = 8ull << 20;  // smaller entries may inflate as they like
constexpr zip_uint64_t kMaxRatio = 200;

std::string ByteCount(zip_uint64_t count) { return std::to_string(count) + " bytes"; }

// How many bytes all entries of an archive of `archiveBytes` may inflate to:
// entries may share their compressed data, so the ratio holds for the whole too.
zip_uint64_t ArchiveBudget(size_t archiveBytes) {
  return std::min(kMaxArchiveBytes, std::max(kRatioCheckedFrom, kMaxRatio * static_cast<zip_uint64_t>(archiveBytes)));
}

// Why the entry `raw`, stored as `name`, may not be loaded when `inflated`
// bytes of the archive were and `room` more may be; empty when it may.
std::string Refusal(const std::string& raw, const std::string& name, const zip_stat_t& stat, zip_uint64_t inflated,
                    zip_uint64_t room) {
  if (!raw.empty() && (raw.front() == '/' || raw.front() == '\\')) return "its path is absolute";
  if (name.empty()) return "its path leaves the archive";
  if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE)) return "its size is unknown";
  // Asked before the entry is opened: libzip 1.7 does not free what it built
  // when it finds out itself.
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && !zip_encryption_method_supported(stat.encryption_method, 0)) {
    return "its encryption method (" + std::to_string(stat.encryption_method) + ") is not supported";
  }
  if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0)) {
    return "its compression method (" + std::to_string(stat.comp_method) + ") is not supported";
  }
  if (stat.size > kMaxEntryBytes) {
    return "it inflates to " + ByteCount(stat.size) + ", over the limit of " + ByteCount(kMaxEntryBytes);
  }
  if (stat.size >= kRatioCheckedFrom && stat.size / kMaxRatio > stat.comp_size) {
    return "it inflates from " + ByteCount(stat.comp_size) + " to " + ByteCount(stat.size) + ", more than " +
           std::to_string(kMaxRatio) + " times (a zip bomb)";
  }
  if (stat.size > room) return "the archive's files would inflate to over " + ByteCount(room + inflated);
  return {};
}

// `compressed` expanded by `method` into exactly `size` bytes.
bool Expand(zip_int32_t method, const Bytes& compressed, size_t size, Bytes& data) {
  if (method == ZIP_CM_STORE) {
    data = compressed;
    return data.size() == size;
  }
  data.resize(size);
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;  // raw deflate, as zip stores it
  stream.next_in = const_cast<unsigned char*>(compressed.data());
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = data.data();
  stream.avail_out = static_cast<uInt>(data.size());
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.avail_out == 0;
  inflateEnd(&stream);
  return whole;
}

using Keys = std::shared_ptr<const cefcompat::WinZipAesKeys>;

// The keys of an entry encrypted with WinZip AES and deflated or stored,
// which this file decrypts itself (libzip reads every other entry): null,
// with `problem` empty, for another entry; null with `problem` said when the
// password does not match.
Keys AesKeys(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat, const std::string& password,
             size_t archiveBytes, std::string& problem) {
  const int keyBytes = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) ? cefcompat::WinZipAesKeyBytes(stat.encryption_method) : 0;
  const bool expandable = (stat.valid & ZIP_STAT_COMP_METHOD) &&
                          (stat.comp_method == ZIP_CM_DEFLATE || stat.comp_method == ZIP_CM_STORE);
  if (password.empty() || keyBytes == 0 || !expandable) return nullptr;
  // Read whole into memory later: no more than the archive holds.
  if (stat.comp_size > archiveBytes) {
    problem = "its stored size is larger than the archive";
    return nullptr;
  }
  Bytes head(cefcompat::WinZipAesHeadBytes(keyBytes));
  zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_ENCRYPTED);
  const zip_int64_t read = file ? zip_fread(file, head.data(), head.size()) : -1;
  if (file) zip_fclose(file);
  auto keys = std::make_shared<cefcompat::WinZipAesKeys>();
  if (read == static_cast<zip_int64_t>(head.size()) && cefcompat::DeriveWinZipAesKeys(head.data(), keyBytes, password, *keys)) {
    return keys;
  }
  problem = "Wrong password provided";
  return nullptr;
}

// Entry `index`, encrypted with WinZip AES under `keys`: decrypted in bulk,
// its authentication code and any CRC checked; empty when it does not hold.
std::shared_ptr<Bytes> ReadAesEntry(zip_t* archive, zip_uint64_t index, size_t size, const cefcompat::WinZipAesKeys& keys) {
  auto data = std::make_shared<Bytes>();
  zip_stat_t stat;
  if (zip_stat_index(archive, index, 0, &stat) != 0) return data;
  Bytes stored(static_cast<size_t>(stat.comp_size));
  zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_ENCRYPTED);
  const zip_int64_t read = file ? zip_fread(file, stored.data(), stored.size()) : -1;
  if (file) zip_fclose(file);
  Bytes compressed;
  if (read != static_cast<zip_int64_t>(stored.size()) || !cefcompat::DecryptWinZipAes(stored, keys, compressed) ||
      !Expand(stat.comp_method, compressed, size, *data)) {
    data->clear();
    return data;
  }
  // AE-1 keeps the CRC as well; AE-2 leaves it 0 and relies on the code.
  const bool crcKept = (stat.valid & ZIP_STAT_CRC) && stat.crc != 0;
  if (crcKept && crc32_z(crc32_z(0, nullptr, 0), data->data(), data->size()) != stat.crc) data->clear();
  return data;
}

// Reads entry `index` of `archive` (decrypting it with `keys` when given);
// empty (and logged) when it cannot be read.
std::shared_ptr<const Bytes> ReadEntry(zip_t* archive, zip_uint64_t index, const std::string& name, size_t size,
                                       const Keys& keys) {
  if (keys) {
    auto decrypted = ReadAesEntry(archive, index, size, *keys);
    if (decrypted->size() != size) cefcompat::Log(LOGSEVERITY_ERROR, "zip entry damaged or wrong password: " + name);
    return decrypted;
  }
  auto data = std::make_shared<Bytes>(size);
  zip_file_t* file = zip_fopen_index(archive, index, 0);
  const zip_int64_t read = file ? zip_fread(file, data->data(), data->size()) : -1;
  // Reading on to the end has libzip check the CRC: a wrong traditional
  // password passes its one-byte check once in 256 and reads garbage, and an
  // entry may hold more than its header declares.
  unsigned char beyond = 0;
  const zip_int64_t more = read < 0 ? 0 : zip_fread(file, &beyond, 1);
  const bool crcOk = file && zip_fclose(file) == 0;
  if (read < 0 || static_cast<size_t>(read) != size || more != 0 || !crcOk) {
    cefcompat::Log(LOGSEVERITY_ERROR, "zip entry damaged or wrong password: " + name);
    data->clear();
  }
  return data;
}

// A loaded archive's bytes and password, shared by its entries. Each
// inflation reads through a view of its own, so entries inflate in parallel.
class ZipSource {
 public:
  ZipSource(std::unique_ptr<Bytes> bytes, std::string password) : bytes_(std::move(bytes)), password_(std::move(password)) {}

  std::shared_ptr<const Bytes> Inflate(zip_uint64_t index, const std::string& name, size_t size, const Keys& keys) const {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes_->data(), bytes_->size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
      if (source) zip_source_free(source);
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry damaged or wrong password: " + name);
      return std::make_shared<Bytes>();
    }
    if (!password_.empty()) zip_set_default_password(archive, password_.c_str());
    auto data = ReadEntry(archive, index, name, size, keys);
    zip_discard(archive);
    return data;
  }

 private:
  const std::unique_ptr<Bytes> bytes_;
  const std::string password_;
};

// An entry, inflated when it is first read and kept from then on: a page
// served from a large archive waits only for the entries it asks for.
class ZipFile : public CefZipArchive::File {
 public:
  ZipFile(std::shared_ptr<const ZipSource> source, zip_uint64_t index, std::string name, size_t size, Keys keys,
          std::shared_ptr<const Bytes> data)
      : source_(std::move(source)),
        index_(index),
        name_(std::move(name)),
        size_(size),
        keys_(std::move(keys)),
        data_(std::move(data)) {}
  const unsigned char* GetData() const override { return Data()->data(); }
  size_t GetDataSize() const override { return Data()->size(); }
  CefRefPtr<CefStreamReader> GetStreamReader() const override;

  // The entry's bytes, inflated at the first call. Any thread.
  std::shared_ptr<const Bytes> Data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!data_) data_ = source_->Inflate(index_, name_, size_, keys_);
    return data_;
  }

 private:
  const std::shared_ptr<const ZipSource> source_;
  const zip_uint64_t index_;
  const std::string name_;
  const size_t size_;
  const Keys keys_;  // for an entry this file decrypts itself
  mutable std::mutex mutex_;
  mutable std::shared_ptr<const Bytes> data_;
  IMPLEMENT_REFCOUNTING(ZipFile);
};

CefRefPtr<CefStreamReader> ZipFile::GetStreamReader() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (data_) return cefcompat::CreateSharedDataReader(data_);
  }
  CefRefPtr<const ZipFile> self(this);
  return cefcompat::CreateLazyDataReader(size_, [self] { return self->Data(); });
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The bytes left in `stream`, read at once into a buffer of their size when
// the stream can tell it: growing a buffer by doubling touches about twice an
// archive's size in fresh memory and copies it over again.
std::unique_ptr<Bytes> ReadAll(CefRefPtr<CefStreamReader> stream) {
  auto bytes = std::make_unique<Bytes>();
  const int64 start = stream->Tell();
  if (start >= 0 && stream->Seek(0, SEEK_END) == 0) {
    const int64 end = stream->Tell();
    if (stream->Seek(start, SEEK_SET) == 0 && end > start) {
      bytes->resize(static_cast<size_t>(end - start));
      bytes->resize(stream->Read(bytes->data(), 1, bytes->size()));
    }
  }
  // What the size did not cover: a stream that cannot tell it, or one that grew.
  unsigned char chunk[64 * 1024];
  for (size_t got; (got = stream->Read(chunk, 1, sizeof(chunk))) > 0;) bytes->insert(bytes->end(), chunk, chunk + got);
  return bytes;
}

}  // namespace

std::string CefZipArchive::NormalizeName(const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.size() >= 2 && path[1] == ':') return {};  // a drive letter
  std::vector<std::string> parts;
  std::stringstream segments(path);
  for (std::string part; std::getline(segments, part, '/');) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    parts.push_back(part);
  }
  if (!path.empty() && path.front() == '/' && parts.empty()) return {};
  std::string normal;
  for (const auto& part : parts) normal += (normal.empty() ? "" : "/") + part;
  return Lower(normal);
}

size_t CefZipArchive::Load(CefRefPtr<CefStreamReader> stream, const CefString& password, bool overwriteExisting) {
  if (!stream) return 0;
  std::unique_ptr<Bytes> bytes = ReadAll(stream);
  if (bytes->empty()) {
    cefcompat::Log(LOGSEVERITY_ERROR, "zip archive not readable: the file is empty");
    return 0;
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes->data(), bytes->size(), 0, &error);
  zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
  if (!archive) {
    cefcompat::Log(LOGSEVERITY_ERROR, std::string("zip archive not readable: ") + zip_error_strerror(&error));
    if (source) zip_source_free(source);
    zip_error_fini(&error);
    return 0;
  }
  zip_error_fini(&error);
  const std::string secret = password.ToString();
  if (!secret.empty()) zip_set_default_password(archive, secret.c_str());
  // `shared` keeps the bytes that `archive` reads until it is discarded below.
  const size_t archiveBytes = bytes->size();
  const zip_uint64_t budget = ArchiveBudget(archiveBytes);
  auto shared = std::make_shared<const ZipSource>(std::move(bytes), secret);
  size_t added = 0;
  zip_uint64_t inflated = 0;
  std::set<std::string> seen;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) continue;
    const std::string raw = stat.name;
    if (!raw.empty() && (raw.back() == '/' || raw.back() == '\\')) continue;  // a directory
    const std::string name = NormalizeName(raw);
    std::string refusal = Refusal(raw, name, stat, inflated, budget - inflated);
    if (refusal.empty() && !seen.insert(name).second) refusal = "an earlier entry of the archive has its name";
    if (!refusal.empty()) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry refused, " + refusal + ": " + raw);
      continue;
    }
    // The password is checked now: against the verifier of an AES entry
    // (whose keys are kept for reading it), by opening any other. Small
    // entries are read now, so a damaged one is found at once; larger ones
    // when they are first read.
    const auto index = static_cast<zip_uint64_t>(i);
    const auto size = static_cast<size_t>(stat.size);
    std::string problem;
    Keys keys = AesKeys(archive, index, stat, secret, archiveBytes, problem);
    if (!keys && problem.empty()) {
      zip_file_t* file = zip_fopen_index(archive, index, 0);
      if (file) zip_fclose(file);
      if (!file) problem = zip_strerror(archive);
    }
    if (!problem.empty()) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry not readable (" + problem + "): " + raw);
      continue;
    }
    std::shared_ptr<const Bytes> data;
    if (size <= kReadAtLoadBytes) {
      data = ReadEntry(archive, index, raw, size, keys);
      if (data->size() != size) continue;
    }
    inflated += stat.size;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!overwriteExisting && files_.count(name)) continue;
    files_[name] = new ZipFile(shared, index, raw, size, std::move(keys), std::move(data));
    ++added;
  }
  zip_discard(archive);
  return added;
}

void CefZipArchive::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.clear();
}

size_t CefZipArchive::GetFileCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.size();
}

bool CefZipArchive::HasFile(const CefString& fileName) const { return GetFile(fileName) != nullptr; }

CefRefPtr<CefZipArchive::File> CefZipArchive::GetFile(const CefString& fileName) const {
  const std::string name = NormalizeName(fileName.ToString());
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = files_.find(name);
  return it == files_.end() ? nullptr : it->second;
}

bool CefZipArchive::RemoveFile(const CefString& fileName) {
  const std::string name = NormalizeName(fileName.ToString());
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.erase(name) > 0;
}

size_t CefZipArchive::GetFiles(FileMap& map) const {
  std::lock_guard<std::mutex> lock(mutex_);
  map = files_;
  return map.size();
}
