#pragma once

#include <cstddef>

#include <QImage>

namespace cefcompat {

// A screencast frame's JPEG bytes decoded straight into the layout the surface
// paints (QImage::Format_RGB32), without Qt's decoder and its conversion from
// 24-bit RGB afterwards: at 1920x1080 that conversion alone was a third of the
// launcher's work per frame. A null image for bytes that are not a JPEG image;
// any thread.
QImage DecodeJpegFrame(const unsigned char* data, std::size_t size);

}  // namespace cefcompat
