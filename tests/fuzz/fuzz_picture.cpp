// libFuzzer harness for a served picture's bytes: the sniff picks at most one raster reader, the
// decode stays within the side and pixel bounds, and nothing else is read.
#include <QImage>

#include <cstdint>
#include <cstdlib>

#include "QtHarness.h"
#include "page/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel::page;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PictureFormat format = SniffPicture(bytes.constData(), size);
    const QImage image = DecodePicture(bytes);
    if (format == PictureFormat::None && !image.isNull()) std::abort();
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide) std::abort();
    if (static_cast<std::int64_t>(image.width()) * image.height() > kMaxPicturePixels) std::abort();
    return 0;
}
