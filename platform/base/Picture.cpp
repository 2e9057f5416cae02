#include "platform/base/Picture.h"

#include "platform/base/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace rt {

namespace {

constexpr int kHiMetricPerInch = 2540;
constexpr int kPixelsPerInch = 96;
constexpr int kTwipsPerInch = 1440;
// Pictures come from the skin and from stored designs; anything larger than this is a damaged header,
// refused before the decoder allocates for it.
constexpr qint64 kMaxPicturePixels = 8192LL * 8192LL;
const QString kSkinPictureFolder = QStringLiteral(":/skin/pictures/");

// Handles name live pictures only: each picture registers itself and leaves when destroyed.
class HandleRegistry {
  public:
    int add(PictureObject* picture) {
        std::lock_guard lock(mutex_);
        const int handle = nextHandle_++;
        pictures_[handle] = picture;
        return handle;
    }
    void remove(int handle) {
        std::lock_guard lock(mutex_);
        pictures_.erase(handle);
    }
    PictureObject* find(int handle) {
        std::lock_guard lock(mutex_);
        const auto found = pictures_.find(handle);
        return found == pictures_.end() ? nullptr : found->second;
    }

  private:
    std::mutex mutex_;
    int nextHandle_ = 1;
    std::unordered_map<int, PictureObject*> pictures_;
};

HandleRegistry& registry() {
    static HandleRegistry handles;
    return handles;
}

[[noreturn]] void invalidPicture(const QByteArray& format, const QString& reason) {
    raise(kInvalidPicture, "invalid picture (" + format.toStdString() + "): " + reason.toStdString());
}

int kindOfFormat(const QByteArray& format) {
    if (format == "ico")
        return PictureObject::kIcon;
    if (format == "bmp" || format == "gif" || format == "jpeg" || format == "jpg" || format == "png")
        return PictureObject::kBitmap;
    return PictureObject::kNone;
}

void requireSaneSize(QImageReader& reader, const QByteArray& format) {
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        invalidPicture(format, QStringLiteral("image too large"));
}

// An icon file holds several images; the picture shows the largest.
QImage readLargestFrame(QImageReader& reader, const QByteArray& format) {
    QImage largest;
    const int frames = std::max(reader.imageCount(), 1);
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0 && !reader.jumpToImage(frame))
            break;
        requireSaneSize(reader, format);
        const QImage image = reader.read();
        if (image.isNull())
            continue;
        if (qint64(image.width()) * image.height() > qint64(largest.width()) * largest.height())
            largest = image;
    }
    return largest;
}

int roundedRatio(int value, int numerator, int denominator) {
    return static_cast<int>(std::lround(double(value) * numerator / denominator));
}

} // namespace

Picture PictureObject::empty() {
    return Picture(new PictureObject());
}

Picture PictureObject::fromFileBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    const int kind = kindOfFormat(format);
    if (kind == kNone)
        invalidPicture(format, QStringLiteral("not a bitmap, GIF, JPEG, PNG or icon file"));

    QImage image;
    if (kind == kIcon) {
        image = readLargestFrame(reader, format);
    } else {
        requireSaneSize(reader, format);
        image = reader.read();
    }
    if (image.isNull())
        invalidPicture(format, reader.errorString());

    Picture picture(new PictureObject());
    picture->kind_ = kind;
    picture->image_ = image;
    picture->fileBytes_ = bytes;
    picture->handle_ = registry().add(picture.get());
    return picture;
}

Picture PictureObject::fromSkin(const QString& fileName) {
    QFile file(kSkinPictureFolder + fileName);
    if (!file.open(QIODevice::ReadOnly))
        raise(kFileNotFound, "skin picture " + fileName.toStdString() + " missing");
    return fromFileBytes(file.readAll());
}

PictureObject* PictureObject::fromHandle(int handle) {
    return handle == 0 ? nullptr : registry().find(handle);
}

PictureObject::~PictureObject() {
    if (handle_ != 0)
        registry().remove(handle_);
}

int PictureObject::Width() const {
    return pixelsToHiMetric(pixelWidth());
}

int PictureObject::Height() const {
    return pixelsToHiMetric(pixelHeight());
}

int pixelsToHiMetric(int pixels) {
    return roundedRatio(pixels, kHiMetricPerInch, kPixelsPerInch);
}

int hiMetricToTwips(int hiMetric) {
    return roundedRatio(hiMetric, kTwipsPerInch, kHiMetricPerInch);
}

} // namespace rt
