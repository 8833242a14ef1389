#include "include/wrapper/cef_zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <cctype>
#include <set>
#include <sstream>

#include "base/log.h"
#include "archive/winzip_aes.h"
#include "archive/zip_entry_reader.h"
#include "archive/zip_source.h"
#include "base/ascii.h"

namespace cefcompat {
CefRefPtr<CefStreamReader> CreateSharedDataReader(std::shared_ptr<const std::vector<unsigned char>> bytes);
}

namespace {

using cefcompat::ZipEntry;
using cefcompat::ZipEntryReader;
using cefcompat::ZipSource;
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

using Keys = std::shared_ptr<const cefcompat::WinZipAesKeys>;

// The keys of an entry encrypted with WinZip AES and `expandable` (deflated
// or stored), which this file decrypts itself (libzip reads every other
// entry): null, with `problem` empty, for another entry or without a password
// (null); null with `problem` said when the password does not match.
Keys AesKeys(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat, bool expandable,
             const cefcompat::WinZipAesPassword* password, size_t archiveBytes, std::string& problem) {
  const int keyBytes = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) ? cefcompat::WinZipAesKeyBytes(stat.encryption_method) : 0;
  if (!password || keyBytes == 0 || !expandable) return nullptr;
  if (stat.comp_size > archiveBytes) {
    problem = "its stored size is larger than the archive";
    return nullptr;
  }
  Bytes head(cefcompat::WinZipAesHeadBytes(keyBytes));
  zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_ENCRYPTED);
  const zip_int64_t read = file ? zip_fread(file, head.data(), head.size()) : -1;
  if (file) zip_fclose(file);
  auto keys = std::make_shared<cefcompat::WinZipAesKeys>();
  if (read == static_cast<zip_int64_t>(head.size()) && password->DeriveKeys(head.data(), keyBytes, *keys)) {
    return keys;
  }
  problem = "Wrong password provided";
  return nullptr;
}

// Describes entry `index` of `source` in `entry`, with the lock held. False
// for what is not a file (a directory, or an entry libzip cannot describe).
// `refusal` says why a file may not be loaded when `inflated` bytes of the
// archive were and `budget` may be; `problem` why it cannot be read. The
// password is checked here: against the verifier of an AES entry (whose keys
// are kept for reading it), by opening any other.
bool Examine(const ZipSource& source, zip_uint64_t index, const cefcompat::WinZipAesPassword* password,
             zip_uint64_t inflated, zip_uint64_t budget, ZipEntry& entry, std::string& refusal, std::string& problem) {
  zip_t* archive = source.Archive();
  zip_stat_t stat;
  if (zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) return false;
  entry.name = stat.name;
  if (!entry.name.empty() && (entry.name.back() == '/' || entry.name.back() == '\\')) return false;
  refusal = Refusal(entry.name, CefZipArchive::NormalizeName(entry.name), stat, inflated, budget - inflated);
  if (!refusal.empty()) return true;
  entry.index = index;
  entry.size = static_cast<size_t>(stat.size);
  entry.storedSize = stat.comp_size;
  entry.crc = (stat.valid & ZIP_STAT_CRC) ? stat.crc : 0;
  entry.method = (stat.valid & ZIP_STAT_COMP_METHOD) ? stat.comp_method : ZIP_CM_DEFAULT;
  const bool expandable = entry.method == ZIP_CM_DEFLATE || entry.method == ZIP_CM_STORE;
  entry.keys = AesKeys(archive, index, stat, expandable, password, source.Size(), problem);
  if (!problem.empty()) return true;
  const bool plain = !(stat.valid & ZIP_STAT_ENCRYPTION_METHOD) || stat.encryption_method == ZIP_EM_NONE;
  entry.expandedHere = expandable && (plain || entry.keys);
  if (entry.keys) return true;
  zip_file_t* file = zip_fopen_index(archive, index, 0);
  if (file) zip_fclose(file);
  if (!file) problem = zip_strerror(archive);
  return true;
}

