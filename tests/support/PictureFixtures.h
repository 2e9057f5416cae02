#pragma once
// Image files made by the tests themselves: pictures for property bags, skins and the picture loader.
#include <QByteArray>
#include <QImage>
#include <vector>

namespace fixtures {

// A picture of one colour.
QImage solidImage(int width, int height, QRgb colour);
// The image written as a file of the given format ("PNG", "BMP", "JPEG", "ICO").
QByteArray imageFileBytes(const QImage& image, const char* format);
// An icon file holding every image as one frame (each frame stored as PNG), in the given order.
QByteArray iconFileBytes(const std::vector<QImage>& frames);
// A 1 x 1 GIF file (Qt reads GIF but does not write it).
QByteArray tinyGifBytes();

} // namespace fixtures
