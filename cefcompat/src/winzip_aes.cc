#include "winzip_aes.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace cefcompat {

namespace {

constexpr int kKeyIterations = 1000;
constexpr size_t kVerifierBytes = 2;
constexpr size_t kCodeBytes = 10;
constexpr size_t kBlockBytes = 16;
constexpr size_t kBlocksPerRound = 4096;  // 64 KB of key stream at a time

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

const EVP_CIPHER* BlockCipher(int keyBytes) {
  if (keyBytes == 16) return EVP_aes_128_ecb();
  if (keyBytes == 24) return EVP_aes_192_ecb();
  return EVP_aes_256_ecb();
}

// The format's counter mode: the key stream is AES of a 16-byte
// little-endian counter that starts at 1, XORed into the data.
bool ApplyKeyStream(const unsigned char* key, int keyBytes, const unsigned char* in, size_t size, unsigned char* out) {
  CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context || EVP_EncryptInit_ex(context.get(), BlockCipher(keyBytes), nullptr, key, nullptr) != 1) return false;
  EVP_CIPHER_CTX_set_padding(context.get(), 0);
  std::vector<unsigned char> counters(kBlocksPerRound * kBlockBytes, 0);
  std::vector<unsigned char> stream(counters.size());
  unsigned long long counter = 0;
  for (size_t at = 0; at < size; at += counters.size()) {
    const size_t blocks = std::min(kBlocksPerRound, (size - at + kBlockBytes - 1) / kBlockBytes);
    for (size_t block = 0; block < blocks; ++block) {
      unsigned long long value = ++counter;
      for (size_t i = 0; i < sizeof(value); ++i, value >>= 8) counters[block * kBlockBytes + i] = value & 0xff;
    }
    int produced = 0;
    if (EVP_EncryptUpdate(context.get(), stream.data(), &produced, counters.data(),
                          static_cast<int>(blocks * kBlockBytes)) != 1) {
      return false;
    }
    const size_t count = std::min(size - at, blocks * kBlockBytes);
    for (size_t i = 0; i < count; ++i) out[at + i] = in[at + i] ^ stream[i];
  }
  return true;
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

bool DecryptWinZipAes(const std::vector<unsigned char>& stored, const WinZipAesKeys& keys,
                      std::vector<unsigned char>& data) {
  data.clear();
  const int keyBytes = keys.keyBytes;
  const size_t headBytes = WinZipAesHeadBytes(keyBytes);
  if (keyBytes == 0 || stored.size() < headBytes + kCodeBytes) return false;
  const unsigned char* encrypted = stored.data() + headBytes;
  const size_t size = stored.size() - headBytes - kCodeBytes;
  unsigned char code[EVP_MAX_MD_SIZE];
  unsigned int codeBytes = 0;
  if (!HMAC(EVP_sha1(), keys.material.data() + keyBytes, keyBytes, encrypted, size, code, &codeBytes) ||
      codeBytes < kCodeBytes || CRYPTO_memcmp(code, encrypted + size, kCodeBytes) != 0) {
    return false;
  }
  data.resize(size);
  if (ApplyKeyStream(keys.material.data(), keyBytes, encrypted, size, data.data())) return true;
  data.clear();
  return false;
}

}  // namespace cefcompat
