#include "app/DemoPagesArchive.h"

#include <zip.h>

#include <QFileInfo>

namespace {

bool IsPasswordError(int code) { return code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD; }

// A wrong password shows at the latest when the content's checksum fails.
bool ReadsToTheEnd(zip_file_t* file) {
  char buffer[8192];
  zip_int64_t read = 0;
  while ((read = zip_fread(file, buffer, sizeof buffer)) > 0) {
  }
  return read == 0;
}

}  // namespace

QString DemoPagesArchive::Check(const QString& path, const QString& password) {
  if (!QFileInfo::exists(path)) return QString("The pages archive %1 does not exist").arg(path);
  int code = 0;
  zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &code);
  if (!archive) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString("The pages archive %1 cannot be opened: %2").arg(path, zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
  }
  zip_set_default_password(archive, password.toUtf8().constData());
  const QString result = _CheckIndex(archive, path);
  zip_discard(archive);
  return result;
}

QString DemoPagesArchive::_CheckIndex(zip_t* archive, const QString& path) {
  zip_file_t* file = zip_fopen(archive, kIndexPage, 0);
  if (!file) {
    const int code = zip_error_code_zip(zip_get_error(archive));
    if (IsPasswordError(code)) return QString("The pages archive %1 does not open with the launcher's password").arg(path);
    return QString("The pages archive %1 has no readable %2: %3").arg(path, kIndexPage, zip_strerror(archive));
  }
  const bool intact = ReadsToTheEnd(file);
  const int code = zip_error_code_zip(zip_file_get_error(file));
  zip_fclose(file);
  if (intact) return {};
  if (IsPasswordError(code) || code == ZIP_ER_CRC) {
    return QString("The pages archive %1 does not open with the launcher's password").arg(path);
  }
  return QString("The pages archive %1 is damaged (%2)").arg(path, kIndexPage);
}
