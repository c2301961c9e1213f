#include "ui/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

// Turns libjpeg's errors into a jump back to the decoder instead of exit(), and keeps the
// text of the last error or warning instead of printing it to stderr.
struct ErrorManager
{
    jpeg_error_mgr base; // first member: libjpeg sees a plain jpeg_error_mgr
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

extern "C" void onJpegError(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
}

// Larger pictures than this are refused rather than allocated; Tevo's own are far smaller.
constexpr JDIMENSION MaxSide = 8192;

// Decodes into image, which belongs to the caller so that no object of this frame is live
// across the jump. Returns false after a libjpeg error or a refused picture.
bool decodeInto(jpeg_decompress_struct &info, ErrorManager &errors, const QByteArray &data,
                QImage &image)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        std::snprintf(errors.message, sizeof errors.message, "no JPEG header");
        return false;
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        std::snprintf(errors.message, sizeof errors.message, "CMYK pictures are not supported");
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_width == 0 || info.output_height == 0 || info.output_width > MaxSide ||
        info.output_height > MaxSide || info.output_components != 3) {
        std::snprintf(errors.message, sizeof errors.message, "unsupported picture size %ux%u",
                      info.output_width, info.output_height);
        return false;
    }
    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (image.isNull()) {
        std::snprintf(errors.message, sizeof errors.message, "out of memory");
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    // libjpeg pads a truncated or damaged stream and only warns; a picture with holes is no
    // picture for us.
    if (errors.base.num_warnings > 0)
        return false;
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &data, QString *error)
{
    QImage image;
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("no data");
        return image;
    }
    jpeg_decompress_struct info{};
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.output_message = onJpegMessage;
    const bool decoded = decodeInto(info, errors, data, image);
    jpeg_destroy_decompress(&info);
    if (decoded)
        return image;
    if (error)
        *error = QString::fromLocal8Bit(errors.message);
    return QImage();
}
