#include "PictureFixtures.h"

#include <QBuffer>
#include <QtEndian>

namespace fixtures {

namespace {

constexpr int kIconHeaderBytes = 6;
constexpr int kIconDirectoryEntryBytes = 16;
constexpr quint16 kIconResourceType = 1;
// An icon directory stores 256 pixels as 0.
constexpr int kIconSizeStoredAsZero = 256;

template <class Integer> void append(QByteArray& out, Integer value) {
    char bytes[sizeof(Integer)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof bytes);
}

quint8 iconDimension(int pixels) {
    return quint8(pixels >= kIconSizeStoredAsZero ? 0 : pixels);
}

} // namespace

QImage solidImage(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QByteArray imageFileBytes(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray iconFileBytes(const std::vector<QImage>& frames) {
    std::vector<QByteArray> images;
    for (const QImage& frame : frames)
        images.push_back(imageFileBytes(frame, "PNG"));

    QByteArray file;
    append(file, quint16(0));
    append(file, kIconResourceType);
    append(file, quint16(frames.size()));
    quint32 offset = kIconHeaderBytes + kIconDirectoryEntryBytes * quint32(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        append(file, iconDimension(frames[i].width()));
        append(file, iconDimension(frames[i].height()));
        append(file, quint8(0));   // no palette
        append(file, quint8(0));   // reserved
        append(file, quint16(1));  // planes
        append(file, quint16(32)); // bits per pixel
        append(file, quint32(images[i].size()));
        append(file, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray& image : images)
        file.append(image);
    return file;
}

QByteArray tinyGifBytes() {
    static const unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                                         0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04,
                                         0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01,
                                         0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    return QByteArray(reinterpret_cast<const char*>(kGif), sizeof kGif);
}

} // namespace fixtures
