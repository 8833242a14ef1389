#pragma once
// WinZip's AES encryption of zip entries (AE-1 and AE-2), decrypted in bulk.
// libzip decrypts one 16-byte block per call through OpenSSL's unaccelerated
// block function, which makes password-protected pages several times slower
// than plain ones; this reads the same format at the speed of the hardware's
// AES instructions.

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

// Derives the keys from the head of an entry's stored data (at least
// WinZipAesHeadBytes bytes); false when the password does not match.
bool DeriveWinZipAesKeys(const unsigned char* head, int keyBytes, const std::string& password, WinZipAesKeys& keys);

// `stored` is the entry's data as the archive holds it: salt, password
// verifier, encrypted data, authentication code. On success `data` holds the
// decrypted (still compressed) data. False when the data was altered or is
// too short; `data` is then empty.
bool DecryptWinZipAes(const std::vector<unsigned char>& stored, const WinZipAesKeys& keys,
                      std::vector<unsigned char>& data);

}  // namespace cefcompat
