#include "winzip_aes.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/core_names.h>
#include <openssl/params.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace cefcompat {

namespace {

constexpr int kKeyIterations = 1000;
constexpr size_t kVerifierBytes = 2;
constexpr size_t kBlockBytes = 16;
constexpr size_t kBlocksPerRound = 4096;  // 64 KB of key stream at a time

const EVP_CIPHER* BlockCipher(int keyBytes) {
  if (keyBytes == 16) return EVP_aes_128_ecb();
  if (keyBytes == 24) return EVP_aes_192_ecb();
  return EVP_aes_256_ecb();
}

}  // namespace

int WinZipAesKeyBytes(int encryptionMethod) {
  switch (encryptionMethod) {
    case ZIP_EM_AES_128: return 16;
    case ZIP_EM_AES_192: return 24;
    case ZIP_EM_AES_256: return 32;
    default: return 0;
  }
}

size_t WinZipAesHeadBytes(int keyBytes) { return static_cast<size_t>(keyBytes) / 2 + kVerifierBytes; }

bool DeriveWinZipAesKeys(const unsigned char* head, int keyBytes, const std::string& password, WinZipAesKeys& keys) {
  const size_t saltBytes = static_cast<size_t>(keyBytes) / 2;
  keys.keyBytes = keyBytes;
  keys.material.assign(2 * static_cast<size_t>(keyBytes) + kVerifierBytes, 0);
  if (keyBytes == 0 || PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), head,
                                              static_cast<int>(saltBytes), kKeyIterations,
                                              static_cast<int>(keys.material.size()), keys.material.data()) != 1) {
    return false;
  }
  return CRYPTO_memcmp(keys.material.data() + 2 * keyBytes, head + saltBytes, kVerifierBytes) == 0;
}

WinZipAesCipher::WinZipAesCipher(const WinZipAesKeys& keys) : context_(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free) {
  if (!context_ || keys.keyBytes == 0 ||
      EVP_EncryptInit_ex(context_.get(), BlockCipher(keys.keyBytes), nullptr, keys.material.data(), nullptr) != 1) {
    context_.reset();
    return;
  }
  EVP_CIPHER_CTX_set_padding(context_.get(), 0);
}

// The next 64 KB of key stream: AES of a 16-byte little-endian counter that
// starts at 1.
bool WinZipAesCipher::Refill() {
  counters_.resize(kBlocksPerRound * kBlockBytes);  // the high 8 bytes of each stay 0
  for (size_t block = 0; block < kBlocksPerRound; ++block) {
    unsigned long long value = ++counter_;
    for (size_t i = 0; i < sizeof(value); ++i, value >>= 8) counters_[block * kBlockBytes + i] = value & 0xff;
  }
  stream_.resize(counters_.size());
  used_ = 0;
  int produced = 0;
  return EVP_EncryptUpdate(context_.get(), stream_.data(), &produced, counters_.data(), static_cast<int>(counters_.size())) == 1 &&
         produced == static_cast<int>(counters_.size());
}

bool WinZipAesCipher::Apply(const unsigned char* in, size_t size, unsigned char* out) {
  if (!context_) return false;
  while (size > 0) {
    if (used_ == stream_.size() && !Refill()) return false;
    const size_t count = std::min(size, stream_.size() - used_);
    for (size_t i = 0; i < count; ++i) out[i] = in[i] ^ stream_[used_ + i];
    used_ += count;
    in += count;
    out += count;
    size -= count;
  }
  return true;
}

WinZipAesCode::WinZipAesCode(const WinZipAesKeys& keys) : context_(nullptr, &EVP_MAC_CTX_free) {
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  if (!mac) return;
  context_.reset(EVP_MAC_CTX_new(mac));
  EVP_MAC_free(mac);
  char digest[] = "SHA1";
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_construct_end()};
  if (context_ && (keys.keyBytes == 0 ||
                   EVP_MAC_init(context_.get(), keys.material.data() + keys.keyBytes, static_cast<size_t>(keys.keyBytes), params) != 1)) {
    context_.reset();
  }
}

bool WinZipAesCode::Update(const unsigned char* data, size_t size) {
  return context_ && EVP_MAC_update(context_.get(), data, size) == 1;
}

bool WinZipAesCode::Matches(const unsigned char* code) {
  unsigned char full[EVP_MAX_MD_SIZE];
  size_t bytes = 0;
  return context_ && EVP_MAC_final(context_.get(), full, &bytes, sizeof(full)) == 1 && bytes >= kWinZipAesCodeBytes &&
         CRYPTO_memcmp(full, code, kWinZipAesCodeBytes) == 0;
}

}  // namespace cefcompat
