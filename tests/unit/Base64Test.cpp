// The runtime's base64 decoding of what Chromium sends (frames, bodies,
// binary values), checked against Qt's encoder.
#include <random>
#include <string>

#include <QByteArray>

#include <gtest/gtest.h>

#include "base/base64.h"

namespace cefcompat {
namespace {

std::string Encode(const std::string& bytes) {
  return QByteArray::fromStdString(bytes).toBase64().toStdString();
}

TEST(Base64Test, EveryLengthAndByteComesBackUnchanged) {
  std::mt19937 random(7);
  for (size_t length = 0; length < 300; ++length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    std::string decoded = "left over";
    ASSERT_TRUE(DecodeBase64(Encode(bytes), decoded)) << length;
    EXPECT_EQ(decoded, bytes) << length;
  }
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  std::string decoded;
  ASSERT_TRUE(DecodeBase64(Encode(all + all + all), decoded));
  EXPECT_EQ(decoded, all + all + all);
}

TEST(Base64Test, AnythingButStandardPaddedBase64IsRefusedAndLeavesNothing) {
  for (const char* text : {"QUJD=", "QUJ", "QU JD", "QUJD\n", "Q===", "=QUJ", "QU=D", "QUJD-_==", "QUJ\xff",
                           "QQ==QUJD", "QUJDQQ=?"}) {
    std::string decoded = "left over";
    EXPECT_FALSE(DecodeBase64(text, decoded)) << text;
    EXPECT_TRUE(decoded.empty()) << text;
  }
  std::string decoded = "left over";
  EXPECT_TRUE(DecodeBase64("", decoded));
  EXPECT_TRUE(decoded.empty());
}

}  // namespace
}  // namespace cefcompat
