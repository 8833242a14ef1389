#include "archive/zip_entry_reader.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/log.h"

namespace cefcompat {

namespace {

constexpr size_t kPieceBytes = 64 * 1024;

// Up to `size` bytes of `file` (fewer only at its end); -1 when libzip fails,
// which for a file it decrypts or inflates includes a CRC that does not hold.
zip_int64_t ReadFile(const ZipSource& source, zip_file_t* file, unsigned char* data, size_t size) {
  auto lock = source.Lock();
  size_t done = 0;
  while (done < size) {
    const zip_int64_t got = zip_fread(file, data + done, size - done);
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<zip_int64_t>(done);
}

zip_file_t* OpenFile(const ZipSource& source, zip_uint64_t index, zip_flags_t flags) {
  auto lock = source.Lock();
  return zip_fopen_index(source.Archive(), index, flags);
}

void CloseFile(const ZipSource& source, zip_file_t* file) {
  auto lock = source.Lock();
  zip_fclose(file);
}

}  // namespace

ZipEntryReader::ZipEntryReader(std::shared_ptr<const ZipSource> source, std::shared_ptr<const ZipEntry> entry)
    : source_(std::move(source)), entry_(std::move(entry)) {}

ZipEntryReader::~ZipEntryReader() { Stop(); }

size_t ZipEntryReader::Read(void* ptr, size_t size, size_t n) {
  if (size == 0) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t want = std::min(n, (entry_->size - std::min(target_, entry_->size)) / size) * size;
  if (want == 0 || failed_) return 0;
  if (target_ < position_) {  // a seek back: from the start again
    Stop();
    position_ = 0;
  }
  unsigned char skipped[kPieceBytes];
  while (position_ < target_) {
    if (Produce(skipped, std::min(sizeof(skipped), target_ - position_)) == 0) return 0;
  }
  const size_t done = Produce(static_cast<unsigned char*>(ptr), want);
  target_ = position_;
  return done / size;
}

int ZipEntryReader::Seek(int64 offset, int whence) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int64 size = static_cast<int64>(entry_->size);
  const int64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64>(target_) : size;
  const int64 target = base + offset;
  if (target < 0 || target > size) return -1;
  target_ = static_cast<size_t>(target);  // reached at the next read
  return 0;
}

int64 ZipEntryReader::Tell() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int64>(target_);
}

int ZipEntryReader::Eof() {
  std::lock_guard<std::mutex> lock(mutex_);
  return failed_ || target_ >= entry_->size ? 1 : 0;  // a damaged entry gives nothing more
}

// Opens the entry at its start. An AES entry's code is checked first, over
// all its stored bytes, so that nothing unauthenticated is ever given.
bool ZipEntryReader::Start() {
  position_ = 0;
  crc_ = 0;
  inputEnded_ = streamEnded_ = false;
  inflater_ = z_stream{};
  if (entry_->keys && !Authentic()) return false;
  const zip_flags_t flags = entry_->keys ? ZIP_FL_ENCRYPTED : entry_->expandedHere ? ZIP_FL_COMPRESSED : 0;
  file_ = OpenFile(*source_, entry_->index, flags);
  if (!file_) return false;
  if (!entry_->expandedHere) return true;
  input_.resize(kPieceBytes);
  if (entry_->keys) {
    const size_t head = WinZipAesHeadBytes(entry_->keys->keyBytes);
    if (ReadStored(input_.data(), head) != static_cast<zip_int64_t>(head)) return false;
    encryptedLeft_ = entry_->storedSize - head - kWinZipAesCodeBytes;
    cipher_ = std::make_unique<WinZipAesCipher>(*entry_->keys);
  }
  if (entry_->method != ZIP_CM_DEFLATE) return true;
  inflating_ = inflateInit2(&inflater_, -MAX_WBITS) == Z_OK;  // raw deflate, as zip stores it
  return inflating_;
}

void ZipEntryReader::Stop() {
  if (inflating_) inflateEnd(&inflater_);
  inflating_ = false;
  if (file_) CloseFile(*source_, file_);
  file_ = nullptr;
  cipher_.reset();
}

bool ZipEntryReader::Authentic() {
  const WinZipAesKeys& keys = *entry_->keys;
  const size_t head = WinZipAesHeadBytes(keys.keyBytes);
  if (entry_->storedSize < head + kWinZipAesCodeBytes) return false;
  zip_file_t* file = OpenFile(*source_, entry_->index, ZIP_FL_ENCRYPTED);
  if (!file) return false;
  WinZipAesCode code(keys);
  std::vector<unsigned char> piece(kPieceBytes);
  bool ok = ReadFile(*source_, file, piece.data(), head) == static_cast<zip_int64_t>(head);
  for (zip_uint64_t left = entry_->storedSize - head - kWinZipAesCodeBytes; ok && left > 0;) {
    const size_t count = static_cast<size_t>(std::min<zip_uint64_t>(left, piece.size()));
    ok = ReadFile(*source_, file, piece.data(), count) == static_cast<zip_int64_t>(count) && code.Update(piece.data(), count);
    left -= count;
  }
  unsigned char stored[kWinZipAesCodeBytes];
  ok = ok && ReadFile(*source_, file, stored, sizeof(stored)) == static_cast<zip_int64_t>(sizeof(stored)) && code.Matches(stored);
  CloseFile(*source_, file);
  return ok;
}

