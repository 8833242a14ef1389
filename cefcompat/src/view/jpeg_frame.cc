#include "view/jpeg_frame.h"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <utility>

#include <jpeglib.h>

#include "base/log.h"

namespace cefcompat {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back into DecodeJpegFrame instead of ending the process.
struct FrameErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf resume;
};

[[noreturn]] void LeaveDecoding(j_common_ptr info) {
  char message[JMSG_LENGTH_MAX];
  info->err->format_message(info, message);
  Log(LOGSEVERITY_WARNING, std::string("a screencast frame is not a JPEG image: ") + message);
  std::longjmp(reinterpret_cast<FrameErrorManager*>(info->err)->resume, 1);
}

void IgnoreWarning(j_common_ptr, int) {}

// Decoding state lives here, outside the function that calls setjmp, so that
// nothing a jump skips over needs destroying.
struct FrameDecoding {
  jpeg_decompress_struct info{};
  FrameErrorManager errors{};
  QImage image;
};

bool Decode(FrameDecoding& decoding, const unsigned char* data, std::size_t size) {
  jpeg_decompress_struct& info = decoding.info;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  // Little-endian ARGB32 is B, G, R, X in memory.
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  decoding.image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                          QImage::Format_RGB32);
  if (decoding.image.isNull()) return false;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = decoding.image.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

QImage DecodeJpegFrame(const unsigned char* data, std::size_t size) {
  static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "frames are decoded as B, G, R, X bytes");
  FrameDecoding decoding;
  decoding.info.err = jpeg_std_error(&decoding.errors.base);
  decoding.errors.base.error_exit = LeaveDecoding;
  decoding.errors.base.emit_message = IgnoreWarning;
  // Set before libjpeg can fail at all; destroying what was never created
  // (zeroed) does nothing.
  if (setjmp(decoding.errors.resume) != 0) {
    jpeg_destroy_decompress(&decoding.info);
    return QImage();
  }
  jpeg_create_decompress(&decoding.info);
  const bool decoded = Decode(decoding, data, size);
  jpeg_destroy_decompress(&decoding.info);
  return decoded ? std::move(decoding.image) : QImage();
}

}  // namespace cefcompat
