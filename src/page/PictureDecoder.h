#pragma once

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

// Turns the bytes a server sent into a picture. Only raster formats are read, each by its own
// reader chosen from the first bytes: a format that can name other files (SVG and the like) is
// never handed to any reader, so nothing on this machine is ever opened for a picture.
namespace quorvel::page {

enum class PictureFormat { None, Png, Jpeg, Gif, WebP, Bmp };

// Larger than any page shows; a picture claiming more is refused before it is decoded.
constexpr int kMaxPictureSide = 10000;
// Four bytes a pixel: the most the picture store keeps in all.
constexpr std::int64_t kMaxPicturePixels = 32LL * 1024 * 1024;

// The format the bytes start as, or None.
PictureFormat SniffPicture(const char* data, std::size_t size);
// Qt's name of the reader for `format`; empty for None.
QByteArray ReaderName(PictureFormat format);

// The picture, or a null image when the bytes are no picture of those formats, or one larger
// than the bounds above (checked from its header, before anything is allocated).
QImage DecodePicture(const QByteArray& bytes);

}  // namespace quorvel::page