// An entry of an archive. Its stream readers read it from the archive each
// time; its bytes as a whole are read at the first call that needs them (or
// as the archive loads, for a small entry) and kept from then on.
class ZipFile : public CefZipArchive::File {
 public:
  ZipFile(std::shared_ptr<const ZipSource> source, std::shared_ptr<const ZipEntry> entry, std::shared_ptr<const Bytes> data)
      : source_(std::move(source)), entry_(std::move(entry)), data_(std::move(data)) {}
  const unsigned char* GetData() const override { return Data()->data(); }
  size_t GetDataSize() const override { return Data()->size(); }
  CefRefPtr<CefStreamReader> GetStreamReader() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (data_) return cefcompat::CreateSharedDataReader(data_);
    return new ZipEntryReader(source_, entry_);
  }

  // The entry's bytes, read at the first call; empty when it is damaged. Any thread.
  std::shared_ptr<const Bytes> Data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!data_) data_ = ReadWhole(source_, entry_);
    return data_;
  }

  static std::shared_ptr<const Bytes> ReadWhole(std::shared_ptr<const ZipSource> source, std::shared_ptr<const ZipEntry> entry) {
    auto data = std::make_shared<Bytes>(entry->size);
    CefRefPtr<ZipEntryReader> reader(new ZipEntryReader(std::move(source), entry));
    if (reader->Read(data->data(), 1, data->size()) != data->size()) data->clear();
    return data;
  }

 private:
  const std::shared_ptr<const ZipSource> source_;
  const std::shared_ptr<const ZipEntry> entry_;
  mutable std::mutex mutex_;
  mutable std::shared_ptr<const Bytes> data_;
  IMPLEMENT_REFCOUNTING(ZipFile);
};


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
  return cefcompat::AsciiLower(normal);
}

size_t CefZipArchive::Load(CefRefPtr<CefStreamReader> stream, const CefString& password, bool overwriteExisting) {
  if (!stream) return 0;
  const std::string secret = password.ToString();
  std::string error;
  const std::shared_ptr<const ZipSource> source = ZipSource::Open(stream, secret, error);
  if (!source) {
    cefcompat::Log(LOGSEVERITY_ERROR, "zip archive not readable: " + error);
    return 0;
  }
  const zip_uint64_t budget = ArchiveBudget(source->Size());
  const auto aesPassword = secret.empty() ? nullptr : std::make_unique<const cefcompat::WinZipAesPassword>(secret);
  size_t added = 0;
  zip_uint64_t inflated = 0;
  std::set<std::string> seen;
  zip_int64_t count = 0;
  {
    auto lock = source->Lock();
    count = zip_get_num_entries(source->Archive(), 0);
  }
  for (zip_int64_t i = 0; i < count; ++i) {
    auto entry = std::make_shared<ZipEntry>();
    std::string refusal;
    std::string problem;
    {
      auto lock = source->Lock();
      if (!Examine(*source, static_cast<zip_uint64_t>(i), aesPassword.get(), inflated, budget, *entry, refusal, problem)) continue;
    }
    if (refusal.empty() && !seen.insert(CefZipArchive::NormalizeName(entry->name)).second) {
      refusal = "an earlier entry of the archive has its name";
    }
    if (!refusal.empty()) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry refused, " + refusal + ": " + entry->name);
      continue;
    }
    if (!problem.empty()) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry not readable (" + problem + "): " + entry->name);
      continue;
    }
    // Small entries are read now, so a damaged one is found at once; larger
    // ones each time they are read.
    std::shared_ptr<const Bytes> data;
    if (entry->size <= kReadAtLoadBytes) {
      data = ZipFile::ReadWhole(source, entry);
      if (data->size() != entry->size) continue;
    }
    inflated += entry->size;
    const std::string name = CefZipArchive::NormalizeName(entry->name);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!overwriteExisting && files_.count(name)) continue;
    files_[name] = new ZipFile(source, std::move(entry), std::move(data));
    ++added;
  }
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
