#include "include/wrapper/cef_zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "log.h"

namespace cefcompat {
CefRefPtr<CefStreamReader> CreateSharedDataReader(std::shared_ptr<const std::vector<unsigned char>> bytes);
}

namespace {

class ZipFile : public CefZipArchive::File {
 public:
  explicit ZipFile(std::shared_ptr<const std::vector<unsigned char>> data) : data_(std::move(data)) {}
  const unsigned char* GetData() const override { return data_->data(); }
  size_t GetDataSize() const override { return data_->size(); }
  CefRefPtr<CefStreamReader> GetStreamReader() const override { return cefcompat::CreateSharedDataReader(data_); }

 private:
  std::shared_ptr<const std::vector<unsigned char>> data_;
  IMPLEMENT_REFCOUNTING(ZipFile);
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::vector<unsigned char> ReadAll(CefRefPtr<CefStreamReader> stream) {
  std::vector<unsigned char> bytes;
  unsigned char chunk[64 * 1024];
  for (size_t got; (got = stream->Read(chunk, 1, sizeof(chunk))) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
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
  const std::vector<unsigned char> bytes = ReadAll(stream);
  if (bytes.empty()) {
    cefcompat::Log(LOGSEVERITY_ERROR, "zip archive not readable: the file is empty");
    return 0;
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
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
  size_t added = 0;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) continue;
    const std::string raw = stat.name;
    if (!raw.empty() && (raw.back() == '/' || raw.back() == '\\')) continue;  // a directory
    const std::string name = NormalizeName(raw);
    if (name.empty()) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry refused, its path leaves the archive: " + raw);
      continue;
    }
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (!file) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry not readable (" + std::string(zip_strerror(archive)) + "): " + raw);
      continue;
    }
    auto data = std::make_shared<std::vector<unsigned char>>(static_cast<size_t>(stat.size));
    const zip_int64_t read = zip_fread(file, data->data(), data->size());
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) {
      cefcompat::Log(LOGSEVERITY_ERROR, "zip entry damaged or wrong password: " + raw);
      continue;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (!overwriteExisting && files_.count(name)) continue;
    files_[name] = new ZipFile(std::move(data));
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
