#include "UCaptureScreen.h"

#include "base/UException.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {
struct TJpegError {
    jpeg_error_mgr Manager;
    jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

// libjpeg's own handler would end the process.
void JumpOnError(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    info->err->format_message(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// RGB888 rows to JPEG bytes in *out (malloc'ed; the caller frees it). False
// with message filled on failure. No C++ objects live across the jump.
bool EncodeRgb(const unsigned char* pixels, int width, int height, qsizetype stride, int quality,
               unsigned char** out, unsigned long* size, char* message)
{
    jpeg_compress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = &JumpOnError;
    if (setjmp(error.Jump)) {
        jpeg_destroy_compress(&info);
        std::memcpy(message, error.Message, JMSG_LENGTH_MAX);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels + qsizetype(info.next_scanline) * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

[[noreturn]] void RaiseWriteError(const QString& fileName, int code)
{
    throw EInOutError(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, QString::fromLocal8Bit(std::strerror(code))));
}

void WriteOwnerOnly(const QByteArray& bytes, const QString& fileName)
{
    QByteArray temporary = QFile::encodeName(fileName) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());   // mode 0600
    if (fd < 0)
        RaiseWriteError(fileName, errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = errno;
            ::close(fd);
            ::unlink(temporary.constData());
            RaiseWriteError(fileName, code);
        }
        written += n;
    }
    if (::close(fd) != 0 || ::rename(temporary.constData(), QFile::encodeName(fileName).constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        RaiseWriteError(fileName, code);
    }
}
}

void SaveJpegFile(const QImage& image, const QString& fileName, int quality)
{
    if (image.isNull())
        throw EInOutError(QStringLiteral("Cannot write \"%1\": the picture is empty").arg(fileName));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool encoded = EncodeRgb(rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine(), quality, &jpeg,
                                   &size, message);
    const QByteArray bytes = encoded ? QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(size)) : QByteArray();
    std::free(jpeg);
    if (!encoded)
        throw EInOutError(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, QString::fromLocal8Bit(message)));
    WriteOwnerOnly(bytes, fileName);
}

void CaptureScreenToJpeg(QWidget* window, const QString& fileName)
{
    SaveJpegFile(window->grab().toImage(), fileName, CaptureJpegQuality);
}
