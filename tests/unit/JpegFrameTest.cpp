// Screencast frames decoded straight into 32-bit pixels.
#include <cstdlib>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "view/jpeg_frame.h"

namespace cefcompat {
namespace {

QByteArray Jpeg(const QImage& image, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", quality);
  return bytes;
}

QImage Decode(const QByteArray& bytes) {
  return DecodeJpegFrame(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
}

bool Near(QRgb pixel, QColor colour) {
  return std::abs(qRed(pixel) - colour.red()) <= 2 && std::abs(qGreen(pixel) - colour.green()) <= 2 &&
         std::abs(qBlue(pixel) - colour.blue()) <= 2;
}

TEST(JpegFrameTest, AFrameComesOutAtItsSizeWithItsColoursInPlace) {
  // Odd sizes and colours that tell the channels apart.
  QImage page(333, 201, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  painter.fillRect(0, 0, 160, 100, QColor(200, 30, 40));
  painter.fillRect(170, 0, 163, 100, QColor(30, 200, 40));
  painter.fillRect(0, 110, 333, 91, QColor(40, 30, 200));
  painter.end();
  const QImage frame = Decode(Jpeg(page, 100));
  ASSERT_FALSE(frame.isNull());
  EXPECT_EQ(frame.size(), page.size());
  EXPECT_EQ(frame.format(), QImage::Format_RGB32);
  EXPECT_TRUE(Near(frame.pixel(80, 50), QColor(200, 30, 40)));
  EXPECT_TRUE(Near(frame.pixel(250, 50), QColor(30, 200, 40)));
  EXPECT_TRUE(Near(frame.pixel(166, 150), QColor(40, 30, 200)));
  EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 255);
}

// libjpeg's own answer to broken data is to end the process.
TEST(JpegFrameTest, BytesThatAreNoJpegOrAreCutShortGiveNoFrameAndALogLine) {
  LogCapture log;
  EXPECT_TRUE(Decode(QByteArray()).isNull());
  EXPECT_TRUE(Decode(QByteArray("not a picture at all")).isNull());
  QImage png(16, 16, QImage::Format_RGB32);
  png.fill(Qt::red);
  QByteArray pngBytes;
  QBuffer buffer(&pngBytes);
  buffer.open(QIODevice::WriteOnly);
  png.save(&buffer, "PNG");
  EXPECT_TRUE(Decode(pngBytes).isNull());
  EXPECT_EQ(log.Matching("a screencast frame is not a JPEG image").size(), 3u);
  // A frame cut short still decodes (libjpeg pads what is missing): the
  // surface shows something rather than nothing, and nothing crashes.
  QImage page(640, 480, QImage::Format_RGB32);
  page.fill(Qt::gray);
  const QByteArray whole = Jpeg(page, 90);
  const QImage cut = Decode(whole.left(whole.size() / 2));
  EXPECT_EQ(cut.size(), page.size());
}

}  // namespace
}  // namespace cefcompat
