#include "page/PictureDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace quorvel::page {
namespace {

bool StartsWith(const char* data, std::size_t size, const char* magic, std::size_t length) {
    return size >= length && std::memcmp(data, magic, length) == 0;
}

std::uint32_t LittleEndian32(const char* at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// "BM" alone is too common a start: the header that follows must be one of Windows' own sizes.
bool IsBitmap(const char* data, std::size_t size) {
    if (!StartsWith(data, size, "BM", 2) || size < 18) return false;
    switch (LittleEndian32(data + 14)) {
        case 12:
        case 40:
        case 52:
        case 56:
        case 108:
        case 124:
            return true;
        default:
            return false;
    }
}

}  // namespace

PictureFormat SniffPicture(const char* data, std::size_t size) {
    if (StartsWith(data, size, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::Png;
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6))
        return PictureFormat::Gif;
    if (size >= 12 && StartsWith(data, size, "RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0)
        return PictureFormat::WebP;
    if (IsBitmap(data, size)) return PictureFormat::Bmp;
    return PictureFormat::None;
}

QByteArray ReaderName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png:
            return "png";
        case PictureFormat::Jpeg:
            return "jpeg";
        case PictureFormat::Gif:
            return "gif";
        case PictureFormat::WebP:
            return "webp";
        case PictureFormat::Bmp:
            return "bmp";
        case PictureFormat::None:
            break;
    }
    return {};
}

QImage DecodePicture(const QByteArray& bytes) {
    const QByteArray name = ReaderName(SniffPicture(bytes.constData(), bytes.size()));
    if (name.isEmpty()) return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The reader named and no other: Qt would otherwise try every reader it has on bytes the
    // named one refuses.
    QImageReader reader;
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setFormat(name);
    reader.setDevice(&buffer);
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)));
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide ||
        static_cast<std::int64_t>(size.width()) * size.height() > kMaxPicturePixels)
        return {};
    QImage image;
    if (!reader.read(&image)) return {};
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide) return {};
    return image;
}

}  // namespace quorvel::page
