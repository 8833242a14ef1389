#pragma once

#include <string>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>

// Files for tests that serve pages from disk: parent folders are made.
void WriteFile(const QString& path, const QByteArray& bytes);
// A zip archive of `entries` (name, content); AES-256 when a password is given.
std::string WriteZip(const QString& path, const std::vector<std::pair<std::string, std::string>>& entries,
                     const std::string& password = "");
// Flips one bit of the byte in the middle of the file at `path` (in an
// archive of one large entry, a byte of that entry's data).
void AlterMiddleByte(const QString& path);
