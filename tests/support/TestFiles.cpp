#include "TestFiles.h"

#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

void AlterMiddleByte(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray bytes = file.readAll();
  ASSERT_FALSE(bytes.isEmpty());
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x10);
  file.seek(0);
  file.write(bytes);
}

std::string WriteZip(const QString& path, const std::vector<std::pair<std::string, std::string>>& entries,
                     const std::string& password) {
  int error = 0;
  zip_t* archive = zip_open(path.toStdString().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const auto& [name, content] : entries) {
    const zip_int64_t index =
        zip_file_add(archive, name.c_str(), zip_source_buffer(archive, content.data(), content.size(), 0), 0);
    if (!password.empty()) {
      zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password.c_str());
    }
  }
  EXPECT_EQ(zip_close(archive), 0);
  return path.toStdString();
}
