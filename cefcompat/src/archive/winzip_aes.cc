// SHA1_Init and its kin are deprecated in OpenSSL 3 in favour of EVP, which
// is too slow for the key rounds (see WinZipAesPassword::Pads).
#define OPENSSL_SUPPRESS_DEPRECATED
#include "archive/winzip_aes.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/sha.h>
#include <zip.h>

#include <endian.h>

#include <algorithm>
#include <cstdint>
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

// out = in ^ key over `count` bytes, eight at a time: byte by byte, the
// compiler neither vectorises nor widens the loop (`out` may alias anything),
// and it took more time than the AES.
void Xor(const unsigned char* in, const unsigned char* key, size_t count, unsigned char* out) {
  size_t i = 0;
  for (; i + sizeof(uint64_t) <= count; i += sizeof(uint64_t)) {
    uint64_t word;
    uint64_t mask;
    std::memcpy(&word, in + i, sizeof(word));
    std::memcpy(&mask, key + i, sizeof(mask));
    word ^= mask;
    std::memcpy(out + i, &word, sizeof(word));
  }
  for (; i < count; ++i) out[i] = in[i] ^ key[i];
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

// The SHA-1 state after one block of each pad: OpenSSL's EVP interface costs
// more per call than hashing a round's 20 bytes, and a round has two such
// hashes, so the rounds use the low-level SHA-1 functions.
struct WinZipAesPassword::Pads {
  SHA_CTX inner;
  SHA_CTX outer;
};

WinZipAesPassword::WinZipAesPassword(const std::string& password) : pads_(std::make_unique<Pads>()) {
  unsigned char key[SHA_CBLOCK] = {};
  if (password.size() > sizeof(key)) {  // HMAC hashes a long key first
    SHA1(reinterpret_cast<const unsigned char*>(password.data()), password.size(), key);
  } else {
    std::memcpy(key, password.data(), password.size());
  }
  unsigned char inner[SHA_CBLOCK];
  unsigned char outer[SHA_CBLOCK];
  for (size_t i = 0; i < sizeof(key); ++i) {
    inner[i] = key[i] ^ 0x36;
    outer[i] = key[i] ^ 0x5c;
  }
  SHA1_Init(&pads_->inner);
  SHA1_Update(&pads_->inner, inner, sizeof(inner));
  SHA1_Init(&pads_->outer);
  SHA1_Update(&pads_->outer, outer, sizeof(outer));
  OPENSSL_cleanse(key, sizeof(key));
  OPENSSL_cleanse(inner, sizeof(inner));
  OPENSSL_cleanse(outer, sizeof(outer));
}

WinZipAesPassword::~WinZipAesPassword() { OPENSSL_cleanse(pads_.get(), sizeof(Pads)); }

void WinZipAesPassword::Pbkdf2(const unsigned char* salt, size_t saltBytes, unsigned char* out, size_t outBytes) const {
  const auto hmac = [this](const unsigned char* data, size_t size, unsigned char* code) {
    unsigned char inner[SHA_DIGEST_LENGTH];
    SHA_CTX context = pads_->inner;
    SHA1_Update(&context, data, size);
    SHA1_Final(inner, &context);
    context = pads_->outer;
    SHA1_Update(&context, inner, sizeof(inner));
    SHA1_Final(code, &context);
  };
  std::vector<unsigned char> first(salt, salt + saltBytes);
  first.resize(saltBytes + 4);
  for (uint32_t block = 1; outBytes > 0; ++block) {
    for (int i = 0; i < 4; ++i) first[saltBytes + i] = static_cast<unsigned char>(block >> (24 - 8 * i));
    unsigned char round[SHA_DIGEST_LENGTH];
    unsigned char sum[SHA_DIGEST_LENGTH];
    hmac(first.data(), first.size(), round);
    std::memcpy(sum, round, sizeof(sum));
    for (int i = 1; i < kKeyIterations; ++i) {
      hmac(round, sizeof(round), round);
      for (size_t k = 0; k < sizeof(sum); ++k) sum[k] ^= round[k];
    }
    const size_t taken = std::min(outBytes, sizeof(sum));
    std::memcpy(out, sum, taken);
    OPENSSL_cleanse(round, sizeof(round));
    OPENSSL_cleanse(sum, sizeof(sum));
    out += taken;
    outBytes -= taken;
  }
}

bool WinZipAesPassword::DeriveKeys(const unsigned char* head, int keyBytes, WinZipAesKeys& keys) const {
  if (keyBytes <= 0) return false;
  const size_t saltBytes = static_cast<size_t>(keyBytes) / 2;
  keys.keyBytes = keyBytes;
  keys.material.assign(2 * static_cast<size_t>(keyBytes) + kVerifierBytes, 0);
  Pbkdf2(head, saltBytes, keys.material.data(), keys.material.size());
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
    const uint64_t value = htole64(++counter_);
    std::memcpy(&counters_[block * kBlockBytes], &value, sizeof(value));
  }
  stream_.resize(counters_.size());
  used_ = 0;
  int produced = 0;
  return EVP_EncryptUpdate(context_.get(), stream_.data(), &produced, counters_.data(),
                           static_cast<int>(counters_.size())) == 1 &&
         produced == static_cast<int>(counters_.size());
}

bool WinZipAesCipher::Apply(const unsigned char* in, size_t size, unsigned char* out) {
  if (!context_) return false;
  while (size > 0) {
    if (used_ == stream_.size() && !Refill()) return false;
    const size_t count = std::min(size, stream_.size() - used_);
    Xor(in, stream_.data() + used_, count, out);
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
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                               OSSL_PARAM_construct_end()};
  if (context_ && (keys.keyBytes == 0 || EVP_MAC_init(context_.get(), keys.material.data() + keys.keyBytes,
                                                      static_cast<size_t>(keys.keyBytes), params) != 1)) {
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
