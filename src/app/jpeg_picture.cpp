#include "app/jpeg_picture.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace zv::app {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the decoder's recovery point. Everything the jump skips lives in this C-style state, so
// no C++ object is left half-built by it.
struct DecodeState {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf recovery{};
    char message[JMSG_LENGTH_MAX] = {};
};

void onFatalError(j_common_ptr info) {
    auto* state = reinterpret_cast<DecodeState*>(info->client_data);
    (*info->err->format_message)(info, state->message);
    std::longjmp(state->recovery, 1);
}

// Warnings (a picture that ends early, say) are not errors: the picture is still shown.
void onMessage(j_common_ptr, int) {}

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

// Converts one scan line of Adobe-style (inverted) CMYK into RGB.
void cmykToRgb(const JSAMPLE* in, uchar* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        int c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        out[3 * x] = uchar(c * k / 255);
        out[3 * x + 1] = uchar(m * k / 255);
        out[3 * x + 2] = uchar(y * k / 255);
    }
}

// The decoding proper. `image` and `row` are owned by the caller, so that the jump back
// from a fatal error skips no destructor.
bool decodeInto(DecodeState& state, const QByteArray& bytes, QImage& image, QByteArray& row) {
    state.info.err = jpeg_std_error(&state.errors);
    state.errors.error_exit = onFatalError;
    state.errors.emit_message = onMessage;
    state.info.client_data = &state;
    if (setjmp(state.recovery)) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    jpeg_create_decompress(&state.info);
    jpeg_mem_src(&state.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&state.info, TRUE);

    const bool cmyk = state.info.jpeg_color_space == JCS_CMYK || state.info.jpeg_color_space == JCS_YCCK;
    state.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (state.info.image_width > unsigned(kMaxJpegSide) || state.info.image_height > unsigned(kMaxJpegSide)) {
        std::snprintf(state.message, sizeof state.message, "picture of %ux%u pixels is too large",
                      state.info.image_width, state.info.image_height);
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    jpeg_start_decompress(&state.info);

    const int width = int(state.info.output_width);
    const int height = int(state.info.output_height);
    image = QImage(width, height, QImage::Format_RGB888);
    if (image.isNull()) {
        std::snprintf(state.message, sizeof state.message, "not enough memory for the picture");
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    row.resize(qsizetype(width) * state.info.output_components);
    // Adobe writes CMYK inverted; its marker tells.
    const bool inverted = state.info.saw_Adobe_marker;
    while (state.info.output_scanline < state.info.output_height) {
        const int line = int(state.info.output_scanline);
        JSAMPROW target = cmyk ? reinterpret_cast<JSAMPROW>(row.data()) : image.scanLine(line);
        jpeg_read_scanlines(&state.info, &target, 1);
        if (cmyk) cmykToRgb(reinterpret_cast<const JSAMPLE*>(row.constData()), image.scanLine(line), width, inverted);
    }
    jpeg_finish_decompress(&state.info);
    jpeg_destroy_decompress(&state.info);
    return true;
}

}  // namespace

QImage decodeJpeg(const QByteArray& bytes, QString* error) {
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("the picture is empty"));
        return {};
    }
    DecodeState state;
    QImage image;
    QByteArray row;
    if (!decodeInto(state, bytes, image, row)) {
        setError(error, QString::fromLocal8Bit(state.message));
        return {};
    }
    setError(error, QString());
    return image;
}

QImage loadJpegPicture(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return {};
    }
    QString reason;
    QImage image = decodeJpeg(file.readAll(), &reason);
    if (image.isNull()) setError(error, QStringLiteral("%1: %2").arg(path, reason));
    else setError(error, QString());
    return image;
}

}  // namespace zv::app
