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

// `stored` is the entry's data as the archive holds it: salt, password
// verifier, encrypted data, authentication code. On success `data` holds the
// decrypted (still compressed) data. False when the password is wrong, the
// data was altered or is too short; `data` is then empty.
bool DecryptWinZipAes(const std::vector<unsigned char>& stored, int keyBytes, const std::string& password,
                      std::vector<unsigned char>& data);

}  // namespace cefcompat