// The next `want` bytes of contents, or none when they cannot all be given:
// the entry ends early, is damaged, or (with its last byte) fails its checks.
size_t ZipEntryReader::Produce(unsigned char* out, size_t want) {
  want = std::min(want, entry_->size - position_);
  if (failed_ || want == 0) return 0;
  if (!file_ && !Start()) {
    Fail();
    return 0;
  }
  size_t got = 0;
  if (!entry_->expandedHere) {
    const zip_int64_t read = ReadStored(out, want);
    got = read < 0 ? 0 : static_cast<size_t>(read);
  } else {
    got = inflating_ ? Inflate(out, want) : Copy(out, want);
    if (CrcKept()) crc_ = libdeflate_crc32(crc_, out, got);
  }
  if (got < want) {
    Fail();
    return 0;
  }
  position_ += got;
  if (position_ == entry_->size && !Finish()) {
    Fail();
    return 0;
  }
  return got;
}

size_t ZipEntryReader::Copy(unsigned char* out, size_t want) {
  size_t done = 0;
  while (done < want) {
    if (inflater_.avail_in == 0 && (inputEnded_ || !Fill() || inflater_.avail_in == 0)) break;
    const size_t count = std::min<size_t>(want - done, inflater_.avail_in);
    std::memcpy(out + done, inflater_.next_in, count);
    inflater_.next_in += count;
    inflater_.avail_in -= static_cast<uInt>(count);
    done += count;
  }
  return done;
}

size_t ZipEntryReader::Inflate(unsigned char* out, size_t want) {
  size_t done = 0;
  while (done < want && !streamEnded_) {
    if (inflater_.avail_in == 0 && !inputEnded_ && !Fill()) break;
    inflater_.next_out = out + done;
    inflater_.avail_out = static_cast<uInt>(std::min<size_t>(want - done, UINT32_MAX));
    const uInt room = inflater_.avail_out;
    const int result = inflate(&inflater_, Z_NO_FLUSH);
    done += room - inflater_.avail_out;
    if (result == Z_STREAM_END) streamEnded_ = true;
    else if (result == Z_BUF_ERROR ? (inputEnded_ || inflater_.avail_in > 0) : result != Z_OK) break;
  }
  return done;
}

// At the last byte: the entry holds nothing more than it declares, and its CRC
// holds (libzip checks it when it reads to the end itself).
bool ZipEntryReader::Finish() {
  if (!entry_->expandedHere) {
    unsigned char beyond = 0;
    return ReadStored(&beyond, 1) == 0;
  }
  if (inflating_) {
    // The deflated data's end may come after its last byte was given; no
    // byte may come before it.
    unsigned char beyond = 0;
    if (!streamEnded_ && (Inflate(&beyond, 1) > 0 || !streamEnded_)) return false;
  } else if (inflater_.avail_in > 0 || (!inputEnded_ && (!Fill() || inflater_.avail_in > 0))) {
    return false;
  }
  return !CrcKept() || crc_ == entry_->crc;
}

// The next piece of stored bytes, decrypted, for Copy and Inflate.
bool ZipEntryReader::Fill() {
  size_t want = input_.size();
  if (cipher_) want = static_cast<size_t>(std::min<zip_uint64_t>(want, encryptedLeft_));
  const zip_int64_t got = want == 0 ? 0 : ReadStored(input_.data(), want);
  if (got < 0) return false;
  if (got == 0) {
    inputEnded_ = true;
    return true;
  }
  const auto count = static_cast<size_t>(got);
  if (cipher_) {
    if (!cipher_->Apply(input_.data(), count, input_.data())) return false;
    encryptedLeft_ -= count;
  }
  inflater_.next_in = input_.data();
  inflater_.avail_in = static_cast<uInt>(count);
  return true;
}

// AE-2 leaves the CRC 0 and relies on the authentication code.
bool ZipEntryReader::CrcKept() const { return !entry_->keys || entry_->crc != 0; }

zip_int64_t ZipEntryReader::ReadStored(unsigned char* data, size_t size) { return ReadFile(*source_, file_, data, size); }

void ZipEntryReader::Fail() {
  if (!failed_) Log(LOGSEVERITY_ERROR, "zip entry damaged or wrong password: " + entry_->name);
  failed_ = true;
  Stop();
}

}  // namespace cefcompat
