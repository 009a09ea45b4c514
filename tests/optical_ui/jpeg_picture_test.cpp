#include "app/jpeg_picture.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

// Encodes a picture with libjpeg itself, so the decoder is tested against the library's
// own output in every colour space it accepts.
QByteArray encode(int width, int height, J_COLOR_SPACE space, int components,
                  unsigned char (*pixel)(int x, int y, int c)) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(width) * size_t(components));
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) row[size_t(x * components + c)] = pixel(x, y, c);
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

unsigned char redLeftBlueRight(int x, int, int c) {
    if (x < 16) return c == 0 ? 230 : 20;
    return c == 2 ? 230 : 20;
}
// Busy pixels, so that most of the file is picture data rather than tables.
unsigned char busyPixels(int x, int y, int c) { return static_cast<unsigned char>((x * 37 + y * 91 + c * 53) * 2654435761u >> 24); }
unsigned char greyRamp(int x, int, int) { return static_cast<unsigned char>(x * 4); }

}  // namespace

TEST(JpegPicture, DecodesColourPictureWithItsPixels) {
    const QByteArray bytes = encode(32, 8, JCS_RGB, 3, redLeftBlueRight);
    QString error = "untouched";
    const QImage image = zv::app::decodeJpeg(bytes, &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(image.width(), 32);
    EXPECT_EQ(image.height(), 8);
    const QColor left = image.pixelColor(4, 4), right = image.pixelColor(28, 4);
    EXPECT_GT(left.red(), 200);
    EXPECT_LT(left.blue(), 60);
    EXPECT_GT(right.blue(), 200);
    EXPECT_LT(right.red(), 60);
}

TEST(JpegPicture, DecodesGreyPictureAsRgb) {
    const QImage image = zv::app::decodeJpeg(encode(64, 4, JCS_GRAYSCALE, 1, greyRamp));
    ASSERT_FALSE(image.isNull());
    const QColor dark = image.pixelColor(2, 1), light = image.pixelColor(60, 1);
    EXPECT_LT(dark.red(), 30);
    EXPECT_GT(light.red(), 210);
    EXPECT_NEAR(light.red(), light.green(), 2);
}

TEST(JpegPicture, RefusesBytesThatAreNoJpegWithAReason) {
    QString error;
    EXPECT_TRUE(zv::app::decodeJpeg(QByteArray("GIF89a not a jpeg at all"), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(zv::app::decodeJpeg(QByteArray(), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}

TEST(JpegPicture, PictureThatEndsEarlyStillDecodes) {
    const QByteArray bytes = encode(128, 128, JCS_RGB, 3, busyPixels);
    QString error;
    const QImage image = zv::app::decodeJpeg(bytes.left(bytes.size() * 2 / 3), &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_EQ(image.size(), QSize(128, 128));
}

TEST(JpegPicture, HeaderOnlyFragmentFailsWithoutCrashing) {
    const QByteArray bytes = encode(64, 64, JCS_RGB, 3, redLeftBlueRight);
    QString error;
    EXPECT_TRUE(zv::app::decodeJpeg(bytes.left(20), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}

TEST(JpegPicture, OpticalWindowPictureIsAShippedJpeg) {
    Q_INIT_RESOURCE(optical);
    QString error;
    const QImage image = zv::app::loadJpegPicture(":/optical/optical_header.jpg", &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_GT(image.width(), 16);
    QFile raw(":/optical/optical_header.jpg");
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.read(2) == QByteArray("\xFF\xD8", 2));
}

TEST(JpegPicture, MissingFileNamesThePath) {
    QString error;
    EXPECT_TRUE(zv::app::loadJpegPicture("/nonexistent/picture.jpg", &error).isNull());
    EXPECT_TRUE(error.contains("/nonexistent/picture.jpg"));
}
