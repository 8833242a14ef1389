#pragma once
// WinZip's AES encryption of zip entries (AE-1 and AE-2), decrypted many
// blocks at a time. libzip decrypts one 16-byte block per call through
// OpenSSL's unaccelerated block function, which makes password-protected pages
// several times slower than plain ones; this reads the same format at the
// speed of the hardware's AES instructions.

#include <openssl/evp.h>

#include <memory>
#include <string>
#include <vector>

namespace cefcompat {

// The AES key length, in bytes, of libzip's encryption method, or 0 when the
// method is not WinZip AES.
int WinZipAesKeyBytes(int encryptionMethod);

// The bytes an entry's stored data starts with: the salt and the password verifier.
size_t WinZipAesHeadBytes(int keyBytes);

// An entry's keys, derived from the password and the entry's salt.
struct WinZipAesKeys {
  int keyBytes = 0;
  std::vector<unsigned char> material;  // AES key, authentication key, password verifier
};

// A password made ready to derive the keys of many entries (each has a salt
// of its own). The keys are PBKDF2 with HMAC-SHA1 over a thousand rounds; the
// password's two HMAC pads are hashed once here instead of in every round,
// which makes an archive of hundreds of entries open several times faster
// than through OpenSSL's PBKDF2. Any thread.
class WinZipAesPassword {
 public:
  explicit WinZipAesPassword(const std::string& password);
  ~WinZipAesPassword();
  WinZipAesPassword(const WinZipAesPassword&) = delete;
  WinZipAesPassword& operator=(const WinZipAesPassword&) = delete;

  // Derives the keys from the head of an entry's stored data (at least
  // WinZipAesHeadBytes bytes); false when the password does not match.
  bool DeriveKeys(const unsigned char* head, int keyBytes, WinZipAesKeys& keys) const;

 private:
  struct Pads;
  // Fills `out` with PBKDF2-HMAC-SHA1 of the password over `salt`.
  void Pbkdf2(const unsigned char* salt, size_t saltBytes, unsigned char* out, size_t outBytes) const;

  std::unique_ptr<Pads> pads_;
};

// The bytes an entry's stored data ends with: its authentication code.
constexpr size_t kWinZipAesCodeBytes = 10;

// The format's counter mode over an entry's encrypted data (what follows the
// head), applied piece by piece: pieces of any size decrypt as the whole would.
class WinZipAesCipher {
 public:
  explicit WinZipAesCipher(const WinZipAesKeys& keys);
  // Decrypts the next `size` bytes; false when OpenSSL fails.
  bool Apply(const unsigned char* in, size_t size, unsigned char* out);

 private:
  bool Refill();

  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context_;
  unsigned long long counter_ = 0;
  std::vector<unsigned char> counters_;
  std::vector<unsigned char> stream_;  // key stream not yet used, from `used_` on
  size_t used_ = 0;
};

// The authentication code of an entry's encrypted data, fed piece by piece.
class WinZipAesCode {
 public:
  explicit WinZipAesCode(const WinZipAesKeys& keys);
  bool Update(const unsigned char* data, size_t size);
  // Whether `code` (kWinZipAesCodeBytes, the stored data's end) is the code of all that was fed.
  bool Matches(const unsigned char* code);

 private:
  std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> context_;
};

}  // namespace cefcompat
